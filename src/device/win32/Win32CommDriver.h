#pragma once
// The serial device on Windows: the communications functions themselves, with
// the device opened in overlapped mode. Every name is opened with the "\\.\"
// prefix so that COM10 and above open as well.
//
// A read may complete a moment after it was started although bytes are
// already queued (always under wine, with some USB adapters too), and every
// system call costs there. So the one-byte reads of the port object are
// served from a receive buffer that one native read fills with everything
// the device holds (the queue's size, asked first; one byte when it is
// empty): a read completes at once while the buffer has bytes, and its test
// waits, briefly, for a native read whose bytes the device already holds. One poll then takes
// every queued byte, in order, one OnReceive per byte.
#ifdef _WIN32
#include <array>
#include <cstdint>

#include "device/CommDriver.h"

namespace vornik {

class Win32CommDriver : public CommDriver {
public:
    Win32CommDriver() = default;
    ~Win32CommDriver() override;
    Win32CommDriver(const Win32CommDriver&) = delete;
    Win32CommDriver& operator=(const Win32CommDriver&) = delete;

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
    bool DeviceLost() const override { return lost_; }

private:
    struct Record;
    Record* RecordOf(EventHandle event);
    bool Pump(Record& r);
    bool TakeBuffered(Record& r);
    void StartBufferRead(Record& r);
    void FinishBufferRead(Record& r);
    bool AwaitQueuedBytes(Record& r);

    // Longest wait for a native read whose bytes are queued (it completes
    // within microseconds; the bound only keeps a broken driver from
    // freezing a poll).
    static constexpr unsigned long kQueuedBytesWait = 100;  // ms

    void* handle_ = nullptr;  // HANDLE; null when closed
    bool lost_ = false;
    // Line errors read while asking for the queue, given to the next
    // ClearLineErrors, which the owner expects to report them.
    unsigned long heldErrors_ = 0;
    // What the last native read brought and no one-byte read took yet.
    std::array<uint8_t, 4096> buffer_{};
    size_t bufferStart_ = 0;
    size_t bufferEnd_ = 0;
    // The native records behind the events: the platform writes into them
    // while an operation is pending, so they never move.
    std::array<Record*, 8> records_{};
};

}  // namespace vornik
#endif
