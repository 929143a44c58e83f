#ifdef _WIN32
#include "device/win32/TcpCommDriver.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "core/Cp1251.h"
#include "device/NetworkPort.h"

namespace vornik {
namespace {

bool StartWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

std::string ConnectFailureText(int error) {
    switch (error) {
        case WSAECONNREFUSED: return "сервер отказал в соединении";
        case WSAETIMEDOUT: return "сервер не отвечает";
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH: return "сеть или сервер недоступны";
        default: return "ошибка сети " + std::to_string(error);
    }
}

// Starts a non-blocking connection and waits for it a moment;
// INVALID_SOCKET with `error` set when it failed.
SOCKET Connect(const addrinfo& address, int& error) {
    SOCKET s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return s;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            error = WSAGetLastError();
            closesocket(s);
            return INVALID_SOCKET;
        }
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait{0, TcpCommDriver::kConnectWaitMs * 1000};
        if (select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(s, &failed)) {
            int result = 0;
            int length = sizeof result;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length);
            error = result ? result : WSAECONNREFUSED;
            closesocket(s);
            return INVALID_SOCKET;
        }
    }
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return s;
}

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAENOTCONN || error == WSAEINTR; }

}  // namespace

TcpCommDriver::~TcpCommDriver() { CloseDevice(); }

uintptr_t TcpCommDriver::OpenStream(const std::string& name, std::string& failure) {
    NetworkAddress address;
    if (!ParseNetworkPortName(name, address)) {
        failure = "ожидается tcp:адрес:порт";
        return 0;
    }
    if (!StartWinsock()) {
        failure = "сеть недоступна";
        return 0;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    if (getaddrinfo(Cp1251ToUtf8(address.host).c_str(), address.port.c_str(), &hints, &found) != 0) {
        failure = "адрес не найден";
        return 0;
    }
    int error = WSAECONNREFUSED;
    SOCKET s = INVALID_SOCKET;
    for (const addrinfo* a = found; a && s == INVALID_SOCKET; a = a->ai_next) s = Connect(*a, error);
    freeaddrinfo(found);
    if (s == INVALID_SOCKET) {
        failure = ConnectFailureText(error);
        return 0;
    }
    socket_ = s;
    dcb_ = DefaultDcb();
    return static_cast<uintptr_t>(s);
}

void TcpCommDriver::CloseStream() {
    if (socket_ != INVALID_SOCKET) closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

long TcpCommDriver::ReadSome(uint8_t* buffer, size_t size) {
    const int n = recv(socket_, reinterpret_cast<char*>(buffer), static_cast<int>(size), 0);
    if (n > 0) return n;
    if (n < 0 && WouldBlock(WSAGetLastError())) return 0;
    return Gone;  // the server closed the connection, or it broke
}

long TcpCommDriver::WriteSome(const uint8_t* data, size_t size) {
    const int n = send(socket_, reinterpret_cast<const char*>(data), static_cast<int>(size), 0);
    if (n >= 0) return n;
    if (WouldBlock(WSAGetLastError())) return 0;
    MarkLost();
    return Gone;
}

size_t TcpCommDriver::StreamQueued() {
    u_long waiting = 0;
    return ioctlsocket(socket_, FIONREAD, &waiting) == 0 ? waiting : 0;
}

std::unique_ptr<CommDriver> MakeNetworkCommDriver() { return std::make_unique<TcpCommDriver>(); }

}  // namespace vornik
#endif
