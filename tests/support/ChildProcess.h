#pragma once
// Helpers of the tests that run the real programs as child processes (POSIX).
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TestFiles.h"

namespace vornik::test {

// Polls `done` until it holds or `limit` has passed; its last answer.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// How often `part` stands in `text`.
inline size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

// A program (argv[0] a path) whose standard error goes to the file `log`;
// ended with SIGTERM when it goes out of scope.
class ChildProcess {
public:
    ChildProcess(std::vector<std::string> argv, const std::string& log) : log_(log) {
        pid_ = fork();
        if (pid_ == 0) {
            const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
            dup2(fd, 2);
            // The test's own terminals must close when the test closes them,
            // and the program must not outlive a test that ends early.
            for (int other = 3; other < 1024; ++other) close(other);
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            std::vector<char*> args;
            for (auto& a : argv) args.push_back(a.data());
            args.push_back(nullptr);
            execv(args[0], args.data());
            _exit(127);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        if (pid_ > 0) Stop();
    }
    // SIGTERM, then the exit status (-1 when it did not end in time).
    int Stop() {
        kill(pid_, SIGTERM);
        return Wait();
    }
    int Wait() {
        int status = 0;
        const bool ended = WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        if (!ended) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
        }
        pid_ = -1;
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Log() const { return ReadAll(log_); }

private:
    std::string log_;
    pid_t pid_ = -1;
};

}  // namespace vornik::test
