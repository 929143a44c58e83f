#include "device/posix/PosixCommDriver.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#ifdef __linux__
#include <linux/serial.h>
#endif

#include "core/Cp1251.h"
#include "device/ModeString.h"

namespace vornik {
namespace {

// Completion codes kept in OVERLAPPED::Internal, as the Windows ones.
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kGenFailure = 31;        // ERROR_GEN_FAILURE
constexpr uint32_t kAborted = 995;          // ERROR_OPERATION_ABORTED
constexpr uint32_t kPending = 997;          // ERROR_IO_PENDING

constexpr int kEventFree = 0, kEventClear = 1, kEventSet = 2;
constexpr int kHighestCom = 16;

struct BaudEntry {
    uint32_t rate;
    speed_t speed;
};

const BaudEntry kBauds[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},
    {150, B150},       {200, B200},       {300, B300},       {600, B600},
    {1200, B1200},     {1800, B1800},     {2400, B2400},     {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},
    {115200, B115200}, {230400, B230400},
#ifdef B460800
    {460800, B460800}, {921600, B921600},
#endif
};

bool SpeedOf(uint32_t rate, speed_t& speed) {
    for (const BaudEntry& e : kBauds)
        if (e.rate == rate) {
            speed = e.speed;
            return true;
        }
    return false;
}

uint32_t RateOf(speed_t speed) {
    for (const BaudEntry& e : kBauds)
        if (e.speed == speed) return e.rate;
    return 0;
}

// Raw input and output; the line settings (speed, size, parity, stop bits)
// are left as they are. VMIN 1 with O_NONBLOCK: an empty line reads EAGAIN,
// so a read of 0 bytes can only mean a hang-up.
void MakeRaw(termios& t) {
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag |= CREAD | CLOCAL;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

// Errors by which a device tells that it is gone.
bool DeviceGone(int error) { return error == EIO || error == ENXIO || error == ENODEV; }

DCB DefaultDcb() {
    DCB dcb;
    dcb.fBinary = true;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fTXContinueOnXoff = true;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    return dcb;
}

bool IsComName(const std::string& name, int& number) {
    if (name.size() < 4 || name.size() > 5) return false;
    if (std::tolower(static_cast<unsigned char>(name[0])) != 'c' ||
        std::tolower(static_cast<unsigned char>(name[1])) != 'o' ||
        std::tolower(static_cast<unsigned char>(name[2])) != 'm')
        return false;
    number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= kHighestCom;
}

}  // namespace

std::string OpenFailureText(int error) {
    switch (error) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return "нет такого устройства";
        case EBUSY:
        case EWOULDBLOCK: return "устройство занято другой программой";
        case EACCES:
        case EPERM: return "нет доступа (добавьте пользователя в группу dialout и войдите снова)";
        case ENOTTY: return "это не последовательный порт";
        default: return std::strerror(error);
    }
}

std::string DevicePath(const std::string& name) {
    std::string path = Cp1251ToUtf8(name);
    if (path.rfind("\\\\.\\", 0) == 0) path.erase(0, 4);  // a Windows device prefix
    if (path.empty()) return path;
    if (path[0] == '/') return path;
    int number = 0;
    if (IsComName(path, number)) return "/dev/ttyS" + std::to_string(number - 1);
    return "/dev/" + path;
}

PosixCommDriver::~PosixCommDriver() { CloseDevice(); }

uintptr_t PosixCommDriver::OpenDevice(const char* name) {
    CloseDevice();
    openFailure_.clear();
    const std::string path = DevicePath(name ? name : "");
    if (path.empty()) {
        openFailure_ = OpenFailureText(ENOENT);
        return 0;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        openFailure_ = OpenFailureText(errno);
        return 0;
    }
    auto fail = [&](int error) {
        openFailure_ = OpenFailureText(error);
        ::close(fd);
        return uintptr_t(0);
    };
    // Exclusive use: the advisory lock keeps out every cooperating program
    // (TIOCEXCL alone does not stop a privileged one).
    termios t{};
    if (!isatty(fd)) return fail(ENOTTY);
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(EBUSY);
    if (tcgetattr(fd, &t) != 0) return fail(errno);
    ioctl(fd, TIOCEXCL);
    MakeRaw(t);
    if (tcsetattr(fd, TCSANOW, &t) != 0) return fail(errno);
    fd_ = fd;
    lost_ = false;
    modemLines_ = Support::Unknown;
    errorCounters_ = Support::Unknown;
    eventMask_ = 0;
    start_ = end_ = 0;
    dcb_ = DefaultDcb();
    clearedErrors_ = ErrorCounts{};
    ReadErrorCounts(clearedErrors_);
    return static_cast<uintptr_t>(fd) + 1;
}

