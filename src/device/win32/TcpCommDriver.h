#pragma once
// A network serial server on Windows: the raw TCP stream of a device server
// or ser2net, named "tcp:HOST:PORT", over a non-blocking Winsock socket. The
// line settings are the server's; here they are kept for the owner and
// change nothing. A closed or broken connection is a lost device.
#ifdef _WIN32
#include <cstdint>
#include <string>

#include "device/StreamCommDriver.h"

namespace vornik {

class TcpCommDriver : public StreamCommDriver {
public:
    ~TcpCommDriver() override;

protected:
    uintptr_t OpenStream(const std::string& name, std::string& failure) override;
    void CloseStream() override;
    long ReadSome(uint8_t* buffer, size_t size) override;
    long WriteSome(const uint8_t* data, size_t size) override;
    size_t StreamQueued() override;

private:
    uintptr_t socket_ = ~uintptr_t(0);  // SOCKET; INVALID_SOCKET when closed
};

}  // namespace vornik
#endif
