#include "device/IOPort.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/Cp1251.h"

namespace vornik {
namespace {

const char kCannotOpen[] = "Не могу открыть порт";
const char kCannotGetState[] = "Не могу получить статус порта";
const char kCannotInit[] = "Не могу инициализировать порт";

constexpr uint32_t kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

}  // namespace

TIOPort::TIOPort(const std::string& deviceName, Prompt& prompt,
                 std::unique_ptr<CommDriver> driver)
    : DeviceName(deviceName), prompt_(prompt), driver_(std::move(driver)) {
    // The fields start as declared; the events follow in record order.
    for (OVERLAPPED* record : {&EventOverlap, &ReadOverlap, &WriteOverlap}) {
        *record = OVERLAPPED{};
        record->hEvent = driver_->NewEvent();
    }
    EvRlsd = true;
    RlsdOn = true;
    ResetConfig();
    WatchMask = kWatchAll;
    if (SetPortName(DeviceName)) Purge();
}

TIOPort::~TIOPort() {
    Purge();
    if (Handle != 0) driver_->CloseDevice();
    Handle = 0;
    driver_->FreeEvent(EventOverlap.hEvent);
    driver_->FreeEvent(ReadOverlap.hEvent);
    driver_->FreeEvent(WriteOverlap.hEvent);
}

void TIOPort::ResetConfig() {
    Config = COMMCONFIG{};
    Config.dwSize = COMMCONFIG::kSize;
    Config.dwProviderSubType = 0;
}

void TIOPort::ShowMessage(const char* caption) {
    prompt_.ShowDeviceMessage(caption, Cp1251ToUtf8(DeviceName));
}

bool TIOPort::SetPortName(const std::string& Name) {
    if (Handle != 0) {
        driver_->CloseDevice();
        Handle = 0;
        readArmed_ = false;
    }
    DeviceName = Name;
    ResetConfig();
    const bool result = Open();
    if (result) {
        driver_->ReadByte(RxByte, BytesRead, ReadOverlap);
        readArmed_ = true;
    }
    return result;
}

bool TIOPort::Open() {
    // The platform takes a terminated name of at most 254 characters.
    std::array<char, kMaxDeviceName + 1> name{};
    const size_t length = std::min(DeviceName.size(), kMaxDeviceName);
    std::memcpy(name.data(), DeviceName.data(), length);

    Handle = driver_->OpenDevice(name.data());
    openFailure_ = Handle == 0 ? driver_->OpenFailure() : std::string();
    if (Handle == 0) {
        ShowMessage(kCannotOpen);
        return false;
    }
    bool result = false;
    if (!driver_->ReadLineSettings(Config.dcb)) {
        ShowMessage(kCannotGetState);
    } else {
        driver_->RequestQueueSizes(InQueueSize, OutQueueSize);
        if (!ApplyState()) {
            ShowMessage(kCannotInit);
        } else {
            SetRTS(0);
            result = true;
        }
    }
    // Also after a failure to read or apply the settings: the handle is kept,
    // purged and watched, but no read is armed.
    Purge();
    MaskAccepted = driver_->SetEventMask(WatchMask);
    GetModemStatus();
    driver_->WaitEvent(EventMask, EventOverlap);
    return result;
}

bool TIOPort::ApplyState() {
    if (Handle == 0) return false;
    if (!driver_->ApplyLineSettings(Config.dcb)) return false;
    if (!driver_->ReadLineSettings(Config.dcb)) return false;
    SetDTR(0);
    SetRTS(0);
    return true;
}

bool TIOPort::SetMode(const std::string& Mode) {
    if (!driver_->BuildLineSettings(Mode.c_str(), Config.dcb)) return false;
    return ApplyState();
}

bool TIOPort::Write(const void* Buffer, uint32_t Count) {
    WriteDone = false;
    bool result = false;
    if (Handle != 0 && Count != 0)
        result = driver_->WriteBytes(Buffer, Count, BytesWritten, WriteOverlap);
    if (!result) driver_->ClearLineErrors(CommErrors, LineStatus);
    return result;
}

uint32_t TIOPort::GetModemStatus() {
    if (Handle != 0) {
        uint32_t word = 0;
        // A device without modem lines (a pseudo-terminal) keeps the last word:
        // its lines never change.
        if (driver_->ReadModemStatus(word)) {
            ModemStatus = word;
            CtsOn = (ModemStatus & MS_CTS_ON) != 0;
            DsrOn = (ModemStatus & MS_DSR_ON) != 0;
            RingOn = (ModemStatus & MS_RING_ON) != 0;
            RlsdOn = (ModemStatus & MS_RLSD_ON) != 0;
        }
    }
    return ModemStatus;
}

void TIOPort::Purge() {
    driver_->PurgeQueues(kPurgeAll);
    driver_->ClearLineErrors(CommErrors, LineStatus);
}

void TIOPort::SetRTS(uint8_t Level) {
    if (Handle == 0 || Level > 1) return;
    if (driver_->EscapeFunction(Level == 0 ? CLRRTS : SETRTS)) RtsState = Level;
}

void TIOPort::SetDTR(uint8_t Level) {
    if (Handle == 0 || Level > 1) return;
    if (driver_->EscapeFunction(Level == 0 ? CLRDTR : SETDTR)) DtrState = Level;
}

void TIOPort::DecodeEvents(uint32_t word) {
    EvBreak = (word & EV_BREAK) != 0;
    EvCts = (word & EV_CTS) != 0;
    EvDsr = (word & EV_DSR) != 0;
    EvErr = (word & EV_ERR) != 0;
    EvPErr = (word & EV_PERR) != 0;
    EvRing = (word & EV_RING) != 0;
    EvRlsd = (word & EV_RLSD) != 0;
    EvRxChar = (word & EV_RXCHAR) != 0;
    EvRxFlag = (word & EV_RXFLAG) != 0;
    EvTxEmpty = (word & EV_TXEMPTY) != 0;
}

void TIOPort::Poll() {
    if (Handle == 0) return;

    // Both tests run on every call.
    const bool statusChanged = GetModemStatus() != LastModemStatus;
    const bool eventDone = driver_->EventSignalled(EventOverlap.hEvent);
    if (statusChanged || eventDone) {
        LastModemStatus = ModemStatus;
        DecodeEvents(EventMask);
        driver_->ClearEvent(EventOverlap.hEvent);
        driver_->WaitEvent(EventMask, EventOverlap);
        if (OnCommEvent) OnCommEvent();
    }

    if (driver_->EventSignalled(WriteOverlap.hEvent)) {
        driver_->ClearEvent(WriteOverlap.hEvent);
        WriteDone = true;
        driver_->OperationResult(WriteOverlap, BytesWritten);
        if (OnWriteDone) OnWriteDone(this);
    }

    // A read that completes at once signals again: this drains every byte the
    // driver already holds, one per pass, in arrival order.
    while (driver_->EventSignalled(ReadOverlap.hEvent)) {
        driver_->ClearEvent(ReadOverlap.hEvent);
        const bool delivered = driver_->OperationResult(ReadOverlap, BytesRead) && BytesRead == 1;
        if (delivered && OnReceive) OnReceive(this, RxByte, EvErr);
        driver_->ReadByte(RxByte, BytesRead, ReadOverlap);
    }
}

}  // namespace vornik
