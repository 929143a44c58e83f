#include "device/StreamCommDriver.h"

#include <cstring>

#include "device/ModeString.h"

namespace vornik {
namespace {

// Completion codes kept in OVERLAPPED::Internal, as the Windows ones.
constexpr uint32_t kSuccess = 0;
constexpr uint32_t kGenFailure = 31;        // ERROR_GEN_FAILURE
constexpr uint32_t kAborted = 995;          // ERROR_OPERATION_ABORTED
constexpr uint32_t kPending = 997;          // ERROR_IO_PENDING

constexpr int kEventFree = 0, kEventClear = 1, kEventSet = 2;

// A read or write starts pending, as an overlapped Windows one does.
void MarkPending(OVERLAPPED& overlapped) {
    overlapped.Internal = kPending;
    overlapped.InternalHigh = 0;
}

// A read or write that completed within its own call reports its count at
// once; one still pending, or failed, makes the call return false.
bool CompletedAtOnce(bool pending, const OVERLAPPED& overlapped, uint32_t& count) {
    if (pending || overlapped.Internal != kSuccess) return false;
    count = overlapped.InternalHigh;
    return true;
}

}  // namespace

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

StreamCommDriver::StreamCommDriver() : dcb_(DefaultDcb()) {}

uintptr_t StreamCommDriver::OpenDevice(const char* name) {
    CloseDevice();
    openFailure_.clear();
    const uintptr_t handle = OpenStream(name ? name : "", openFailure_);
    if (handle == 0) return 0;
    open_ = true;
    lost_ = false;
    eventMask_ = 0;
    start_ = end_ = 0;
    clearedErrors_ = ErrorCounts{};
    ReadErrorCounts(clearedErrors_);
    return handle;
}

void StreamCommDriver::CloseDevice() {
    if (!open_) return;
    AbortAll();  // closing a handle ends its pending operations
    CloseStream();
    open_ = false;
    lost_ = false;
    start_ = end_ = 0;
}

bool StreamCommDriver::ReadLineSettings(DCB& dcb) {
    if (!open_ || lost_) return false;
    dcb = dcb_;
    dcb.DCBlength = 28;
    return true;
}

bool StreamCommDriver::ApplyLineSettings(const DCB& dcb) {
    if (!open_ || lost_) return false;
    dcb_ = dcb;
    return true;
}

bool StreamCommDriver::BuildLineSettings(const char* mode, DCB& dcb) { return BuildDcbFromMode(mode, dcb); }

bool StreamCommDriver::RequestQueueSizes(uint32_t, uint32_t) {
    // The device sizes its own buffers; the request is advisory.
    return open_ && !lost_;
}

bool StreamCommDriver::PurgeQueues(uint32_t flags) {
    if (!open_) return false;
    if ((flags & PURGE_RXABORT) && readPending_) {
        readPending_ = false;
        Complete(read_.overlapped, kAborted, 0);
    }
    if ((flags & PURGE_TXABORT) && writePending_) {
        writePending_ = false;
        Complete(write_.overlapped, kAborted, write_.done);
    }
    if (flags & PURGE_RXCLEAR) start_ = end_ = 0;
    if (lost_) return false;
    return FlushStream((flags & PURGE_RXCLEAR) != 0, (flags & PURGE_TXCLEAR) != 0);
}

bool StreamCommDriver::ClearLineErrors(uint32_t& errors, COMSTAT& status) {
    errors = 0;
    status = COMSTAT{};
    if (!open_ || lost_) return false;
    ErrorCounts now;
    if (ReadErrorCounts(now)) {
        if (now.frame != clearedErrors_.frame) errors |= CE_FRAME;
        if (now.overrun != clearedErrors_.overrun) errors |= CE_OVERRUN;
        if (now.bufferOverrun != clearedErrors_.bufferOverrun) errors |= CE_RXOVER;
        if (now.parity != clearedErrors_.parity) errors |= CE_RXPARITY;
        if (now.breaks != clearedErrors_.breaks) errors |= CE_BREAK;
        clearedErrors_ = now;
    }
    status.cbInQue = static_cast<uint32_t>(queued() + StreamQueued());
    status.cbOutQue = static_cast<uint32_t>(StreamUnsent());
    return true;
}

bool StreamCommDriver::SetEventMask(uint32_t mask) {
    if (!open_ || lost_) return false;
    eventMask_ = mask;
    // A new mask ends a pending wait with an empty word.
    if (waitPending_) {
        waitPending_ = false;
        *wait_.word = 0;
        Complete(wait_.overlapped, kSuccess, 0);
    }
    return true;
}

bool StreamCommDriver::WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) {
    if (!open_ || lost_) return false;
    wait_ = PendingWait{};
    wait_.overlapped = &overlapped;
    wait_.word = &eventMask;
    ModemLines(wait_.modemStatus);
    ReadErrorCounts(wait_.errors);
    overlapped.Internal = kPending;
    waitPending_ = true;
    return false;
}

