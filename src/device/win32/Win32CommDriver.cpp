#ifdef _WIN32
#include "device/win32/Win32CommDriver.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace vornik {

struct Win32CommDriver::Record {
    HANDLE event = nullptr;
    ::OVERLAPPED native{};
    DWORD word = 0;             // event word of a comm-event wait
    uint32_t* wordOut = nullptr;  // where the owner expects it
    bool waiting = false;         // a comm-event wait was left pending on it
    // The one-byte read's record: where its byte goes, whether a native
    // read into the buffer is pending, whether a byte was delivered (ready
    // until the owner clears the event).
    uint8_t* slot = nullptr;
    bool bufferRead = false;
    bool delivered = false;
    bool ready = false;
};

namespace {

// Errors with which an operation ends when its device went away: an adapter
// unplugged, or (under wine) the other end of a pseudo-terminal closed.
bool DeviceGone(DWORD error) {
    switch (error) {
        case ERROR_BROKEN_PIPE:
        case ERROR_DEVICE_REMOVED:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_BAD_COMMAND:
        case ERROR_GEN_FAILURE:
        case ERROR_ACCESS_DENIED:
            return true;
        default:
            return false;
    }
}

void FromNative(const ::DCB& n, DCB& d) {
    d.DCBlength = n.DCBlength;
    d.BaudRate = n.BaudRate;
    d.fBinary = n.fBinary;
    d.fParity = n.fParity;
    d.fOutxCtsFlow = n.fOutxCtsFlow;
    d.fOutxDsrFlow = n.fOutxDsrFlow;
    d.fDtrControl = static_cast<uint8_t>(n.fDtrControl);
    d.fDsrSensitivity = n.fDsrSensitivity;
    d.fTXContinueOnXoff = n.fTXContinueOnXoff;
    d.fOutX = n.fOutX;
    d.fInX = n.fInX;
    d.fErrorChar = n.fErrorChar;
    d.fNull = n.fNull;
    d.fRtsControl = static_cast<uint8_t>(n.fRtsControl);
    d.fAbortOnError = n.fAbortOnError;
    d.XonLim = n.XonLim;
    d.XoffLim = n.XoffLim;
    d.ByteSize = n.ByteSize;
    d.Parity = n.Parity;
    d.StopBits = n.StopBits;
    d.XonChar = n.XonChar;
    d.XoffChar = n.XoffChar;
    d.ErrorChar = n.ErrorChar;
    d.EofChar = n.EofChar;
    d.EvtChar = n.EvtChar;
}

void ToNative(const DCB& d, ::DCB& n) {
    n.DCBlength = sizeof(::DCB);
    n.BaudRate = d.BaudRate;
    n.fBinary = d.fBinary;
    n.fParity = d.fParity;
    n.fOutxCtsFlow = d.fOutxCtsFlow;
    n.fOutxDsrFlow = d.fOutxDsrFlow;
    n.fDtrControl = d.fDtrControl;
    n.fDsrSensitivity = d.fDsrSensitivity;
    n.fTXContinueOnXoff = d.fTXContinueOnXoff;
    n.fOutX = d.fOutX;
    n.fInX = d.fInX;
    n.fErrorChar = d.fErrorChar;
    n.fNull = d.fNull;
    n.fRtsControl = d.fRtsControl;
    n.fAbortOnError = d.fAbortOnError;
    n.XonLim = d.XonLim;
    n.XoffLim = d.XoffLim;
    n.ByteSize = d.ByteSize;
    n.Parity = d.Parity;
    n.StopBits = d.StopBits;
    n.XonChar = d.XonChar;
    n.XoffChar = d.XoffChar;
    n.ErrorChar = d.ErrorChar;
    n.EofChar = d.EofChar;
    n.EvtChar = d.EvtChar;
}

}  // namespace

Win32CommDriver::~Win32CommDriver() {
    CloseDevice();
    for (Record*& r : records_) {
        if (r && r->event) CloseHandle(r->event);
        delete r;
        r = nullptr;
    }
}

Win32CommDriver::Record* Win32CommDriver::RecordOf(EventHandle event) {
    if (event == 0 || event > records_.size()) return nullptr;
    return records_[event - 1];
}

uintptr_t Win32CommDriver::OpenDevice(const char* name) {
    CloseDevice();
    std::string path = name ? name : "";
    if (path.rfind("\\\\.\\", 0) != 0) path = "\\\\.\\" + path;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    // No time-outs: a read waits until all its bytes came, whatever
    // time-outs the device's previous user left behind.
    COMMTIMEOUTS timeouts{};
    SetCommTimeouts(h, &timeouts);
    handle_ = h;
    lost_ = false;
    heldErrors_ = 0;
    bufferStart_ = bufferEnd_ = 0;
    return reinterpret_cast<uintptr_t>(h);
}