void PosixCommDriver::CloseDevice() {
    if (fd_ < 0) return;
    AbortAll();  // closing a handle ends its pending operations
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
    lost_ = false;
    start_ = end_ = 0;
}

bool PosixCommDriver::ReadLineSettings(DCB& dcb) {
    termios t{};
    if (fd_ < 0 || lost_ || tcgetattr(fd_, &t) != 0) return false;
    dcb = dcb_;
    dcb.DCBlength = 28;
    dcb.BaudRate = RateOf(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
        case CS5: dcb.ByteSize = 5; break;
        case CS6: dcb.ByteSize = 6; break;
        case CS7: dcb.ByteSize = 7; break;
        default: dcb.ByteSize = 8; break;
    }
    dcb.Parity = NOPARITY;
    if (t.c_cflag & PARENB) {
        const bool odd = (t.c_cflag & PARODD) != 0;
        dcb.Parity = odd ? ODDPARITY : EVENPARITY;
#ifdef CMSPAR
        if (t.c_cflag & CMSPAR) dcb.Parity = odd ? MARKPARITY : SPACEPARITY;
#endif
    }
    dcb.StopBits = (t.c_cflag & CSTOPB) ? (dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS)
                                        : ONESTOPBIT;
    dcb.fBinary = true;
    dcb.fParity = (t.c_iflag & INPCK) != 0;
    const bool hardware = (t.c_cflag & CRTSCTS) != 0;
    dcb.fOutxCtsFlow = hardware;
    if (hardware) dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    else if (dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fOutX = (t.c_iflag & IXON) != 0;
    dcb.fInX = (t.c_iflag & IXOFF) != 0;
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    return true;
}

bool PosixCommDriver::ApplyLineSettings(const DCB& dcb) {
    // A speed the table does not list (500000, B0) reads as 0: written back,
    // the device keeps the speed it has, so a state read is always writable.
    const bool keepSpeed = dcb.BaudRate == 0;
    speed_t speed = B0;
    if (fd_ < 0 || lost_ || (!keepSpeed && !SpeedOf(dcb.BaudRate, speed))) return false;
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY) return false;
    if (dcb.StopBits > TWOSTOPBITS) return false;
    // 1.5 stop bits exist only with 5 data bits, 2 stop bits only with more.
    if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return false;
    if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return false;
    termios t{};
    if (tcgetattr(fd_, &t) != 0) return false;
    MakeRaw(t);
    static const tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
    t.c_cflag &= ~CMSPAR;
#endif
    t.c_cflag |= kSizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
        case ODDPARITY: t.c_cflag |= PARENB | PARODD; break;
        case EVENPARITY: t.c_cflag |= PARENB; break;
#ifdef CMSPAR
        case MARKPARITY: t.c_cflag |= PARENB | PARODD | CMSPAR; break;
        case SPACEPARITY: t.c_cflag |= PARENB | CMSPAR; break;
#else
        case MARKPARITY:
        case SPACEPARITY: return false;
#endif
        default: break;
    }
    if (dcb.StopBits != ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) t.c_cflag |= CRTSCTS;
    t.c_iflag &= ~INPCK;
    if (dcb.fParity) t.c_iflag |= INPCK;
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    if (dcb.XonChar) t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    if (dcb.XoffChar) t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    if (!keepSpeed) {
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
    }
    if (tcsetattr(fd_, TCSANOW, &t) != 0) return false;
    dcb_ = dcb;
    return true;
}

bool PosixCommDriver::BuildLineSettings(const char* mode, DCB& dcb) {
    return BuildDcbFromMode(mode, dcb);
}

