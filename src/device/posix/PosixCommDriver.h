#pragma once
// The serial device on a POSIX system: a terminal device opened raw and
// non-blocking, for this program alone. Its line settings, modem lines and
// error counters are the terminal's; the asynchronous operations are those
// of every stream device (StreamCommDriver).
#include <cstdint>
#include <string>

#include "device/posix/FdCommDriver.h"

namespace vornik {

// The path a configured port name opens: "COM1".."COM16" are /dev/ttyS0..
// /dev/ttyS15, a name starting with "/" is a path, any other name is looked
// up under /dev. The name is Windows-1251 bytes; the path is UTF-8.
std::string DevicePath(const std::string& name);

// The reason of a failed open, in words for the user (UTF-8).
std::string OpenFailureText(int error);

class PosixCommDriver : public FdCommDriver {
public:
    PosixCommDriver() = default;
    ~PosixCommDriver() override;

    bool ReadLineSettings(DCB& dcb) override;
    bool ApplyLineSettings(const DCB& dcb) override;
    bool EscapeFunction(uint32_t function) override;

protected:
    uintptr_t OpenStream(const std::string& name, std::string& failure) override;
    void CloseStream() override;
    bool FlushStream(bool input, bool output) override;
    bool ModemLines(uint32_t& word) override;
    bool ReadErrorCounts(ErrorCounts& counts) override;

private:
    enum class Support { Unknown, Yes, No };
    Support modemLines_ = Support::Unknown;
    Support errorCounters_ = Support::Unknown;
};

}  // namespace vornik
