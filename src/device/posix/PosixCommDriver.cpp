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

namespace vornik {
namespace {

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

uintptr_t PosixCommDriver::OpenStream(const std::string& name, std::string& failure) {
    const std::string path = DevicePath(name);
    if (path.empty()) {
        failure = OpenFailureText(ENOENT);
        return 0;
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = OpenFailureText(errno);
        return 0;
    }
    auto fail = [&](int error) {
        failure = OpenFailureText(error);
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
    modemLines_ = Support::Unknown;
    errorCounters_ = Support::Unknown;
    dcb_ = DefaultDcb();
    return Adopt(fd, false);
}

void PosixCommDriver::CloseStream() {
    ioctl(fd(), TIOCNXCL);
    FdCommDriver::CloseStream();
}

bool PosixCommDriver::ReadLineSettings(DCB& dcb) {
    termios t{};
    if (!IsOpen() || IsLost() || tcgetattr(fd(), &t) != 0) return false;
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
    if (!IsOpen() || IsLost() || (!keepSpeed && !SpeedOf(dcb.BaudRate, speed))) return false;
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY) return false;
    if (dcb.StopBits > TWOSTOPBITS) return false;
    // 1.5 stop bits exist only with 5 data bits, 2 stop bits only with more.
    if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return false;
    if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return false;
    termios t{};
    if (tcgetattr(fd(), &t) != 0) return false;
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
    if (tcsetattr(fd(), TCSANOW, &t) != 0) return false;
    dcb_ = dcb;
    return true;
}

bool PosixCommDriver::FlushStream(bool input, bool output) {
    bool ok = true;
    if (input && tcflush(fd(), TCIFLUSH) != 0) ok = false;
    if (output && tcflush(fd(), TCOFLUSH) != 0) ok = false;
    return ok;
}

bool PosixCommDriver::EscapeFunction(uint32_t function) {
    if (!IsOpen() || IsLost()) return false;
    int bits = 0;
    unsigned long request = 0;
    switch (function) {
        case SETRTS: bits = TIOCM_RTS; request = TIOCMBIS; break;
        case CLRRTS: bits = TIOCM_RTS; request = TIOCMBIC; break;
        case SETDTR: bits = TIOCM_DTR; request = TIOCMBIS; break;
        case CLRDTR: bits = TIOCM_DTR; request = TIOCMBIC; break;
        default: return false;
    }
    return ioctl(fd(), request, &bits) == 0;
}

bool PosixCommDriver::ModemLines(uint32_t& word) {
    if (modemLines_ == Support::No) return false;
    int bits = 0;
    if (ioctl(fd(), TIOCMGET, &bits) != 0) {
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
    if (errorCounters_ == Support::No || fd() < 0) return false;
    serial_icounter_struct ic{};
    if (ioctl(fd(), TIOCGICOUNT, &ic) != 0) {
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
