#pragma once
// A device that delivers and takes bytes without waiting (a terminal opened
// non-blocking, a network connection, a simulated instrument). The
// asynchronous operations of the port object are emulated: a pending read,
// comm-event wait or write is a small record that makes progress whenever an
// event is tested, so nothing ever waits. Received bytes go through a fixed
// receive queue, so no operation allocates. A derived driver supplies the
// device's side: opening, reading and writing what is there, and, where the
// device has them, line settings, modem lines and error counters.
#include <array>
#include <cstdint>
#include <string>

#include "device/CommDriver.h"

namespace vornik {

class StreamCommDriver : public CommDriver {
public:
    static constexpr size_t kQueueSize = 4096;

    // Line-error counters of the device, where it has them.
    struct ErrorCounts {
        uint32_t frame = 0, overrun = 0, parity = 0, bufferOverrun = 0, breaks = 0;
    };

    StreamCommDriver();
    // A derived driver closes its device in its own destructor.
    ~StreamCommDriver() override = default;
    StreamCommDriver(const StreamCommDriver&) = delete;
    StreamCommDriver& operator=(const StreamCommDriver&) = delete;

    std::string OpenFailure() const override { return openFailure_; }
    uintptr_t OpenDevice(const char* name) override;
    void CloseDevice() override;
    // Without line settings of its own, a device keeps the record it is given.
    bool ReadLineSettings(DCB& dcb) override;
    bool ApplyLineSettings(const DCB& dcb) override;
    bool BuildLineSettings(const char* mode, DCB& dcb) override;
    bool RequestQueueSizes(uint32_t inQueue, uint32_t outQueue) override;
    bool PurgeQueues(uint32_t flags) override;
    bool ClearLineErrors(uint32_t& errors, COMSTAT& status) override;
    bool SetEventMask(uint32_t mask) override;
    bool WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) override;
    bool ReadModemStatus(uint32_t& status) override;
    // A device without modem lines refuses to drive them.
    bool EscapeFunction(uint32_t function) override;
    bool ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) override;
    bool WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                    OVERLAPPED& overlapped) override;
    bool OperationResult(OVERLAPPED& overlapped, uint32_t& count) override;
    EventHandle NewEvent() override;
    void ClearEvent(EventHandle event) override;
    bool EventSignalled(EventHandle event) override;
    void FreeEvent(EventHandle event) override;
    bool DeviceLost() const override { return open_ && lost_; }

protected:
    // What a read or write of the device did: bytes moved (0 when it would
    // have to wait), or Gone when the device cannot deliver or take bytes
    // again (unplugged, the other end closed).
    static constexpr long Gone = -1;

    // Opens the named device (Windows-1251 bytes); a non-zero handle, or 0
    // with the reason in words for the user (UTF-8) in `failure`.
    virtual uintptr_t OpenStream(const std::string& name, std::string& failure) = 0;
    virtual void CloseStream() = 0;
    virtual long ReadSome(uint8_t* buffer, size_t size) = 0;
    virtual long WriteSome(const uint8_t* data, size_t size) = 0;
    // Drops what the device itself holds unread or unsent.
    virtual bool FlushStream(bool input, bool output) {
        (void)input, (void)output;
        return true;
    }
    // Bytes the device holds beyond the receive queue, and bytes not yet sent.
    virtual size_t StreamQueued() { return 0; }
    virtual size_t StreamUnsent() { return 0; }
    virtual bool ModemLines(uint32_t& word) {
        (void)word;
        return false;
    }
    virtual bool ReadErrorCounts(ErrorCounts& counts) {
        (void)counts;
        return false;
    }

    bool IsOpen() const { return open_; }
    bool IsLost() const { return lost_; }
    void MarkLost() { lost_ = true; }

    // The line settings a stream keeps for the owner (a terminal keeps the
    // fields its own settings do not hold).
    DCB dcb_;

private:
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
    int& EventFlag(EventHandle event);

    bool open_ = false;
    bool lost_ = false;
    uint32_t eventMask_ = 0;
    ErrorCounts clearedErrors_;  // counters at the last error clearing

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

// The line settings of a device that was just opened: binary, DTR and RTS
// on, no flow control.
DCB DefaultDcb();

}  // namespace vornik
