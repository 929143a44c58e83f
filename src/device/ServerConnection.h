#pragma once
// The steps every platform's network driver shares when it opens
// "tcp:HOST:PORT": read the name, look the host up, try its addresses in turn
// and describe a failure in the status bar's words. Only the attempt on one
// address is the platform's own.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct addrinfo;

namespace vornik {

// How long an attempt waits for the connection before it counts it as made
// and lets the first reads tell how it ended (a far server answers late).
constexpr int kConnectWaitMs = 250;

// Why a connection attempt failed, in words shared by every platform.
enum class ConnectFailure { Refused, NoAnswer, Unreachable, Other };

struct ConnectError {
    ConnectFailure kind = ConnectFailure::Refused;
    std::string detail;  // the platform's text for ConnectFailure::Other
};

// Tries one address; the connected socket, or nothing with `error` set.
using ConnectAttempt = std::function<std::optional<uintptr_t>(const addrinfo& address, ConnectError& error)>;

// The connected socket of the server the port name names, or nothing with
// `failure` set to the text shown to the user.
std::optional<uintptr_t> ConnectToServer(const std::string& portName, const ConnectAttempt& attempt, std::string& failure);

}  // namespace vornik