bool PosixCommDriver::RequestQueueSizes(uint32_t, uint32_t) {
    // The terminal driver sizes its own buffers; the request is advisory.
    return fd_ >= 0 && !lost_;
}

bool PosixCommDriver::PurgeQueues(uint32_t flags) {
    if (fd_ < 0) return false;
    if ((flags & PURGE_RXABORT) && readPending_) {
        readPending_ = false;
        Complete(read_.overlapped, kAborted, 0);
    }
    if ((flags & PURGE_TXABORT) && writePending_) {
        writePending_ = false;
        Complete(write_.overlapped, kAborted, write_.done);
    }
    bool ok = !lost_;
    if (flags & PURGE_RXCLEAR) {
        start_ = end_ = 0;
        if (!lost_ && tcflush(fd_, TCIFLUSH) != 0) ok = false;
    }
    if ((flags & PURGE_TXCLEAR) && !lost_ && tcflush(fd_, TCOFLUSH) != 0) ok = false;
    return ok;
}

bool PosixCommDriver::ClearLineErrors(uint32_t& errors, COMSTAT& status) {
    errors = 0;
    status = COMSTAT{};
    if (fd_ < 0 || lost_) return false;
    ErrorCounts now;
    if (ReadErrorCounts(now)) {
        if (now.frame != clearedErrors_.frame) errors |= CE_FRAME;
        if (now.overrun != clearedErrors_.overrun) errors |= CE_OVERRUN;
        if (now.bufferOverrun != clearedErrors_.bufferOverrun) errors |= CE_RXOVER;
        if (now.parity != clearedErrors_.parity) errors |= CE_RXPARITY;
        if (now.breaks != clearedErrors_.breaks) errors |= CE_BREAK;
        clearedErrors_ = now;
    }
    int waiting = 0;
    status.cbInQue = static_cast<uint32_t>(queued());
    if (ioctl(fd_, FIONREAD, &waiting) == 0 && waiting > 0) status.cbInQue += waiting;
    int unsent = 0;
    if (ioctl(fd_, TIOCOUTQ, &unsent) == 0 && unsent > 0) status.cbOutQue = unsent;
    return true;
}

bool PosixCommDriver::SetEventMask(uint32_t mask) {
    if (fd_ < 0 || lost_) return false;
    eventMask_ = mask;
    // A new mask ends a pending wait with an empty word.
    if (waitPending_) {
        waitPending_ = false;
        *wait_.word = 0;
        Complete(wait_.overlapped, kSuccess, 0);
    }
    return true;
}

bool PosixCommDriver::WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) {
    if (fd_ < 0 || lost_) return false;
    wait_ = PendingWait{};
    wait_.overlapped = &overlapped;
    wait_.word = &eventMask;
    ModemLines(wait_.modemStatus);
    ReadErrorCounts(wait_.errors);
    overlapped.Internal = kPending;
    waitPending_ = true;
    return false;
}

bool PosixCommDriver::ReadModemStatus(uint32_t& status) {
    if (fd_ < 0 || lost_) return false;
    return ModemLines(status);
}

bool PosixCommDriver::EscapeFunction(uint32_t function) {
    if (fd_ < 0 || lost_) return false;
    int bits = 0;
    unsigned long request = 0;
    switch (function) {
        case SETRTS: bits = TIOCM_RTS; request = TIOCMBIS; break;
        case CLRRTS: bits = TIOCM_RTS; request = TIOCMBIC; break;
        case SETDTR: bits = TIOCM_DTR; request = TIOCMBIS; break;
        case CLRDTR: bits = TIOCM_DTR; request = TIOCMBIC; break;
        default: return false;
    }
    return ioctl(fd_, request, &bits) == 0;
}

bool PosixCommDriver::ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) {
    count = 0;
    // A lost device with nothing left to deliver fails at once, without
    // signalling: the owner's drain loop ends instead of spinning.
    if (fd_ < 0 || (lost_ && queued() == 0)) return false;
    read_.overlapped = &overlapped;
    read_.slot = &slot;
    overlapped.Internal = kPending;
    overlapped.InternalHigh = 0;
    readPending_ = true;
    Service();
    if (readPending_ || overlapped.Internal != kSuccess) return false;
    count = overlapped.InternalHigh;
    return true;
}

