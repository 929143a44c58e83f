// The port object and the port handling on real pseudo-terminals: the test
// writes to the master side as the instrument would, the port listens on the
// slave side by its /dev/pts name.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "ManualPollTimer.h"
#include "ScriptedPrompt.h"
#include "TestPty.h"
#include "device/IOPort.h"
#include "device/PortHandling.h"
#include "device/NetworkPort.h"
#include "device/posix/PosixCommDriver.h"

namespace vornik {
namespace {

using namespace std::chrono_literals;
using test::PromptEvent;
using test::ScriptedPrompt;

using Pty = test::TestPty;

std::string Pattern(size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return s;
}

class PtyPort : public ::testing::Test {
protected:
    std::unique_ptr<TIOPort> Open(const std::string& name) {
        auto port = std::make_unique<TIOPort>(name, prompt, std::make_unique<PosixCommDriver>());
        port->OnReceive = [this](TIOPort*, uint8_t v, bool) { received += static_cast<char>(v); };
        port->OnCommEvent = [this] { ++commEvents; };
        return port;
    }

    // Polls every interval until pred holds or ten seconds pass.
    bool PollUntil(TIOPort& port, const std::function<bool()>& pred,
                   std::chrono::milliseconds interval = 10ms) {
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            port.Poll();
            if (pred()) return true;
            std::this_thread::sleep_for(interval);
        }
        return false;
    }

    Pty pty;
    ScriptedPrompt prompt;
    std::string received;
    int commEvents = 0;
};

TEST_F(PtyPort, OpensByItsNameAndDeliversWaitingBytesInOnePoll) {
    pty.Send("before open");  // purged when the port opens
    ASSERT_TRUE(pty.WaitQueued(11));
    auto port = Open(pty.path);
    ASSERT_NE(port->Handle, 0u);
    EXPECT_TRUE(prompt.boxes().empty());
    EXPECT_TRUE(port->Receiving());
    ASSERT_TRUE(port->SetMode("9600,N,8,1"));
    port->SetRTS(1);  // no modem lines on a pseudo-terminal: nothing changes, nothing fails
    EXPECT_EQ(port->RtsState, 0);
    port->Poll();
    EXPECT_EQ(received, "");

    const std::string burst = Pattern(3000);
    pty.Send(burst);
    ASSERT_TRUE(pty.WaitQueued(3000));
    port->Poll();
    EXPECT_EQ(received, burst);
    EXPECT_GE(commEvents, 1);  // EV_RXCHAR
}

TEST_F(PtyPort, SetModeLeavesTheSlaveRaw9600EightNoneOne) {
    auto port = Open(pty.path);
    // (A pseudo-terminal keeps 8 data bits without parity whatever is asked.)
    ASSERT_TRUE(port->SetMode("4800,N,8,2"));
    termios t{};
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_EQ(port->Config.dcb.BaudRate, 4800u);  // read back after applying
    EXPECT_EQ(port->Config.dcb.StopBits, TWOSTOPBITS);

    ASSERT_TRUE(port->SetMode("9600,N,8,1"));
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(cfgetispeed(&t), B9600);
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN));
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | ISTRIP));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_EQ(port->Config.dcb.ByteSize, 8);
    EXPECT_EQ(port->Config.dcb.Parity, NOPARITY);

    // A rate the line cannot take changes nothing.
    EXPECT_FALSE(port->SetMode("12345,N,8,1"));
    ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B9600);
}

TEST_F(PtyPort, ADeviceLeftAtASpeedTheDriverDoesNotListOpensAndKeepsItUntilSet) {
    for (const speed_t left : {B500000, B0}) {
        SCOPED_TRACE(left);
        termios t{};
        ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
        cfsetospeed(&t, left);
        cfsetispeed(&t, left);
        ASSERT_EQ(tcsetattr(pty.slave, TCSANOW, &t), 0);

        auto port = Open(pty.path);
        EXPECT_TRUE(prompt.boxes().empty());
        EXPECT_TRUE(port->Receiving());
        EXPECT_EQ(port->Config.dcb.BaudRate, 0u);
        ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
        EXPECT_EQ(cfgetospeed(&t), left);
        ASSERT_TRUE(port->SetMode("9600,N,8,1"));
        ASSERT_EQ(tcgetattr(pty.slave, &t), 0);
        EXPECT_EQ(cfgetospeed(&t), B9600);
    }
}

TEST_F(PtyPort, BytesAtLinePaceAndInLargeBurstsArriveInOrder) {
    auto port = Open(pty.path);
    ASSERT_TRUE(port->SetMode("9600,N,8,1"));
    port->Poll();

    // About one byte per millisecond, as at 9600 baud, polled every 10 ms.
    const std::string paced = Pattern(1200);
    std::thread instrument([&] {
        for (char c : paced) {
            pty.Send(std::string(1, c));
            std::this_thread::sleep_for(1ms);
        }
    });
    const bool all = PollUntil(*port, [&] { return received.size() >= paced.size(); });
    instrument.join();
    ASSERT_TRUE(all) << received.size();
    EXPECT_EQ(received, paced);

    // 64 KiB written as fast as the terminal takes it.
    received.clear();
    const std::string burst = Pattern(64 * 1024);
    std::thread sender([&] { pty.Send(burst); });
    const bool got = PollUntil(*port, [&] { return received.size() >= burst.size(); }, 1ms);
    sender.join();
    ASSERT_TRUE(got) << received.size();
    EXPECT_EQ(received, burst);
}

