// Saving files whole. Links, owners and shared folders are POSIX matters;
// cases that need a second user run in a child process as uid/gid 65534.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

bool Write(const std::string& path, const std::string& bytes, bool* inPlace = nullptr) {
    AtomicFileWriter writer(path);
    if (!writer.Open()) return false;
    if (inPlace) *inPlace = writer.InPlace();
    return writer.Write(bytes) && writer.Commit();
}

unsigned long ThisProcess() {
#ifdef _WIN32
    return GetCurrentProcessId();
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// The id of a process that has already ended.
unsigned long EndedProcess() {
#ifdef _WIN32
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    wchar_t command[] = L"cmd.exe /c exit";
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return 0;
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return process.dwProcessId;
#else
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return static_cast<unsigned long>(pid);
#endif
}

}  // namespace

// A failed or abandoned save leaves the old file whole and no temporary file
// beside it; a read-only file or a folder is not replaced.
TEST(AtomicSave, TheOldFileStaysWholeUnlessTheSaveCompletes) {
    TempDir dir;
    const std::string file = dir / "data.gas";
    ASSERT_TRUE(Write(file, "old"));
    {
        AtomicFileWriter abandoned(file);
        ASSERT_TRUE(abandoned.Open());
        ASSERT_TRUE(abandoned.Write("partial"));
    }
    EXPECT_EQ(ReadAll(file), "old");
    EXPECT_EQ(dir.EntryCount(), 1u);

    fs::create_directory(dir / "folder");
    AtomicFileWriter intoFolder(dir / "folder");
    EXPECT_FALSE(intoFolder.Open());
    EXPECT_FALSE(intoFolder.Error().empty());

    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
#ifndef _WIN32
    if (geteuid() != 0)  // root may write a read-only file
#endif
    {
        std::string error;
        EXPECT_FALSE(WriteFileAtomically(file, "new", &error));
        EXPECT_NE(error.find(file), std::string::npos) << error;
        EXPECT_EQ(ReadAll(file), "old");
    }
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(WriteFileAtomically(file, "new"));
    EXPECT_EQ(ReadAll(file), "new");
    EXPECT_EQ(dir.EntryCount(), 2u);
}

TEST(AtomicSave, StaleTemporaryFilesOfKilledRunsAreRemovedAtTheNextSave) {
    TempDir dir;
    const unsigned long gone = EndedProcess();
    ASSERT_NE(gone, 0u);
    const auto temp = [&](const std::string& file, unsigned long pid, const char* counter = "1") {
        std::string name = TemporaryFileName(dir / file, pid, 0);
        WriteAll(name.replace(name.size() - 1, 1, counter), "partial");
        return name;
    };
    const std::string stale = temp("f", gone);
    const std::string kept[] = {temp("f", ThisProcess(), "7"), temp("g", gone), temp("f", gone, "2x")};
    ASSERT_TRUE(Write(dir / "f", "new"));
    EXPECT_FALSE(fs::exists(stale));
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(name)) << name;

    // A long name is cut in its temporary names; those are recognised too.
    const std::string longName = dir / std::string(250, 'n');
    unsigned long pid = 0;
    EXPECT_TRUE(IsTemporaryFileOf(longName, fs::path(TemporaryFileName(longName, 42, 3)).filename().string(), pid));
    EXPECT_EQ(pid, 42u);
}

#ifndef _WIN32
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

}  // namespace

