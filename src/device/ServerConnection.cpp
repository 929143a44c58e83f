#include "device/ServerConnection.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

#include "core/Cp1251.h"
#include "device/NetworkPort.h"

namespace vornik {
namespace {

#ifdef _WIN32
bool StartNetwork() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}
#else
bool StartNetwork() { return true; }
#endif

// The resolver's own texts are in the system's language and code page, so a
// failed lookup is told in the program's words with the code for support.
std::string LookupFailureText(int code) {
    switch (code) {
        case EAI_NONAME: return "адрес не найден: нет такого имени";
        case EAI_AGAIN: return "адрес не найден: служба имён не отвечает";
        default: return "адрес не найден: ошибка " + std::to_string(code);
    }
}

std::string ConnectFailureText(const ConnectError& error) {
    switch (error.kind) {
        case ConnectFailure::Refused: return "сервер отказал в соединении";
        case ConnectFailure::NoAnswer: return "сервер не отвечает";
        case ConnectFailure::Unreachable: return "сеть или сервер недоступны";
        case ConnectFailure::Other: break;
    }
    return error.detail;
}

}  // namespace

std::optional<uintptr_t> ConnectToServer(const std::string& portName, const ConnectAttempt& attempt, std::string& failure) {
    NetworkAddress address;
    if (!ParseNetworkPortName(portName, address)) {
        failure = "ожидается tcp:адрес:порт";
        return std::nullopt;
    }
    if (!StartNetwork()) {
        failure = "сеть недоступна";
        return std::nullopt;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
#ifdef AI_NUMERICSERV
    hints.ai_flags = AI_NUMERICSERV;
#endif
    addrinfo* found = nullptr;
    const int lookup = getaddrinfo(Cp1251ToUtf8(address.host).c_str(), address.port.c_str(), &hints, &found);
    if (lookup != 0) {
        failure = LookupFailureText(lookup);
        return std::nullopt;
    }
    ConnectError error;
    std::optional<uintptr_t> socket;
    for (const addrinfo* a = found; a && !socket; a = a->ai_next) socket = attempt(*a, error);
    freeaddrinfo(found);
    if (!socket) failure = ConnectFailureText(error);
    return socket;
}

}  // namespace vornik