bool PosixCommDriver::WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                                 OVERLAPPED& overlapped) {
    written = 0;
    if (fd_ < 0 || lost_ || writePending_) return false;
    write_.overlapped = &overlapped;
    write_.data = static_cast<const uint8_t*>(buffer);
    write_.left = count;
    write_.done = 0;
    overlapped.Internal = kPending;
    overlapped.InternalHigh = 0;
    writePending_ = true;
    ServiceWrite();
    if (writePending_ || overlapped.Internal != kSuccess) return false;
    written = overlapped.InternalHigh;
    return true;
}

bool PosixCommDriver::OperationResult(OVERLAPPED& overlapped, uint32_t& count) {
    const bool pending = (readPending_ && read_.overlapped == &overlapped) ||
                         (waitPending_ && wait_.overlapped == &overlapped) ||
                         (writePending_ && write_.overlapped == &overlapped);
    if (pending) return false;  // ERROR_IO_INCOMPLETE
    count = overlapped.InternalHigh;
    return overlapped.Internal == kSuccess;
}

EventHandle PosixCommDriver::NewEvent() {
    for (size_t i = 0; i < events_.size(); ++i)
        if (events_[i] == kEventFree) {
            events_[i] = kEventClear;
            return static_cast<EventHandle>(i + 1);
        }
    return 0;
}

int& PosixCommDriver::EventFlag(EventHandle event) {
    static int none = kEventFree;
    if (event == 0 || event > events_.size()) {
        none = kEventFree;
        return none;
    }
    return events_[event - 1];
}

void PosixCommDriver::ClearEvent(EventHandle event) {
    int& flag = EventFlag(event);
    if (flag != kEventFree) flag = kEventClear;
}

bool PosixCommDriver::EventSignalled(EventHandle event) {
    Service();
    return EventFlag(event) == kEventSet;
}

void PosixCommDriver::FreeEvent(EventHandle event) { EventFlag(event) = kEventFree; }

void PosixCommDriver::Complete(OVERLAPPED* overlapped, uint32_t status, uint32_t count) {
    overlapped->Internal = status;
    overlapped->InternalHigh = count;
    int& flag = EventFlag(overlapped->hEvent);
    if (flag != kEventFree) flag = kEventSet;
}

void PosixCommDriver::AbortAll() {
    if (readPending_) Complete(read_.overlapped, kAborted, 0);
    if (writePending_) Complete(write_.overlapped, kAborted, write_.done);
    if (waitPending_) Complete(wait_.overlapped, kAborted, 0);
    readPending_ = writePending_ = waitPending_ = false;
}

void PosixCommDriver::MarkLost() { lost_ = true; }

// Makes progress on every pending operation; called whenever an event is tested.
void PosixCommDriver::Service() {
    if (fd_ < 0) return;
    FillQueue();
    ServiceRead();
    ServiceWrite();
    ServiceWait();
}

void PosixCommDriver::FillQueue() {
    if (lost_) return;
    // Read from the device only when the queue is empty or a wait still
    // looks for arriving bytes: a drain loop costs no extra system calls.
    const bool wanted = queued() == 0 || (waitPending_ && !wait_.received);
    if (!wanted) return;
    if (start_ == end_) {
        start_ = end_ = 0;
    } else if (end_ == kQueueSize && start_ > 0) {
        std::memmove(queue_.data(), queue_.data() + start_, queued());
        end_ -= start_;
        start_ = 0;
    }
    if (end_ == kQueueSize) return;
    const ssize_t n = ::read(fd_, queue_.data() + end_, kQueueSize - end_);
    if (n > 0) {
        end_ += static_cast<size_t>(n);
        if (waitPending_) wait_.received = true;
    } else if (n == 0 || !WouldBlock(errno)) {
        // End of file on a raw non-blocking terminal is a hang-up; any other
        // read error means the device cannot deliver again.
        MarkLost();
    }
}

void PosixCommDriver::ServiceRead() {
    if (!readPending_) return;
    if (queued() > 0) {
        *read_.slot = queue_[start_++];
        readPending_ = false;
        Complete(read_.overlapped, kSuccess, 1);
    } else if (lost_) {
        readPending_ = false;
        Complete(read_.overlapped, kGenFailure, 0);
    }
}

