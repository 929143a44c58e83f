// The real program killed in the middle of a reply stream: every row it had
// decoded is in its recovery journal, whole and in order, ready to come back.
#include <gtest/gtest.h>

#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "ReplyBuilder.h"
#include "ProgramCopy.h"
#include "TestFiles.h"
#include "config/Config.h"
#include "datafiles/RecoveryJournal.h"
#include "tables/MainModel.h"

using namespace vornik;
using namespace vornik::test;

TEST(KillAndRestart, RowsDecodedBeforeAKillAreInTheJournal) {
    const std::string program = std::string(VORNIK_BINARY_DIR) + "/vornik-pc";
    if (!std::filesystem::exists(program)) GTEST_SKIP() << "vornik-pc is not built";
    int master = -1, slave = -1;
    char name[256] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);

    // A copy of the program in its own folder, with its own settings file.
    TempDir dir;
    const std::string copy = CopyProgramListeningTo(dir, name);

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl(copy.c_str(), copy.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }

    // Numbered replies, sent until the journal shows the program is writing.
    const std::string journal = dir / "vornik-pc.journal";
    int sent = 0;
    for (int wait = 0; wait < 600 && RecoveryJournal::ReadPending(journal).size() < 40; ++wait) {
        const std::string reply = GasReply().Set(1, std::to_string(1000 + sent)).Bytes();
        if (write(master, reply.data(), reply.size()) == static_cast<ssize_t>(reply.size())) ++sent;
        usleep(10 * 1000);
    }
    // A reply cut in half as the program dies.
    const std::string half = GasReply().Set(1, "9999").Bytes().substr(0, 40);
    ASSERT_EQ(write(master, half.data(), half.size()), static_cast<ssize_t>(half.size()));
    usleep(30 * 1000);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    close(master);
    close(slave);

    const auto rows = RecoveryJournal::ReadPending(journal);
    ASSERT_GE(rows.size(), 40u) << "replies sent: " << sent;
    // Whole rows, in order, none skipped: column 0 is the row's number and
    // the reply's first field. Replies sent before the port was open are
    // not the program's (the port starts with an empty queue).
    const int first = std::stoi(rows[0].cells[0].substr(2));
    for (size_t k = 0; k < rows.size(); ++k) {
        ASSERT_EQ(rows[k].page, PageGas);
        ASSERT_EQ(rows[k].cells.size(), static_cast<size_t>(kGasColumns));
        EXPECT_EQ(rows[k].cells[0], std::to_string(k + 1) + "/" + std::to_string(first + static_cast<int>(k))) << k;
    }
    // They go back into a table as they were.
    MainModel model;
    EXPECT_EQ(RecoveryJournal(dir / "restored.journal").Restore(model, rows), static_cast<int>(rows.size()));
    EXPECT_EQ(model.Table(PageGas).RowCount(), static_cast<int>(rows.size()) + 1);
    EXPECT_TRUE(model.NewData(PageGas));
}
