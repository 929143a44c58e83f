// Replacing files in shared folders: where a rename cannot keep what the old
// file was (its links, its owner, a folder the user may not create files in)
// the file is rewritten in place; links are written through unless another
// user planted them in a shared folder; stale temporary files are removed.
// Cases that need a second user run in a child process as uid/gid 65534.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "TestFiles.h"
#include "core/AtomicFile.h"
#include "core/FileLinks.h"

using namespace vornik;
using vornik::test::ReadAll;
using vornik::test::TempDir;
using vornik::test::WriteAll;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kOther = 65534;

#define SKIP_UNLESS_ROOT() \
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as a second user"

// Runs `action` in a child process as the other user; its result is the
// child's exit status (0 for true).
bool AsOtherUser(const std::function<bool()>& action) {
    const pid_t pid = fork();
    if (pid == 0) {
        const bool ok = setgroups(0, nullptr) == 0 && setgid(kOther) == 0 && setuid(kOther) == 0 && action();
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct stat StatOf(const std::string& path) {
    struct stat st {};
    lstat(path.c_str(), &st);
    return st;
}

bool Write(const std::string& path, const std::string& bytes, bool* inPlace = nullptr) {
    AtomicFileWriter writer(path);
    if (!writer.Open()) return false;
    if (inPlace) *inPlace = writer.InPlace();
    return writer.Write(bytes) && writer.Commit();
}

}  // namespace

TEST(SharedFolders, HardLinksOwnerGroupAndModeSurviveASave) {
    TempDir dir;
    bool inPlace = false;
    // Two names of one file: both see the new content.
    WriteAll(dir / "a", "old");
    ASSERT_EQ(link((dir / "a").c_str(), (dir / "b").c_str()), 0);
    ASSERT_TRUE(Write(dir / "b", "new", &inPlace));
    EXPECT_TRUE(inPlace);
    EXPECT_EQ(ReadAll(dir / "a"), "new");
    EXPECT_EQ(StatOf(dir / "a").st_nlink, 2u);
    EXPECT_EQ(dir.EntryCount(), 2u);

    SKIP_UNLESS_ROOT();
    // Another user's file replaced by root: still theirs, with its mode.
    WriteAll(dir / "theirs", "old content");
    ASSERT_EQ(chown((dir / "theirs").c_str(), kOther, kOther), 0);
    ASSERT_EQ(chmod((dir / "theirs").c_str(), 0640), 0);
    ASSERT_TRUE(Write(dir / "theirs", "new", &inPlace));
    EXPECT_FALSE(inPlace);
    const struct stat st = StatOf(dir / "theirs");
    EXPECT_EQ(st.st_uid, kOther);
    EXPECT_EQ(st.st_gid, kOther);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadAll(dir / "theirs"), "new");
}

TEST(SharedFolders, AWritableFileIsSavedWhereNoTemporaryFileMayGo) {
    SKIP_UNLESS_ROOT();
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    // Root's folders: one closed to the other user, one open to all.
    fs::create_directory(dir / "closed");
    fs::create_directory(dir / "open");
    ASSERT_EQ(chmod((dir / "open").c_str(), 0777), 0);
    for (const char* name : {"closed/f", "open/f"}) {
        WriteAll(dir / name, "old content, longer than the new");
        ASSERT_EQ(chmod((dir / name).c_str(), 0666), 0);
    }
    EXPECT_TRUE(AsOtherUser([&] {
        bool inPlace = false;
        return Write(dir / "closed/f", "new", &inPlace) && inPlace && Write(dir / "open/f", "new", &inPlace) &&
               inPlace;
    }));
    for (const char* name : {"closed/f", "open/f"}) {
        EXPECT_EQ(ReadAll(dir / name), "new") << name;
        EXPECT_EQ(StatOf(dir / name).st_uid, 0u) << name;  // not handed to the other user
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "open"), fs::directory_iterator()), 1);
}

TEST(SharedFolders, AFailedInPlaceWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string old(100, 'o');
    WriteAll(dir / "a", old);
    ASSERT_EQ(link((dir / "a").c_str(), (dir / "b").c_str()), 0);

    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);
    AtomicFileWriter writer(dir / "a");
    const bool written = writer.Open() && writer.Write(std::string(10000, 'n')) && writer.Commit();
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_NE(writer.Error().find("too large"), std::string::npos) << writer.Error();
    EXPECT_EQ(ReadAll(dir / "b"), old);
}