void PosixCommDriver::ServiceWrite() {
    if (!writePending_) return;
    if (!lost_ && write_.left > 0) {
        const ssize_t n = ::write(fd_, write_.data + write_.done, write_.left);
        if (n > 0) {
            write_.done += static_cast<uint32_t>(n);
            write_.left -= static_cast<uint32_t>(n);
        } else if (n < 0 && !WouldBlock(errno)) {
            if (DeviceGone(errno)) MarkLost();
            writePending_ = false;
            Complete(write_.overlapped, kGenFailure, write_.done);
            return;
        }
    }
    if (lost_) {
        writePending_ = false;
        Complete(write_.overlapped, kGenFailure, write_.done);
    } else if (write_.left == 0) {
        writePending_ = false;
        if (waitPending_) wait_.sent = true;
        Complete(write_.overlapped, kSuccess, write_.done);
    }
}

void PosixCommDriver::ServiceWait() {
    if (!waitPending_) return;
    if (lost_) {
        waitPending_ = false;
        Complete(wait_.overlapped, kGenFailure, 0);
        return;
    }
    uint32_t word = 0;
    if (wait_.received) word |= EV_RXCHAR;
    if (wait_.sent) word |= EV_TXEMPTY;
    uint32_t lines = 0;
    if (ModemLines(lines)) {
        const uint32_t changed = lines ^ wait_.modemStatus;
        if (changed & MS_CTS_ON) word |= EV_CTS;
        if (changed & MS_DSR_ON) word |= EV_DSR;
        if (changed & MS_RLSD_ON) word |= EV_RLSD;
        if ((changed & MS_RING_ON) && !(lines & MS_RING_ON)) word |= EV_RING;  // trailing edge
    }
    ErrorCounts now;
    if (ReadErrorCounts(now)) {
        const ErrorCounts& was = wait_.errors;
        if (now.frame != was.frame || now.overrun != was.overrun || now.parity != was.parity ||
            now.bufferOverrun != was.bufferOverrun)
            word |= EV_ERR;
        if (now.breaks != was.breaks) word |= EV_BREAK;
    }
    word &= eventMask_;
    if (word == 0) return;
    waitPending_ = false;
    *wait_.word = word;
    Complete(wait_.overlapped, kSuccess, 0);
}

bool PosixCommDriver::ModemLines(uint32_t& word) {
    if (modemLines_ == Support::No) return false;
    int bits = 0;
    if (ioctl(fd_, TIOCMGET, &bits) != 0) {
        // A pseudo-terminal has no modem lines: they simply never change.
        if (errno == ENOTTY || errno == EINVAL) modemLines_ = Support::No;
        return false;
    }
    modemLines_ = Support::Yes;
    word = 0;
    if (bits & TIOCM_CTS) word |= MS_CTS_ON;
    if (bits & TIOCM_DSR) word |= MS_DSR_ON;
    if (bits & TIOCM_RNG) word |= MS_RING_ON;
    if (bits & TIOCM_CAR) word |= MS_RLSD_ON;
    return true;
}

bool PosixCommDriver::ReadErrorCounts(ErrorCounts& counts) {
#ifdef TIOCGICOUNT
    if (errorCounters_ == Support::No || fd_ < 0) return false;
    serial_icounter_struct ic{};
    if (ioctl(fd_, TIOCGICOUNT, &ic) != 0) {
        if (errno == ENOTTY || errno == EINVAL) errorCounters_ = Support::No;
        return false;
    }
    errorCounters_ = Support::Yes;
    counts.frame = static_cast<uint32_t>(ic.frame);
    counts.overrun = static_cast<uint32_t>(ic.overrun);
    counts.parity = static_cast<uint32_t>(ic.parity);
    counts.bufferOverrun = static_cast<uint32_t>(ic.buf_overrun);
    counts.breaks = static_cast<uint32_t>(ic.brk);
    return true;
#else
    (void)counts;
    return false;
#endif
}

std::unique_ptr<CommDriver> MakePlatformCommDriver() { return std::make_unique<PosixCommDriver>(); }

}  // namespace vornik
