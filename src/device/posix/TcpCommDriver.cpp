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

#include "core/Cp1251.h"
#include "device/NetworkPort.h"

namespace vornik {
namespace {

std::string ConnectFailureText(int error) {
    switch (error) {
        case ECONNREFUSED: return "сервер отказал в соединении";
        case ETIMEDOUT: return "сервер не отвечает";
        case ENETUNREACH:
        case EHOSTUNREACH: return "сеть или сервер недоступны";
        default: return std::strerror(error);
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

// Starts a non-blocking connection and waits for it a moment; -1 with
// `error` set when it failed.
int Connect(const addrinfo& address, int& error) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                            address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) {
            error = errno;
            ::close(fd);
            return -1;
        }
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, TcpCommDriver::kConnectWaitMs) > 0) {
            int result = 0;
            socklen_t length = sizeof result;
            getsockopt(fd, SOL_SOCKET, SO_ERROR, &result, &length);
            if (result != 0) {
                error = result;
                ::close(fd);
                return -1;
            }
        }
    }
    WatchConnection(fd);
    return fd;
}

}  // namespace

TcpCommDriver::~TcpCommDriver() { CloseDevice(); }

uintptr_t TcpCommDriver::OpenStream(const std::string& name, std::string& failure) {
    NetworkAddress address;
    if (!ParseNetworkPortName(name, address)) {
        failure = "ожидается tcp:адрес:порт";
        return 0;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(Cp1251ToUtf8(address.host).c_str(), address.port.c_str(), &hints, &found);
    if (lookup != 0) {
        failure = std::string("адрес не найден: ") + gai_strerror(lookup);
        return 0;
    }
    int error = ECONNREFUSED;
    int fd = -1;
    for (const addrinfo* a = found; a && fd < 0; a = a->ai_next) fd = Connect(*a, error);
    freeaddrinfo(found);
    if (fd < 0) {
        failure = ConnectFailureText(error);
        return 0;
    }
    dcb_ = DefaultDcb();
    return Adopt(fd, true);
}

std::unique_ptr<CommDriver> MakeNetworkCommDriver() { return std::make_unique<TcpCommDriver>(); }

}  // namespace vornik