// Hard links stay joined, also when the write fails (its space is reserved
// first); another user's file keeps its owner, group and mode.
TEST(SharedFolders, LinksOwnerAndModeSurviveASave) {
    TempDir dir;
    bool inPlace = false;
    WriteAll(dir / "a", "old");
    ASSERT_EQ(link((dir / "a").c_str(), (dir / "b").c_str()), 0);
    ASSERT_TRUE(Write(dir / "b", "new", &inPlace));
    EXPECT_TRUE(inPlace);
    EXPECT_EQ(ReadAll(dir / "a"), "new");
    EXPECT_EQ(dir.EntryCount(), 2u);

    const rlimit saved = [] { rlimit r; getrlimit(RLIMIT_FSIZE, &r); return r; }();
    const auto previous = signal(SIGXFSZ, SIG_IGN);
    const rlimit limited{4096, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limited);
    const bool written = Write(dir / "a", std::string(10000, 'n'));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadAll(dir / "b"), "new");

    SKIP_UNLESS_ROOT();
    WriteAll(dir / "theirs", "old content");
    ASSERT_EQ(chown((dir / "theirs").c_str(), kOther, kOther), 0);
    ASSERT_EQ(chmod((dir / "theirs").c_str(), 0640), 0);
    ASSERT_TRUE(Write(dir / "theirs", "new", &inPlace));
    EXPECT_FALSE(inPlace);
    const struct stat st = StatOf(dir / "theirs");
    EXPECT_EQ(st.st_uid, kOther);
    EXPECT_EQ(st.st_gid, kOther);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// The other user saves root's writable files: in a folder closed to them, and
// in an open one where a replacement would become theirs.
TEST(SharedFolders, AWritableFileIsSavedWhereNoTemporaryFileCanServe) {
    SKIP_UNLESS_ROOT();
    TempDir dir;
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    fs::create_directory(dir / "closed");
    fs::create_directory(dir / "open");
    ASSERT_EQ(chmod((dir / "open").c_str(), 0777), 0);
    for (const char* name : {"closed/f", "open/f"}) {
        WriteAll(dir / name, "old content, longer than the new");
        ASSERT_EQ(chmod((dir / name).c_str(), 0666), 0);
    }
    EXPECT_TRUE(AsOtherUser([&] { return Write(dir / "closed/f", "new") && Write(dir / "open/f", "new"); }));
    for (const char* name : {"closed/f", "open/f"}) {
        EXPECT_EQ(ReadAll(dir / name), "new") << name;
        EXPECT_EQ(StatOf(dir / name).st_uid, 0u) << name;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "open"), fs::directory_iterator()), 1);
}

// Links are written through, dangling ones too, except where the kernel's
// protected_symlinks rule would refuse them: in a sticky world-writable
// folder, a link that is neither the caller's nor the folder owner's.
TEST(SharedFolders, LinksAreFollowedToTheirTargetsUnlessPlantedInASharedFolder) {
    TempDir dir;
    fs::create_directory(dir / "sub");
    fs::create_symlink("sub/target", dir / "dangling");
    fs::create_symlink("dangling", dir / "chain");
    ASSERT_TRUE(Write(dir / "chain", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "dangling"));
    EXPECT_EQ(ReadAll(dir / "sub/target"), "new");
    std::string target;
    fs::create_symlink("loop", dir / "loop");
    EXPECT_EQ(ResolveLinksForWriting(dir / "loop", target), ELOOP);

    SKIP_UNLESS_ROOT();
    fs::create_directory(dir / "tmp");
    ASSERT_EQ(chmod((dir / "tmp").c_str(), 01777), 0);
    WriteAll(dir / "victim", "precious");
    for (const auto& [name, owner] : {std::pair{"tmp/planted", kOther}, {"tmp/mine", 0u}, {"theirs", kOther}}) {
        fs::create_symlink(dir / "victim", dir / name);
        ASSERT_EQ(lchown((dir / name).c_str(), owner, owner), 0);
    }
    EXPECT_EQ(ResolveLinksForWriting(dir / "tmp/planted", target), EACCES);
    EXPECT_FALSE(Write(dir / "tmp/planted", "stolen"));
    EXPECT_EQ(ReadAll(dir / "victim"), "precious");
    EXPECT_TRUE(Write(dir / "tmp/mine", "mine"));
    EXPECT_TRUE(Write(dir / "theirs", "theirs"));
    EXPECT_EQ(ReadAll(dir / "victim"), "theirs");
    ASSERT_EQ(chown((dir / "tmp").c_str(), kOther, kOther), 0);
    EXPECT_EQ(ResolveLinksForWriting(dir / "tmp/planted", target), 0);
}
#endif  // _WIN32
