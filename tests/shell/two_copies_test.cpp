// Two copies of the real program started in the same folder: the second
// takes a journal of its own and leaves the first one's rows alone; after
// both are killed, the next start finds every row the first copy decoded.
#include <gtest/gtest.h>

#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "ReplyBuilder.h"
#include "ProgramCopy.h"
#include "TestFiles.h"
#include "config/Config.h"
#include "datafiles/RecoveryJournal.h"

using namespace vornik;
using namespace vornik::test;

namespace {

pid_t StartProgram(const std::string& program) {
    const pid_t child = fork();
    if (child == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

void Kill(pid_t child) {
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
}

}  // namespace

TEST(TwoCopies, TheSecondCopyLeavesTheFirstCopysJournalAlone) {
    const std::string program = std::string(VORNIK_BINARY_DIR) + "/vornik-pc";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "vornik-pc is not built";
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);

    TempDir dir;
    const std::string copy = CopyProgramListeningTo(dir, name);
    const std::string first = dir / "vornik-pc.journal";
    const std::string second = dir / "vornik-pc-2.journal";

    int sent = 0;
    // Numbered replies until the first copy's journal holds `rows` rows.
    const auto sendUntil = [&](size_t rows) {
        for (int wait = 0; wait < 800 && RecoveryJournal::ReadPending(first).size() < rows; ++wait) {
            const std::string reply = GasReply().Set(1, std::to_string(1000 + sent)).Bytes();
            if (write(master, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size())) ++sent;
            usleep(10 * 1000);
        }
        return RecoveryJournal::ReadPending(first).size();
    };

    const pid_t a = StartProgram(copy);
    ASSERT_GT(a, 0);
    EXPECT_GE(sendUntil(8), 8u);

    // The second copy says so in a box and waits there, its journal taken.
    const pid_t b = StartProgram(copy);
    ASSERT_GT(b, 0);
    for (int wait = 0; wait < 500 && !std::filesystem::exists(second); ++wait) usleep(10 * 1000);
    EXPECT_TRUE(std::filesystem::exists(second));
    // The first copy still writes into the journal that carries the name.
    EXPECT_GE(sendUntil(20), 20u);
    Kill(b);
    EXPECT_GE(sendUntil(25), 25u);
    Kill(a);
    close(master);
    close(slave);

    // The next start offers every row the first copy decoded, in order.
    const auto rows = RecoveryJournal::ReadPending(first);
    ASSERT_GE(rows.size(), 25u);
    const int number = std::stoi(rows[0].cells[0].substr(2));
    for (size_t k = 0; k < rows.size(); ++k)
        EXPECT_EQ(rows[k].cells[0], std::to_string(k + 1) + "/" + std::to_string(number + static_cast<int>(k))) << k;
    EXPECT_TRUE(RecoveryJournal::ReadPending(second).empty());
    int copyNumber = 0;
    const auto next = TakeJournal(dir / "vornik-pc.ini", copyNumber);
    EXPECT_EQ(copyNumber, 1);
    EXPECT_EQ(next->Leftover().rows, static_cast<int>(rows.size()));
}
