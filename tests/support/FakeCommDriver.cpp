#include "FakeCommDriver.h"

#include <algorithm>

#include "device/ModeString.h"

namespace vornik::test {
namespace {
constexpr uint32_t kAborted = 995, kFailed = 31, kPending = 997;
}

size_t FakeDevice::CallCount(const std::string& name) const {
    return static_cast<size_t>(std::count(calls.begin(), calls.end(), name));
}

uintptr_t FakeCommDriver::OpenDevice(const char* name) {
    dev_->calls.push_back("open");
    if (!dev_->exists || dev_->open) return 0;
    dev_->open = true;
    dev_->lost = false;
    dev_->openedName = name;
    return 1;
}

void FakeCommDriver::CloseDevice() {
    dev_->calls.push_back("close");
    for (OVERLAPPED* op : {read_, wait_, write_})
        if (op) Complete(op, kAborted, 0);
    read_ = wait_ = write_ = nullptr;
    dev_->open = false;
}

bool FakeCommDriver::ReadLineSettings(DCB& dcb) {
    dev_->calls.push_back("getstate");
    if (!Usable() || dev_->getStateFails) return false;
    dcb = dev_->settings;
    return true;
}

bool FakeCommDriver::ApplyLineSettings(const DCB& dcb) {
    dev_->calls.push_back("setstate");
    if (!Usable() || dev_->setStateFails) return false;
    dev_->settings = dcb;
    return true;
}

bool FakeCommDriver::BuildLineSettings(const char* mode, DCB& dcb) {
    dev_->calls.push_back("build");
    return BuildDcbFromMode(mode, dcb);
}

bool FakeCommDriver::RequestQueueSizes(uint32_t, uint32_t) {
    dev_->calls.push_back("setupcomm");
    return Usable();
}

bool FakeCommDriver::PurgeQueues(uint32_t flags) {
    dev_->calls.push_back("purge " + std::to_string(flags));
    if (!dev_->open) return false;
    if ((flags & PURGE_RXABORT) && read_) {
        Complete(read_, kAborted, 0);
        read_ = nullptr;
    }
    if ((flags & PURGE_TXABORT) && write_) {
        Complete(write_, kAborted, 0);
        write_ = nullptr;
    }
    if (flags & PURGE_RXCLEAR) dev_->input.clear();
    return true;
}

bool FakeCommDriver::ClearLineErrors(uint32_t& errors, COMSTAT& status) {
    dev_->calls.push_back("clearerrors");
    status = COMSTAT{};
    errors = 0;
    if (!Usable()) return false;
    errors = dev_->lineErrors;
    dev_->lineErrors = 0;
    status.cbInQue = static_cast<uint32_t>(dev_->input.size());
    return true;
}

bool FakeCommDriver::SetEventMask(uint32_t mask) {
    dev_->calls.push_back("setmask");
    if (!Usable() || !dev_->maskAccepted) return false;
    dev_->eventMask = mask;
    return true;
}

bool FakeCommDriver::WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) {
    dev_->calls.push_back("wait");
    if (!Usable()) return false;
    wait_ = &overlapped;
    waitWord_ = &eventMask;
    overlapped.Internal = kPending;
    return false;
}

bool FakeCommDriver::ReadModemStatus(uint32_t& status) {
    dev_->calls.push_back("modem");
    if (!Usable() || !dev_->hasModemLines) return false;
    status = dev_->modemStatus;
    return true;
}

bool FakeCommDriver::EscapeFunction(uint32_t function) {
    static const char* const kNames[] = {"", "", "", "SETRTS", "CLRRTS", "SETDTR", "CLRDTR"};
    dev_->calls.push_back(std::string("escape ") + (function <= 6 ? kNames[function] : "?"));
    if (!Usable() || !dev_->hasModemLines) return false;
    switch (function) {
        case SETRTS: dev_->rts = true; return true;
        case CLRRTS: dev_->rts = false; return true;
        case SETDTR: dev_->dtr = true; return true;
        case CLRDTR: dev_->dtr = false; return true;
        default: return false;
    }
}

bool FakeCommDriver::ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) {
    dev_->calls.push_back("read");
    count = 0;
    if (!dev_->open || (dev_->lost && dev_->input.empty())) return false;
    read_ = &overlapped;
    readSlot_ = &slot;
    overlapped.Internal = kPending;
    Service();
    if (read_ || overlapped.Internal != 0) return false;
    count = overlapped.InternalHigh;
    return true;
}

bool FakeCommDriver::WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                                OVERLAPPED& overlapped) {
    dev_->calls.push_back("write");
    written = 0;
    if (!Usable()) return false;
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    if (dev_->writesCompleteAtOnce) {
        dev_->written.insert(dev_->written.end(), bytes, bytes + count);
        written = count;
        Complete(&overlapped, 0, count);
        return true;
    }
    writeData_.assign(bytes, bytes + count);
    write_ = &overlapped;
    overlapped.Internal = kPending;
    dev_->writeFinished = false;
    return false;
}

bool FakeCommDriver::OperationResult(OVERLAPPED& overlapped, uint32_t& count) {
    if (&overlapped == read_ || &overlapped == wait_ || &overlapped == write_) return false;
    count = overlapped.InternalHigh;
    return overlapped.Internal == 0;
}

EventHandle FakeCommDriver::NewEvent() {
    dev_->calls.push_back("newevent");
    events_.push_back(1);
    return static_cast<EventHandle>(events_.size());
}

void FakeCommDriver::ClearEvent(EventHandle event) {
    if (event >= 1 && event <= events_.size() && events_[event - 1]) events_[event - 1] = 1;
}

bool FakeCommDriver::EventSignalled(EventHandle event) {
    Service();
    return event >= 1 && event <= events_.size() && events_[event - 1] == 2;
}

void FakeCommDriver::FreeEvent(EventHandle event) {
    dev_->calls.push_back("freeevent " + std::to_string(event));
    if (event >= 1 && event <= events_.size()) events_[event - 1] = 0;
}

void FakeCommDriver::Complete(OVERLAPPED* overlapped, uint32_t status, uint32_t count) {
    overlapped->Internal = status;
    overlapped->InternalHigh = count;
    const EventHandle e = overlapped->hEvent;
    if (e >= 1 && e <= events_.size() && events_[e - 1]) events_[e - 1] = 2;
}

void FakeCommDriver::Service() {
    if (!dev_->open) return;
    if (read_ && !dev_->input.empty()) {
        *readSlot_ = dev_->input.front();
        dev_->input.pop_front();
        Complete(read_, 0, 1);
        read_ = nullptr;
    } else if (read_ && dev_->lost) {
        Complete(read_, kFailed, 0);
        read_ = nullptr;
    }
    if (wait_ && (dev_->postedEvent & dev_->eventMask)) {
        *waitWord_ = dev_->postedEvent & dev_->eventMask;
        dev_->postedEvent = 0;
        Complete(wait_, 0, 0);
        wait_ = nullptr;
    } else if (wait_ && dev_->lost) {
        Complete(wait_, kFailed, 0);
        wait_ = nullptr;
    }
    if (write_ && dev_->writeFinished) {
        dev_->written.insert(dev_->written.end(), writeData_.begin(), writeData_.end());
        Complete(write_, 0, static_cast<uint32_t>(writeData_.size()));
        write_ = nullptr;
    }
}

}  // namespace vornik::test
