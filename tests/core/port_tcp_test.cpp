// A network serial server ("tcp:HOST:PORT") through the port handling, as the
// window and the logger use it, against a server of the test's own on the
// loopback address: a burst, a slow trickle, a dropped connection and a
// refused one.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "ManualPollTimer.h"
#include "ScriptedPrompt.h"
#include "device/NetworkPort.h"
#include "device/PortHandling.h"

namespace vornik {
namespace {

using namespace std::chrono_literals;

// A listening socket on 127.0.0.1 with a port the system chose.
class LoopbackServer {
public:
    LoopbackServer() {
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        listen(listener_, 4);
    }
    ~LoopbackServer() {
        Drop();
        StopListening();
    }
    std::string PortName() const { return "tcp:127.0.0.1:" + std::to_string(port_); }
    // Takes the connection the port made (waits a little for it).
    bool Accept() {
        pollfd p{listener_, POLLIN, 0};
        if (poll(&p, 1, 5000) != 1) return false;
        client_ = accept(listener_, nullptr, nullptr);
        return client_ >= 0;
    }
    void Send(const std::string& bytes) const {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
    }
    void Drop() {
        if (client_ >= 0) close(client_);
        client_ = -1;
    }
    void StopListening() {
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
    }

private:
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
};

struct NetworkPort : ::testing::Test {
    // Ticks until pred holds or five seconds pass.
    bool TickUntil(const std::function<bool()>& pred) {
        for (auto end = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < end;) {
            timer.Tick();
            if (pred()) return true;
            std::this_thread::sleep_for(1ms);
        }
        return false;
    }

    test::ScriptedPrompt prompt;
    test::ManualPollTimer timer;
    std::string bytes;
    PortHandling handling{prompt, timer, MakeDeviceCommDriver, [this](uint8_t v, bool) { bytes += char(v); }};
};

TEST_F(NetworkPort, ReceivesBurstsAndTricklesAndReconnectsAfterADrop) {
    LoopbackServer server;
    handling.CreatePort(server.PortName());
    ASSERT_TRUE(server.Accept());
    ASSERT_EQ(handling.State(), PortState::Listening);
    EXPECT_EQ(handling.StatusText(), "Порт " + server.PortName() + ": приём");

    // A burst larger than the receive queue arrives whole and in order.
    std::string burst;
    for (int i = 0; i < 100000; ++i) burst += static_cast<char>(i * 7 + i / 256);
    server.Send(burst);
    ASSERT_TRUE(TickUntil([&] { return bytes.size() >= burst.size(); }));
    EXPECT_EQ(bytes, burst);

    // A trickle, a byte at a time with pauses, loses nothing.
    bytes.clear();
    for (char c : std::string(">G12<")) {
        server.Send(std::string(1, c));
        std::this_thread::sleep_for(20ms);
        timer.Tick();
    }
    ASSERT_TRUE(TickUntil([&] { return bytes.size() == 5; }));
    EXPECT_EQ(bytes, ">G12<");

    // The server drops the connection: reported as an unplugged adapter,
    // then connected again about once a second.
    server.Drop();
    ASSERT_TRUE(TickUntil([&] { return handling.State() == PortState::Lost; }));
    EXPECT_EQ(handling.StatusText(), "Порт " + server.PortName() + " недоступен, повторное открытие");
    timer.Tick(PortHandling::kReopenTicks);
    ASSERT_TRUE(server.Accept());
    ASSERT_EQ(handling.State(), PortState::Listening);
    server.Send("after");
    ASSERT_TRUE(TickUntil([&] { return bytes == ">G12<after"; })) << bytes;
    EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(NetworkPort, ARefusedConnectionSaysSoAndTheLoggerWaitsForTheServer) {
    std::string name;
    {
        LoopbackServer gone;
        name = gone.PortName();
    }
    handling.CreatePort(name);
    EXPECT_EQ(handling.State(), PortState::Failed);
    EXPECT_EQ(handling.FailureReason(), "сервер отказал в соединении");
    EXPECT_EQ(prompt.boxes().size(), 1u);  // "Не могу открыть порт", as for a serial device
    handling.DestoryPort();
    handling.CreatePort("tcp:" + name.substr(name.rfind(':') + 1));
    EXPECT_EQ(handling.FailureReason(), "ожидается tcp:адрес:порт");
    handling.DestoryPort();

    // Unattended, the server's absence is a lost port until it listens.
    LoopbackServer server;
    handling.CreatePortWhenAvailable(server.PortName());
    ASSERT_EQ(handling.State(), PortState::Listening);
    ASSERT_TRUE(server.Accept());
    server.Drop();
    server.StopListening();
    ASSERT_TRUE(TickUntil([&] { return handling.State() == PortState::Lost; }));
    timer.Tick(PortHandling::kReopenTicks * 2);
    EXPECT_EQ(handling.State(), PortState::Lost);  // refused while nobody listens

    NetworkAddress address;
    EXPECT_TRUE(ParseNetworkPortName("TCP:[::1]:4001", address));
    EXPECT_EQ(address.host, "::1");
    EXPECT_EQ(address.port, "4001");
    for (const char* bad : {"tcp:host", "tcp::4001", "tcp:host:", "tcp:host:70000", "tcp:host:4x"})
        EXPECT_FALSE(ParseNetworkPortName(bad, address)) << bad;
}

}  // namespace
}  // namespace vornik
