#pragma once
// A stream device behind a non-blocking file descriptor: a terminal or a
// network connection. Reads and writes never wait; end of file, and errors by
// which a device tells that it is gone, make it a lost device.
#include <cstdint>
#include <string>

#include "device/StreamCommDriver.h"

namespace vornik {

class FdCommDriver : public StreamCommDriver {
public:
    ~FdCommDriver() override;

protected:
    // Takes over fd (non-blocking, open) as the device; the handle to return.
    uintptr_t Adopt(int fd, bool socket);
    int fd() const { return fd_; }

    void CloseStream() override;
    long ReadSome(uint8_t* buffer, size_t size) override;
    long WriteSome(const uint8_t* data, size_t size) override;
    size_t StreamQueued() override;
    size_t StreamUnsent() override;

private:
    int fd_ = -1;
    bool socket_ = false;  // written with send, which raises no SIGPIPE
};

}  // namespace vornik
