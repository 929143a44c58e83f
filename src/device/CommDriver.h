#pragma once
// The platform operations the port object needs, one method each. A driver
// serves one device; the port object owns it for its whole life. Every method
// returns at once: asynchronous operations complete later and signal the event
// of their OVERLAPPED record, which the owner tests with EventSignalled.
#include <cstdint>
#include <memory>
#include <string>

#include "device/CommTypes.h"

namespace vornik {

class CommDriver {
public:
    virtual ~CommDriver() = default;

    // CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0 (exclusive), nullptr,
    // OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr). Returns a non-zero handle,
    // or 0 when the device cannot be opened. The name is Windows-1251 bytes.
    virtual uintptr_t OpenDevice(const char* name) = 0;
    // CloseHandle on the device handle; pending operations end with it.
    virtual void CloseDevice() = 0;
    // Why the last OpenDevice failed, in words for the user (UTF-8); empty
    // when it did not fail or the platform gives no reason.
    virtual std::string OpenFailure() const { return {}; }

    // GetCommState.
    virtual bool ReadLineSettings(DCB& dcb) = 0;
    // SetCommState.
    virtual bool ApplyLineSettings(const DCB& dcb) = 0;
    // BuildCommDCBA: fills baud rate, parity, data and stop bits from a mode
    // string and switches flow control off; other fields keep their values.
    virtual bool BuildLineSettings(const char* mode, DCB& dcb) = 0;
    // SetupComm: advisory queue sizes.
    virtual bool RequestQueueSizes(uint32_t inQueue, uint32_t outQueue) = 0;
    // PurgeComm with PURGE_* flags.
    virtual bool PurgeQueues(uint32_t flags) = 0;
    // ClearCommError: the CE_* error word and the status record.
    virtual bool ClearLineErrors(uint32_t& errors, COMSTAT& status) = 0;
    // SetCommMask.
    virtual bool SetEventMask(uint32_t mask) = 0;
    // WaitCommEvent(handle, &eventMask, &overlapped): true when it completed
    // at once; otherwise pending (or failed) and eventMask is filled later.
    virtual bool WaitEvent(uint32_t& eventMask, OVERLAPPED& overlapped) = 0;
    // GetCommModemStatus: the MS_* word.
    virtual bool ReadModemStatus(uint32_t& status) = 0;
    // EscapeCommFunction with SETRTS, CLRRTS, SETDTR or CLRDTR.
    virtual bool EscapeFunction(uint32_t function) = 0;
    // ReadFile of one byte into slot, count into count: true when it
    // completed at once (its event is then signalled as well).
    virtual bool ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& overlapped) = 0;
    // WriteFile: true when it completed at once. The buffer must stay valid
    // until the write completes.
    virtual bool WriteBytes(const void* buffer, uint32_t count, uint32_t& written,
                            OVERLAPPED& overlapped) = 0;
    // GetOverlappedResult(..., bWait = FALSE): whether the operation
    // completed successfully, and its byte count.
    virtual bool OperationResult(OVERLAPPED& overlapped, uint32_t& count) = 0;

    // CreateEventA(nullptr, TRUE, FALSE, nullptr): manual-reset, not signalled.
    virtual EventHandle NewEvent() = 0;
    // ResetEvent.
    virtual void ClearEvent(EventHandle event) = 0;
    // WaitForSingleObject(event, 0) == WAIT_OBJECT_0.
    virtual bool EventSignalled(EventHandle event) = 0;
    // CloseHandle on an event.
    virtual void FreeEvent(EventHandle event) = 0;

    // True once the open device has gone away (unplugged, or the other end of
    // a pseudo-terminal closed). Every later operation on it fails at once.
    virtual bool DeviceLost() const { return false; }
};

// The driver of the platform the program was built for.
std::unique_ptr<CommDriver> MakePlatformCommDriver();

}  // namespace vornik