void Win32CommDriver::CloseDevice() {
    if (!handle_) return;
    CloseHandle(handle_);
    handle_ = nullptr;
    lost_ = false;
    bufferStart_ = bufferEnd_ = 0;
    for (Record* r : records_)
        if (r) {
            r->bufferRead = r->ready = r->delivered = false;
            r->slot = nullptr;  // a read is armed again after the next open
        }
}

bool Win32CommDriver::ReadLineSettings(DCB& dcb) {
    ::DCB n{};
    n.DCBlength = sizeof n;
    if (!handle_ || !GetCommState(handle_, &n)) return false;
    FromNative(n, dcb);
    return true;
}

bool Win32CommDriver::ApplyLineSettings(const DCB& dcb) {
    ::DCB n{};
    ToNative(dcb, n);
    return handle_ && SetCommState(handle_, &n);
}

bool Win32CommDriver::BuildLineSettings(const char* mode, DCB& dcb) {
    ::DCB n{};
    ToNative(dcb, n);
    if (!BuildCommDCBA(mode, &n)) return false;
    FromNative(n, dcb);
    return true;
}

bool Win32CommDriver::RequestQueueSizes(uint32_t inQueue, uint32_t outQueue) {
    return handle_ && SetupComm(handle_, inQueue, outQueue);
}

bool Win32CommDriver::PurgeQueues(uint32_t flags) {
    if (flags & PURGE_RXCLEAR) bufferStart_ = bufferEnd_ = 0;
    return handle_ && PurgeComm(handle_, flags);
}

bool Win32CommDriver::ClearLineErrors(uint32_t& errors, COMSTAT& status) {
    DWORD e = 0;
    ::COMSTAT s{};
    const bool ok = handle_ && ClearCommError(handle_, &e, &s);
    errors = e | heldErrors_;
    heldErrors_ = 0;
    status.Flags = static_cast<uint32_t>(s.fCtsHold) | s.fDsrHold << 1 | s.fRlsdHold << 2 |
                   s.fXoffHold << 3 | s.fXoffSent << 4 | s.fEof << 5 | s.fTxim << 6;
    status.cbInQue = s.cbInQue + static_cast<uint32_t>(bufferEnd_ - bufferStart_);
    status.cbOutQue = s.cbOutQue;
    return ok;
}

bool Win32CommDriver::SetEventMask(uint32_t mask) { return handle_ && SetCommMask(handle_, mask); }

bool Win32CommDriver::WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) {
    Record* r = RecordOf(overlapped.hEvent);
    if (!handle_ || !r) return false;
    // A device has one comm-event wait at a time: while one is pending a
    // second is refused (ERROR_INVALID_PARAMETER), and the record of the
    // pending one must stay as it is. Its completion serves the new request.
    // A device without modem lines (a pseudo-terminal under wine) cannot
    // wait for their events (ERROR_NOT_SUPPORTED); reading goes on without
    // them. Neither is a lost device.
    r->wordOut = &eventMask;
    if (r->waiting && !HasOverlappedIoCompleted(&r->native)) return false;
    r->waiting = false;
    r->native = ::OVERLAPPED{};
    r->native.hEvent = r->event;
    if (WaitCommEvent(handle_, &r->word, &r->native)) {
        eventMask = r->word;
        return true;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_IO_PENDING)
        r->waiting = true;
    else if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED)
        lost_ = true;
    return false;
}

bool Win32CommDriver::ReadModemStatus(uint32_t& status) {
    DWORD s = 0;
    if (!handle_ || !GetCommModemStatus(handle_, &s)) return false;
    status = s;
    return true;
}

bool Win32CommDriver::EscapeFunction(uint32_t function) {
    return handle_ && EscapeCommFunction(handle_, function);
}

bool Win32CommDriver::ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) {
    count = 0;
    Record* r = RecordOf(overlapped.hEvent);
    if (!handle_ || !r) return false;
    r->slot = &slot;
    r->ready = r->delivered = false;
    if (!Pump(*r)) return false;
    count = 1;
    return true;
}

// Delivers the next buffered byte to the one-byte read.
bool Win32CommDriver::TakeBuffered(Record& r) {
    if (bufferStart_ == bufferEnd_) return false;
    *r.slot = buffer_[bufferStart_++];
    r.delivered = r.ready = true;
    return true;
}

