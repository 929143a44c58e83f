#pragma once
// The serial device on Windows: the communications functions themselves, with
// the device opened in overlapped mode. Every name is opened with the "\\.\"
// prefix so that COM10 and above open as well.
//
// A one-byte read may complete a moment after it was started although the
// byte is already queued (always under wine, with some USB adapters too). The
// port object drains a poll by reading while the read's event is signalled,
// so the test of the read's event waits, briefly, for a read whose byte the
// device already holds: one poll then takes every queued byte, in order.
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
    bool AwaitQueuedByte(Record& r);

    // Longest wait for a read whose byte is queued (it completes within
    // microseconds; the bound only keeps a broken driver from freezing a poll).
    static constexpr unsigned long kQueuedByteWait = 100;  // ms

    void* handle_ = nullptr;  // HANDLE; null when closed
    bool lost_ = false;
    // Queued bytes the device reported and no read has taken yet: each one
    // completes a pending read without asking again.
    uint32_t queuedHint_ = 0;
    // Line errors read while asking for the queue, given to the next
    // ClearLineErrors, which the owner expects to report them.
    unsigned long heldErrors_ = 0;
    // The native records behind the events: the platform writes into them
    // while an operation is pending, so they never move.
    std::array<Record*, 8> records_{};
};

}  // namespace vornik
#endif
