#ifdef _WIN32
#include "device/win32/TcpCommDriver.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "device/NetworkPort.h"
#include "device/ServerConnection.h"

namespace vornik {
namespace {

ConnectError Described(int error) {
    switch (error) {
        case WSAECONNREFUSED: return {ConnectFailure::Refused, {}};
        case WSAETIMEDOUT: return {ConnectFailure::NoAnswer, {}};
        case WSAENETUNREACH:
        case WSAEHOSTUNREACH: return {ConnectFailure::Unreachable, {}};
        default: return {ConnectFailure::Other, "ошибка сети " + std::to_string(error)};
    }
}

// Starts a non-blocking connection and waits for it a moment; nothing with
// `error` set when it failed.
std::optional<uintptr_t> Connect(const addrinfo& address, ConnectError& error) {
    SOCKET s = ::socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = Described(WSAGetLastError());
        return std::nullopt;
    }
    u_long nonBlocking = 1;
    ioctlsocket(s, FIONBIO, &nonBlocking);
    if (::connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) {
            error = Described(WSAGetLastError());
            closesocket(s);
            return std::nullopt;
        }
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s, &writable);
        FD_SET(s, &failed);
        timeval wait{0, kConnectWaitMs * 1000};
        if (select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(s, &failed)) {
            int result = 0;
            int length = sizeof result;
            getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&result), &length);
            error = Described(result ? result : WSAECONNREFUSED);
            closesocket(s);
            return std::nullopt;
        }
    }
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<uintptr_t>(s);
}

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAENOTCONN || error == WSAEINTR; }

}  // namespace

TcpCommDriver::~TcpCommDriver() { CloseDevice(); }

uintptr_t TcpCommDriver::OpenStream(const std::string& name, std::string& failure) {
    const std::optional<uintptr_t> s = ConnectToServer(name, Connect, failure);
    if (!s) return 0;
    socket_ = *s;
    dcb_ = DefaultDcb();
    return *s;
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
