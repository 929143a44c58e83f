#pragma once
// The serial port object. It owns one device opened for asynchronous input
// and output through a CommDriver, keeps the device's line settings and turns
// completed operations into callbacks. It creates no thread and never blocks:
// completions are collected only when the owner calls Poll, and every
// callback runs inside Poll on the caller's thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/Prompt.h"
#include "device/CommDriver.h"
#include "device/CommTypes.h"

namespace vornik {

class TIOPort {
public:
    using ReceiveHandler = std::function<void(TIOPort* Sender, uint8_t Value, bool LineError)>;
    using WriteDoneHandler = std::function<void(TIOPort* Sender)>;
    using CommEventHandler = std::function<void()>;

    static constexpr uint32_t kDefaultQueueSize = 2255;
    static constexpr uint32_t kWatchAll = 0x3FF;  // EV_RXCHAR .. EV_PERR
    static constexpr size_t kMaxDeviceName = 254;

    // Builds the object and opens the device at once. Never fails: whether
    // the device opened shows in Handle and in the messages shown through
    // prompt. DeviceName is Windows-1251 bytes, as configured.
    TIOPort(const std::string& DeviceName, Prompt& prompt, std::unique_ptr<CommDriver> driver);
    // Purges, closes the device, then the three events.
    virtual ~TIOPort();
    TIOPort(const TIOPort&) = delete;
    TIOPort& operator=(const TIOPort&) = delete;

    // Writes Config's DCB to the device, reads it back, lowers DTR and RTS.
    virtual bool ApplyState();
    // Opens DeviceName and prepares it; shows a message on failure.
    virtual bool Open();
    // Starts an asynchronous write; true when it finished at once.
    virtual bool Write(const void* Buffer, uint32_t Count);
    // Reads the modem lines into ModemStatus and the four "on" flags.
    virtual uint32_t GetModemStatus();
    // Aborts pending transfers, clears both queues and the error state.
    virtual void Purge();
    // Collects completions and calls the callbacks; nothing without a device.
    virtual void Poll();

    // (Re)opens under a new name and arms the first one-byte read.
    bool SetPortName(const std::string& Name);
    // Builds the line settings from a mode string ("9600,N,8,1") and applies them.
    bool SetMode(const std::string& Mode);
    // Drive RTS and DTR: 0 low, 1 high; any other level is ignored.
    void SetRTS(uint8_t Level);
    void SetDTR(uint8_t Level);

    // True while the one-byte read is armed: the port receives.
    bool Receiving() const { return Handle != 0 && readArmed_; }
    // Why the device could not be opened (UTF-8), when the platform says.
    const std::string& OpenFailure() const { return openFailure_; }
    // True once the open device has gone away (unplugged, other end closed).
    bool DeviceLost() const { return Handle != 0 && driver_->DeviceLost(); }

    // Fields, in declared order. The owner sets Tag and the callbacks and may
    // read the rest; only the object's operations change them.
    std::string Tag;
    uint32_t InQueueSize = kDefaultQueueSize;
    uint32_t OutQueueSize = kDefaultQueueSize;
    std::string DeviceName;
    uint8_t RtsState = 0;
    uint8_t DtrState = 1;
    uint32_t ModemStatus = 0;
    uint32_t EventMask = 0;
    uint32_t LastModemStatus = 0;
    uint32_t CommErrors = 0;
    uint32_t WatchMask = kWatchAll;
    bool WriteDone = false;
    bool MaskAccepted = false;
    OVERLAPPED EventOverlap;
    OVERLAPPED ReadOverlap;
    OVERLAPPED WriteOverlap;
    ReceiveHandler OnReceive;
    WriteDoneHandler OnWriteDone;
    CommEventHandler OnCommEvent;
    uintptr_t Handle = 0;
    bool EvBreak = false;
    bool EvCts = false;
    bool CtsOn = false;
    bool EvDsr = false;
    bool DsrOn = false;
    bool EvErr = false;
    bool EvPErr = false;
    bool EvRing = false;
    bool RingOn = false;
    bool EvRlsd = true;
    bool RlsdOn = true;
    bool EvRxChar = false;
    bool EvRxFlag = false;
    bool EvTxEmpty = false;
    uint32_t BytesWritten = 0;
    uint32_t BytesRead = 0;
    COMSTAT LineStatus;
    uint8_t RxByte = 0;
    COMMCONFIG Config;

private:
    std::string openFailure_;
    void ResetConfig();
    void DecodeEvents(uint32_t word);
    void ShowMessage(const char* caption);

    Prompt& prompt_;
    std::unique_ptr<CommDriver> driver_;
    bool readArmed_ = false;
};

}  // namespace vornik