TEST(SharedFolders, LinksAreWrittenThroughToTheirTargetsExistingOrNot) {
    TempDir dir;
    fs::create_directory(dir / "sub");
    fs::create_symlink("sub/target", dir / "dangling");
    fs::create_symlink("dangling", dir / "chain");
    ASSERT_TRUE(Write(dir / "chain", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_TRUE(fs::is_symlink(dir / "chain"));
    EXPECT_EQ(ReadAll(dir / "sub/target"), "new");

    fs::create_symlink("loop", dir / "loop");
    std::string target;
    EXPECT_EQ(ResolveLinksForWriting(dir / "loop", target), ELOOP);
    EXPECT_FALSE(Write(dir / "loop", "x"));
}

// The rule of the kernel's protected_symlinks: in a sticky world-writable
// folder a link is followed only when it is the caller's or the folder owner's.
TEST(SharedFolders, ALinkPlantedByAnotherUserInASharedFolderIsNotFollowed) {
    SKIP_UNLESS_ROOT();
    TempDir dir;
    fs::create_directory(dir / "tmp");
    ASSERT_EQ(chmod((dir / "tmp").c_str(), 01777), 0);
    WriteAll(dir / "victim", "precious");
    auto plant = [&](const std::string& link, uid_t owner) {
        fs::create_symlink(dir / "victim", link);
        ASSERT_EQ(lchown(link.c_str(), owner, owner), 0);
    };
    plant(dir / "tmp/planted", kOther);
    std::string target;
    EXPECT_EQ(ResolveLinksForWriting(dir / "tmp/planted", target), EACCES);
    AtomicFileWriter writer(dir / "tmp/planted");
    EXPECT_FALSE(writer.Open());
    EXPECT_NE(writer.Error().find("Permission denied"), std::string::npos) << writer.Error();
    EXPECT_EQ(ReadAll(dir / "victim"), "precious");
    EXPECT_TRUE(fs::is_symlink(dir / "tmp/planted"));

    // The caller's own link, and the other user's link outside a shared folder.
    plant(dir / "tmp/mine", 0);
    EXPECT_TRUE(Write(dir / "tmp/mine", "mine"));
    plant(dir / "theirs", kOther);
    EXPECT_TRUE(Write(dir / "theirs", "theirs"));
    EXPECT_EQ(ReadAll(dir / "victim"), "theirs");

    // The folder owner's link in a shared folder of the other user.
    ASSERT_EQ(chown((dir / "tmp").c_str(), kOther, kOther), 0);
    EXPECT_EQ(ResolveLinksForWriting(dir / "tmp/planted", target), 0);
    EXPECT_EQ(target, dir / "victim");
}

TEST(SharedFolders, StaleTemporaryFilesOfKilledRunsAreRemovedAtTheNextSave) {
    TempDir dir;
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const auto temp = [&](const std::string& file, unsigned long pid, const char* counter = "1") {
        std::string name = TemporaryFileName(dir / file, pid, 0);
        name.replace(name.size() - 1, 1, counter);
        WriteAll(name, "partial");
        return name;
    };
    const std::string stale = temp("f", gone);
    const std::string running = temp("f", getpid(), "7");
    const std::string otherFile = temp("g", gone);
    const std::string notOurs = temp("f", gone, "2x");
    ASSERT_TRUE(Write(dir / "f", "new"));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(running));
    EXPECT_TRUE(fs::exists(otherFile));
    EXPECT_TRUE(fs::exists(notOurs));

    // A long name is cut in its temporary names; those are recognised too.
    const std::string longName(250, 'n');
    unsigned long pid = 0;
    EXPECT_TRUE(IsTemporaryFileOf(dir / longName, fs::path(TemporaryFileName(dir / longName, 42, 3)).filename(), pid));
    EXPECT_EQ(pid, 42u);
    EXPECT_FALSE(IsTemporaryFileOf(dir / "f", "f.~42-", pid));
    EXPECT_FALSE(IsTemporaryFileOf(dir / "f", "ff.~42-1", pid));
}