TEST_F(PtyPort, DeviceIsHeldExclusivelyAndCanBeReopenedAfterClosing) {
    auto port = Open(pty.path);
    ASSERT_NE(port->Handle, 0u);
    auto second = Open(pty.path);
    EXPECT_EQ(second->Handle, 0u);
    EXPECT_EQ(prompt.boxes(),
              (std::vector<PromptEvent>{{PromptEvent::Device, "Не могу открыть порт", pty.path}}));
    second.reset();
    port.reset();

    port = Open(pty.path);
    ASSERT_NE(port->Handle, 0u);
    EXPECT_EQ(prompt.boxes().size(), 1u);
    port->Poll();
    pty.Send("again");
    EXPECT_TRUE(PollUntil(*port, [&] { return received == "again"; }));
}

TEST_F(PtyPort, WriteReachesTheOtherEndAndCompletesThroughPoll) {
    auto port = Open(pty.path);
    int done = 0;
    port->OnWriteDone = [&](TIOPort*) { ++done; };
    EXPECT_TRUE(port->Write("hello", 5));
    EXPECT_EQ(done, 0);
    port->Poll();
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(port->WriteDone);
    EXPECT_EQ(port->BytesWritten, 5u);
    char buffer[8] = {};
    EXPECT_EQ(read(pty.master, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
}

TEST_F(PtyPort, MissingDeviceShowsTheBoxWithTheNameAsGiven) {
    auto port = Open("/dev/pts/no-such");
    EXPECT_EQ(port->Handle, 0u);
    EXPECT_EQ(prompt.boxes(), (std::vector<PromptEvent>{
                                  {PromptEvent::Device, "Не могу открыть порт", "/dev/pts/no-such"}}));
    // A file that is not a terminal is no port either.
    auto file = Open("/dev/null");
    EXPECT_EQ(file->Handle, 0u);
}

TEST_F(PtyPort, OtherEndClosingIsReportedWithoutStormOrSpin) {
    auto port = Open(pty.path);
    ASSERT_TRUE(port->SetMode("9600,N,8,1"));
    port->Poll();
    pty.Send("last words");
    ASSERT_TRUE(PollUntil(*port, [&] { return received == "last words"; }));
    const int events = commEvents;

    pty.CloseMaster();
    port->Poll();
    EXPECT_TRUE(port->DeviceLost());
    for (int i = 0; i < 1000; ++i) port->Poll();  // each returns at once
    EXPECT_LE(commEvents, events + 2);
    EXPECT_EQ(received, "last words");
    EXPECT_TRUE(prompt.boxes().empty());
}

// The port handling listens through a fixed link name (as a serial adapter's
// by-id link) while the instrument side goes away and comes back.
TEST_F(PtyPort, PortHandlingReopensTheSameNameWhenTheOtherEndReturns) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("vornik-port-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path link = dir / "instrument";
    std::filesystem::remove(link);
    std::filesystem::create_symlink(pty.path, link);

    test::ManualPollTimer timer;
    std::string bytes;
    PortHandling handling(prompt, timer, MakeDeviceCommDriver,
                          [&](uint8_t v, bool) { bytes += static_cast<char>(v); });
    handling.CreatePort(link.string());
    ASSERT_EQ(handling.State(), PortState::Listening);
    timer.Tick();
    pty.Send(">G");
    ASSERT_TRUE(pty.WaitQueued(2));
    timer.Tick();
    EXPECT_EQ(bytes, ">G");

    pty.CloseMaster();
    timer.Tick();
    EXPECT_EQ(handling.State(), PortState::Lost);
    timer.Tick(150);  // the link still points at the vanished terminal
    EXPECT_EQ(handling.State(), PortState::Lost);

    Pty next;
    std::filesystem::remove(link);
    std::filesystem::create_symlink(next.path, link);
    timer.Tick(100);
    ASSERT_EQ(handling.State(), PortState::Listening);
    timer.Tick();
    next.Send("12<");
    ASSERT_TRUE(next.WaitQueued(3));
    timer.Tick();
    EXPECT_EQ(bytes, ">G12<");
    EXPECT_TRUE(prompt.boxes().empty());

    handling.DestoryPort();
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vornik

namespace vornik {
// The reason a device could not be opened, for the user.
TEST(PosixOpenFailure, SaysWhyTheDeviceDidNotOpen) {
    PosixCommDriver driver;
    EXPECT_EQ(driver.OpenDevice("/nonexistent/ttyUSB9"), 0u);
    EXPECT_EQ(driver.OpenFailure(), "нет такого устройства");
    EXPECT_EQ(driver.OpenDevice("/dev/null"), 0u);
    EXPECT_EQ(driver.OpenFailure(), "это не последовательный порт");
    test::TestPty pty;
    PosixCommDriver first, second;
    ASSERT_NE(first.OpenDevice(pty.path.c_str()), 0u);
    EXPECT_TRUE(first.OpenFailure().empty());
    EXPECT_EQ(second.OpenDevice(pty.path.c_str()), 0u);
    EXPECT_EQ(second.OpenFailure(), "устройство занято другой программой");
    EXPECT_EQ(OpenFailureText(EACCES), "нет доступа (добавьте пользователя в группу dialout и войдите снова)");
}
}  // namespace vornik
