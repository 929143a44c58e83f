#pragma once
// A pseudo-terminal for tests: the test writes into the master, the program
// under test opens the slave by its name. Raw from the start, so that the
// slave's input queue counts every byte.
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace vornik::test {

struct TestPty {
    TestPty() {
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0) ADD_FAILURE() << "openpty";
        path = name;
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
    }
    ~TestPty() {
        CloseMaster();
        if (slave >= 0) close(slave);
    }
    TestPty(const TestPty&) = delete;
    TestPty& operator=(const TestPty&) = delete;

    void Send(const std::string& bytes) const {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
    }
    // Waits until the slave's input queue holds n bytes.
    bool WaitQueued(int n) const {
        using namespace std::chrono_literals;
        for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
            int queued = 0;
            if (ioctl(slave, FIONREAD, &queued) == 0 && queued >= n) return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }
    // Sends and waits until the terminal holds the bytes for reading.
    bool Deliver(const std::string& bytes) const {
        Send(bytes);
        return WaitQueued(static_cast<int>(bytes.size()));
    }
    void CloseMaster() {
        if (master >= 0) close(master);
        master = -1;
    }

    int master = -1;
    int slave = -1;
    std::string path;
};

}  // namespace vornik::test
