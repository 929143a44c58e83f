// The simulator's replies, from the generator and from the vornik-sim tool
// (over a pipe and over a pseudo-terminal), decode as the instrument's do.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ScriptedPrompt.h"
#include "core/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

using namespace vornik;
using namespace vornik::test;

namespace {


struct Receiver {
    Receiver() : decoder(model, prompt, [this](const std::string& e) { errors.push_back(e); }) {
        decoder.AddRowListener([this](int, int) { ++rows; });
    }
    MainModel model;
    ScriptedPrompt prompt;
    std::vector<std::string> errors;
    ReplyDecoder decoder;
    int rows = 0;
};

#ifndef _WIN32
const std::string kSim = std::string(VORNIK_BINARY_DIR) + "/vornik-sim";

std::string RunSim(const std::string& args) {
    FILE* pipe = popen((kSim + " " + args).c_str(), "r");
    if (!pipe) return "";
    std::string out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}
#endif

TEST(ReplyGenerator, RepliesDecodeIntoPlausibleRows) {
    Receiver r;
    ReplyGenerator generator(11);
    for (int i = 0; i < 600; ++i) r.decoder.RecieveAll(generator.Reply(generator.PickPage({1, 1, 1}), i % 3 != 0));
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(r.rows, 600);
    const auto& gas = r.model.Table(PageGas);
    ASSERT_GT(gas.RowCount(), 100);
    for (int row = 1; row < gas.RowCount(); ++row) {
        const double o2 = CellValue(gas.Cell(4, row));
        const double alf = CellValue(gas.Cell(13, row));
        EXPECT_TRUE(o2 > 0 && o2 < 21) << o2;
        EXPECT_NEAR(alf, 21 / (21 - o2), 0.02);
        EXPECT_LT(gas.Cell(0, row).size() + gas.Cell(18, row).size(), 60u);
    }
    const auto& prd = r.model.Table(PagePrd);
    for (int row = 1; row < prd.RowCount(); ++row) EXPECT_NEAR(CellValue(prd.Cell(4, row)), 101.3, 0.5);
    // The same seed gives the same bytes.
    ReplyGenerator a(3), b(3);
    EXPECT_EQ(a.Reply(PageGas), b.Reply(PageGas));
    EXPECT_EQ(a.Damage(a.Reply(PageTemp), ReplyFault::LineNoise),
              b.Damage(b.Reply(PageTemp), ReplyFault::LineNoise));
}

#ifndef _WIN32
TEST(VornikSim, StdoutRepliesDecode) {
    if (!std::filesystem::exists(kSim)) GTEST_SKIP() << "vornik-sim not built";
    Receiver r;
    r.decoder.RecieveAll(RunSim("--stdout --count 200 --rate 0 --mix 2:1:1 --lf --seed 9 --quiet"));
    EXPECT_EQ(r.rows, 200);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_GT(r.model.Table(PageTemp).RowCount(), 2);

    Receiver noisy;
    noisy.decoder.RecieveAll(RunSim("--stdout --count 300 --rate 0 --noise 0.5 --faults number,long --quiet"));
    EXPECT_GT(noisy.rows, 100);
    EXPECT_LT(noisy.rows, 300);
    EXPECT_FALSE(noisy.errors.empty());
}

TEST(VornikSim, SendsIntoAPseudoTerminal) {
    if (!std::filesystem::exists(kSim)) GTEST_SKIP() << "vornik-sim not built";
    FILE* pipe = popen((kSim + " --pty --count 20 --rate 50 --hold 3 --quiet").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char name[256] = {};
    ASSERT_NE(fgets(name, sizeof name, pipe), nullptr);
    std::string device(name);
    device.erase(device.find_last_not_of("\r\n") + 1);
    const int fd = open(device.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0) << device;

    Receiver r;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (r.rows < 20 && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 200) <= 0) continue;
        char buffer[512];
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) r.decoder.RecieveAll(std::string(buffer, size_t(n)));
    }
    close(fd);
    pclose(pipe);
    EXPECT_EQ(r.rows, 20);
    EXPECT_TRUE(r.errors.empty());
}
#endif

}  // namespace