bool StreamCommDriver::ReadModemStatus(uint32_t& status) {
    if (!open_ || lost_) return false;
    return ModemLines(status);
}

bool StreamCommDriver::EscapeFunction(uint32_t) { return false; }

bool StreamCommDriver::ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) {
    count = 0;
    // A lost device with nothing left to deliver fails at once, without
    // signalling: the owner's drain loop ends instead of spinning.
    if (!open_ || (lost_ && queued() == 0)) return false;
    read_.overlapped = &overlapped;
    read_.slot = &slot;
    MarkPending(overlapped);
    readPending_ = true;
    Service();
    return CompletedAtOnce(readPending_, overlapped, count);
}

bool StreamCommDriver::WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                                  OVERLAPPED& overlapped) {
    written = 0;
    if (!open_ || lost_ || writePending_) return false;
    write_.overlapped = &overlapped;
    write_.data = static_cast<const uint8_t*>(buffer);
    write_.left = count;
    write_.done = 0;
    MarkPending(overlapped);
    writePending_ = true;
    ServiceWrite();
    return CompletedAtOnce(writePending_, overlapped, written);
}

bool StreamCommDriver::OperationResult(OVERLAPPED& overlapped, uint32_t& count) {
    const bool pending = (readPending_ && read_.overlapped == &overlapped) ||
                         (waitPending_ && wait_.overlapped == &overlapped) ||
                         (writePending_ && write_.overlapped == &overlapped);
    if (pending) return false;  // ERROR_IO_INCOMPLETE
    count = overlapped.InternalHigh;
    return overlapped.Internal == kSuccess;
}

EventHandle StreamCommDriver::NewEvent() {
    for (size_t i = 0; i < events_.size(); ++i)
        if (events_[i] == kEventFree) {
            events_[i] = kEventClear;
            return static_cast<EventHandle>(i + 1);
        }
    return 0;
}

int& StreamCommDriver::EventFlag(EventHandle event) {
    static int none = kEventFree;
    if (event == 0 || event > events_.size()) {
        none = kEventFree;
        return none;
    }
    return events_[event - 1];
}

void StreamCommDriver::ClearEvent(EventHandle event) {
    int& flag = EventFlag(event);
    if (flag != kEventFree) flag = kEventClear;
}

bool StreamCommDriver::EventSignalled(EventHandle event) {
    Service();
    return EventFlag(event) == kEventSet;
}

void StreamCommDriver::FreeEvent(EventHandle event) { EventFlag(event) = kEventFree; }

void StreamCommDriver::Complete(OVERLAPPED* overlapped, uint32_t status, uint32_t count) {
    overlapped->Internal = status;
    overlapped->InternalHigh = count;
    int& flag = EventFlag(overlapped->hEvent);
    if (flag != kEventFree) flag = kEventSet;
}

void StreamCommDriver::AbortAll() {
    if (readPending_) Complete(read_.overlapped, kAborted, 0);
    if (writePending_) Complete(write_.overlapped, kAborted, write_.done);
    if (waitPending_) Complete(wait_.overlapped, kAborted, 0);
    readPending_ = writePending_ = waitPending_ = false;
}

// Makes progress on every pending operation; called whenever an event is tested.
void StreamCommDriver::Service() {
    if (!open_) return;
    FillQueue();
    ServiceRead();
    ServiceWrite();
    ServiceWait();
}

void StreamCommDriver::FillQueue() {
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
    const long n = ReadSome(queue_.data() + end_, kQueueSize - end_);
    if (n > 0) {
        end_ += static_cast<size_t>(n);
        if (waitPending_) wait_.received = true;
    } else if (n == Gone) {
        MarkLost();
    }
}

void StreamCommDriver::ServiceRead() {
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

void StreamCommDriver::ServiceWrite() {
    if (!writePending_) return;
    if (!lost_ && write_.left > 0) {
        const long n = WriteSome(write_.data + write_.done, write_.left);
        if (n > 0) {
            write_.done += static_cast<uint32_t>(n);
            write_.left -= static_cast<uint32_t>(n);
        } else if (n < 0) {
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

void StreamCommDriver::ServiceWait() {
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

}  // namespace vornik
