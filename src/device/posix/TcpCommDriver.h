#pragma once
// A network serial server: the raw TCP stream of a device server or ser2net,
// named "tcp:HOST:PORT". The line settings of the serial line are the
// server's; here they are kept for the owner and change nothing. A closed or
// broken connection is a lost device, reopened by connecting again.
#include <string>

#include "device/posix/FdCommDriver.h"

namespace vornik {

class TcpCommDriver : public FdCommDriver {
public:
    ~TcpCommDriver() override;

protected:
    uintptr_t OpenStream(const std::string& name, std::string& failure) override;
};

}  // namespace vornik