// Makes progress on the one-byte read: from the buffer, else from a native
// read, started when none is pending. True once it has its byte.
bool Win32CommDriver::Pump(Record& r) {
    if (r.ready || TakeBuffered(r)) return true;
    // Two steps at most: a native read that ended empty is started again.
    for (int step = 0; step < 2 && !r.ready && handle_ && !lost_; ++step) {
        if (!r.bufferRead) {
            StartBufferRead(r);
            continue;
        }
        if (WaitForSingleObject(r.event, 0) != WAIT_OBJECT_0 && !AwaitQueuedBytes(r)) break;
        FinishBufferRead(r);
    }
    return r.ready;
}

void Win32CommDriver::StartBufferRead(Record& r) {
    r.native = ::OVERLAPPED{};
    r.native.hEvent = r.event;
    // As many bytes as the device holds, or one to wait for the next.
    DWORD errors = 0;
    ::COMSTAT status{};
    if (ClearCommError(handle_, &errors, &status)) heldErrors_ |= errors;
    const DWORD wanted = std::clamp<DWORD>(status.cbInQue, 1, static_cast<DWORD>(buffer_.size()));
    DWORD n = 0;
    bufferStart_ = bufferEnd_ = 0;
    if (ReadFile(handle_, buffer_.data(), wanted, &n, &r.native)) {
        ResetEvent(r.event);
        bufferEnd_ = n;
        TakeBuffered(r);
        return;
    }
    // A read that cannot even start means the device is gone (unplugged).
    if (GetLastError() == ERROR_IO_PENDING) r.bufferRead = true;
    else lost_ = true;
}

void Win32CommDriver::FinishBufferRead(Record& r) {
    r.bufferRead = false;
    DWORD n = 0;
    const bool ok = GetOverlappedResult(handle_, &r.native, &n, FALSE) != 0;
    // Anything but a device gone (an aborting purge) just reads again.
    if (!ok && DeviceGone(GetLastError())) lost_ = true;
    ResetEvent(r.event);
    bufferStart_ = 0;
    bufferEnd_ = ok ? n : 0;
    TakeBuffered(r);
}

bool Win32CommDriver::WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                                 OVERLAPPED& overlapped) {
    written = 0;
    Record* r = RecordOf(overlapped.hEvent);
    if (!handle_ || !r) return false;
    r->native = ::OVERLAPPED{};
    r->native.hEvent = r->event;
    DWORD n = 0;
    if (!WriteFile(handle_, buffer, count, &n, &r->native)) return false;
    written = n;
    return true;
}

bool Win32CommDriver::OperationResult(OVERLAPPED& overlapped, uint32_t& count) {
    Record* r = RecordOf(overlapped.hEvent);
    if (!handle_ || !r) return false;
    if (r->slot) {
        count = r->delivered ? 1 : 0;
        return r->delivered;
    }
    DWORD n = 0;
    const bool ok = GetOverlappedResult(handle_, &r->native, &n, FALSE) != 0;
    if (!ok && DeviceGone(GetLastError())) lost_ = true;
    count = n;
    return ok;
}

EventHandle Win32CommDriver::NewEvent() {
    for (size_t i = 0; i < records_.size(); ++i) {
        if (records_[i]) continue;
        HANDLE e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!e) return 0;
        records_[i] = new Record;
        records_[i]->event = e;
        return static_cast<EventHandle>(i + 1);
    }
    return 0;
}

void Win32CommDriver::ClearEvent(EventHandle event) {
    Record* r = RecordOf(event);
    if (!r) return;
    // The one-byte read's native event is the buffer read's, kept here.
    if (r->slot) r->ready = false;
    else ResetEvent(r->event);
}

bool Win32CommDriver::EventSignalled(EventHandle event) {
    Record* r = RecordOf(event);
    if (!r) return false;
    if (r->slot) return Pump(*r);
    if (WaitForSingleObject(r->event, 0) != WAIT_OBJECT_0) return false;
    // A comm-event wait fills its word only now that it has completed.
    if (r->wordOut) *r->wordOut = r->word;
    return true;
}

// A pending native read while the device holds bytes completes in a moment:
// it is waited for instead of leaving the bytes to the next poll.
bool Win32CommDriver::AwaitQueuedBytes(Record& r) {
    DWORD errors = 0;
    ::COMSTAT status{};
    if (!ClearCommError(handle_, &errors, &status)) return false;
    heldErrors_ |= errors;
    return status.cbInQue > 0 && WaitForSingleObject(r.event, kQueuedBytesWait) == WAIT_OBJECT_0;
}

void Win32CommDriver::FreeEvent(EventHandle event) {
    Record* r = RecordOf(event);
    if (!r) return;
    CloseHandle(r->event);
    delete r;
    records_[event - 1] = nullptr;
}

std::unique_ptr<CommDriver> MakePlatformCommDriver() { return std::make_unique<Win32CommDriver>(); }

}  // namespace vornik
#endif
