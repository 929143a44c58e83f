#pragma once
// The serial device on Windows: the communications functions themselves, with
// the device opened in overlapped mode. Every name is opened with the "\\.\"
// prefix so that COM10 and above open as well.
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

    void* handle_ = nullptr;  // HANDLE; null when closed
    bool lost_ = false;
    // The native records behind the events: the platform writes into them
    // while an operation is pending, so they never move.
    std::array<Record*, 8> records_{};
};

}  // namespace vornik
#endif
