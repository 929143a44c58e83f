#include "device/posix/FdCommDriver.h"

#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace vornik {
namespace {

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

// Errors by which a device tells that it is gone.
bool DeviceGone(int error) {
    return error == EIO || error == ENXIO || error == ENODEV || error == EPIPE || error == ECONNRESET;
}

}  // namespace

FdCommDriver::~FdCommDriver() { CloseDevice(); }

uintptr_t FdCommDriver::Adopt(int fd, bool socket) {
    fd_ = fd;
    socket_ = socket;
    return static_cast<uintptr_t>(fd) + 1;
}

void FdCommDriver::CloseStream() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

long FdCommDriver::ReadSome(uint8_t* buffer, size_t size) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n > 0) return static_cast<long>(n);
    // End of file on a raw non-blocking terminal is a hang-up, on a
    // connection its end; any other read error means the device cannot
    // deliver again.
    if (n < 0 && WouldBlock(errno)) return 0;
    return Gone;
}

long FdCommDriver::WriteSome(const uint8_t* data, size_t size) {
    const ssize_t n = socket_ ? ::send(fd_, data, size, MSG_NOSIGNAL) : ::write(fd_, data, size);
    if (n >= 0) return static_cast<long>(n);
    if (WouldBlock(errno)) return 0;
    if (DeviceGone(errno)) MarkLost();
    return Gone;
}

size_t FdCommDriver::StreamQueued() {
    int waiting = 0;
    return ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0 ? static_cast<size_t>(waiting) : 0;
}

size_t FdCommDriver::StreamUnsent() {
    int unsent = 0;
    return ioctl(fd_, TIOCOUTQ, &unsent) == 0 && unsent > 0 ? static_cast<size_t>(unsent) : 0;
}

}  // namespace vornik
