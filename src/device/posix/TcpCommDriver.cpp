#include "device/posix/TcpCommDriver.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "device/NetworkPort.h"
#include "device/ServerConnection.h"

namespace vornik {
namespace {

ConnectError Described(int error) {
    switch (error) {
        case ECONNREFUSED: return {ConnectFailure::Refused, {}};
        case ETIMEDOUT: return {ConnectFailure::NoAnswer, {}};
        case ENETUNREACH:
        case EHOSTUNREACH: return {ConnectFailure::Unreachable, {}};
        default: return {ConnectFailure::Other, std::strerror(error)};
    }
}

// A connection whose other end vanished without closing it (a cable pulled,
// a server switched off) is found dead within about half a minute.
void WatchConnection(int fd) {
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
#ifdef TCP_KEEPIDLE
    int idle = 10, interval = 5, count = 3;
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
#endif
}

// Starts a non-blocking connection and waits for it a moment; nothing with
// `error` set when it failed.
std::optional<uintptr_t> Connect(const addrinfo& address, ConnectError& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = Described(errno);
        return std::nullopt;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            error = Described(errno);
            ::close(fd);
            return std::nullopt;
        }
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, kConnectWaitMs) > 0) {
            int result = 0;
            socklen_t length = sizeof result;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
            if (result != 0) {
                error = Described(result);
                ::close(fd);
                return std::nullopt;
            }
        }
    }
    WatchConnection(fd);
    return static_cast<uintptr_t>(fd);
}

}  // namespace

TcpCommDriver::~TcpCommDriver() { CloseDevice(); }

uintptr_t TcpCommDriver::OpenStream(const std::string& name, std::string& failure) {
    const std::optional<uintptr_t> fd = ConnectToServer(name, Connect, failure);
    if (!fd) return 0;
    dcb_ = DefaultDcb();
    return Adopt(static_cast<int>(*fd), true);
}

std::unique_ptr<CommDriver> MakeNetworkCommDriver() { return std::make_unique<TcpCommDriver>(); }

}  // namespace vornik
