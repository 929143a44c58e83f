#pragma once
// The serial device on a POSIX system: a terminal device opened raw and
// non-blocking. The asynchronous operations of the port object are emulated:
// a pending read, comm-event wait or write is a small record that makes
// progress whenever an event is tested, so nothing ever waits. Received bytes
// go through a fixed receive queue, so no operation allocates.
#include <array>
#include <cstdint>
#include <string>

#include "device/CommDriver.h"

namespace vornik {

// The path a configured port name opens: "COM1".."COM16" are /dev/ttyS0..
// /dev/ttyS15, a name starting with "/" is a path, any other name is looked
// up under /dev. The name is Windows-1251 bytes; the path is UTF-8.
std::string DevicePath(const std::string& name);

// The reason of a failed open, in words for the user (UTF-8).
std::string OpenFailureText(int error);

class PosixCommDriver : public CommDriver {
public:
    static constexpr size_t kQueueSize = 4096;

    PosixCommDriver() = default;
    ~PosixCommDriver() override;
    std::string OpenFailure() const override { return openFailure_; }
    PosixCommDriver(const PosixCommDriver&) = delete;
    PosixCommDriver& operator=(const PosixCommDriver&) = delete;

    uintptr_t OpenDevice(const char* name) override;
    void CloseDevice() override;
    bool ReadLineSettings(DCB& dcb) override;
    bool ApplyLineSettings(const DCB& dcb) override;
    bool BuildLineSettings(const char* mode, DCB& dcb) override;
    bool RequestQueueSizes(uint32_t inQueue, uint32_t outQueue) override;
    bool PurgeQueues(uint32_t flags) override;
    bool ClearLineErrors(uint32_t& errors, COMSTAT& status) override;
    bool SetEventMask(uint32_t mask) override;
    bool WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) override;
    bool ReadModemStatus(uint32_t& status) override;
    bool EscapeFunction(uint32_t function) override;
    bool ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) override;
    bool WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                    OVERLAPPED& overlapped) override;
    bool OperationResult(OVERLAPPED& overlapped, uint32_t& count) override;
    EventHandle NewEvent() override;
    void ClearEvent(EventHandle event) override;
    bool EventSignalled(EventHandle event) override;
    void FreeEvent(EventHandle event) override;
    bool DeviceLost() const override { return fd_ >= 0 && lost_; }

    // Line-error counters of the device (TIOCGICOUNT), where it has them.
    struct ErrorCounts {
        uint32_t frame = 0, overrun = 0, parity = 0, bufferOverrun = 0, breaks = 0;
    };

private:
    enum class Support { Unknown, Yes, No };
    std::string openFailure_;

    struct PendingRead {
        OVERLAPPED* overlapped = nullptr;
        uint8_t* slot = nullptr;
    };
    struct PendingWait {
        OVERLAPPED* overlapped = nullptr;
        uint32_t* word = nullptr;
        uint32_t modemStatus = 0;
        ErrorCounts errors;
        bool received = false;  // bytes arrived since the wait was armed
        bool sent = false;      // a write completed since the wait was armed
    };
    struct PendingWrite {
        OVERLAPPED* overlapped = nullptr;
        const uint8_t* data = nullptr;
        uint32_t left = 0;
        uint32_t done = 0;
    };

    size_t queued() const { return end_ - start_; }
    void Service();
    void FillQueue();
    void ServiceRead();
    void ServiceWrite();
    void ServiceWait();
    void Complete(OVERLAPPED* overlapped, uint32_t status, uint32_t count);
    void AbortAll();
    bool ModemLines(uint32_t& word);
    bool ReadErrorCounts(ErrorCounts& counts);
    void MarkLost();
    int& EventFlag(EventHandle event);

    int fd_ = -1;
    bool lost_ = false;
    Support modemLines_ = Support::Unknown;
    Support errorCounters_ = Support::Unknown;
    uint32_t eventMask_ = 0;
    ErrorCounts clearedErrors_;  // counters at the last error clearing
    DCB dcb_;                    // fields a terminal does not keep

    std::array<uint8_t, kQueueSize> queue_{};
    size_t start_ = 0;
    size_t end_ = 0;

    bool readPending_ = false;
    bool waitPending_ = false;
    bool writePending_ = false;
    PendingRead read_;
    PendingWait wait_;
    PendingWrite write_;

    // Event objects: 0 free, 1 not signalled, 2 signalled.
    std::array<int, 8> events_{};
};

}  // namespace vornik
