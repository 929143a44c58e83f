#include "device/PortHandling.h"

#include <exception>

#include "core/Cp1251.h"

namespace vornik {
namespace {

// Reopen attempts run unattended: their failures are the state, not boxes.

SilentPrompt silentPrompt;

}  // namespace

PortHandling::PortHandling(Prompt& prompt, IntervalTimer& timer, DriverFactory makeDriver,
                           ByteHandler onByte)
    : prompt_(prompt), timer_(timer), makeDriver_(std::move(makeDriver)),
      onByte_(std::move(onByte)) {
    timer_.SetInterval(kPollInterval);
    timer_.SetOnTimer([this] { TimerReadPortTimer(); });
}

PortHandling::~PortHandling() {
    timer_.SetEnabled(false);
    timer_.SetOnTimer(nullptr);
    DestoryPort();
}

void PortHandling::CreatePort(const std::string& portName) {
    if (!port_) {
        name_ = portName;
        // Construction opens the device and may show one of its messages.
        port_ = std::make_unique<TIOPort>(portName, prompt_, makeDriver_(portName));
        Configure(*port_);
        SetState(StateOf(port_.get()));
    }
    timer_.SetEnabled(true);
}

void PortHandling::CreatePortWhenAvailable(const std::string& portName) {
    if (!port_) {
        name_ = portName;
        TryReopen();
        if (!port_) DeviceWentAway();
    }
    timer_.SetEnabled(true);
}

// The fixed line settings; on a closed port they touch no device.
void PortHandling::Configure(TIOPort& port) {
    port.SetMode(kMode);
    port.Tag = kTag;
    port.OnReceive = [this](TIOPort*, uint8_t value, bool lineError) { Recieve(value, lineError); };
    port.SetRTS(1);
}

void PortHandling::DestoryPort() {
    ReleasePort();
    SetState(PortState::None);  // also ends the reopening of a lost device
}

void PortHandling::ReleasePort() {
    if (!port_) return;
    port_->SetDTR(0);
    port_->SetRTS(0);
    port_.reset();
}

void PortHandling::OpenPort(const std::string& portName) {
    DestoryPort();
    CreatePort(portName);
}

void PortHandling::TimerReadPortTimer() {
    // A modal box opened from a byte handler keeps the loop, and this timer,
    // running: the port is not polled again from inside its own Poll.
    if (inTick_) return;
    {
        struct Clear {
            bool& flag;
            ~Clear() { flag = false; }
        } clear{inTick_};
        inTick_ = true;
        if (port_) {
            port_->Poll();
            if (port_->DeviceLost()) DeviceWentAway();
        } else if (state_ == PortState::Lost && autoReopen_ &&
                   ++ticksSinceLoss_ >= kReopenTicks) {
            TryReopen();
        }
    }
    ReportHandlerError();
}

void PortHandling::Recieve(uint8_t value, bool lineError) {
    ++received_;
    if (!onByte_) return;
    // An error escaping the handler would leave the next read unarmed and
    // end reception for good; it is reported after the poll instead.
    try {
        onByte_(value, lineError);
    } catch (const std::exception& e) {
        if (handlerError_.empty()) handlerError_ = e.what();
    } catch (...) {
        if (handlerError_.empty()) handlerError_ = "Error";
    }
}

void PortHandling::ReportHandlerError() {
    if (handlerError_.empty()) return;
    std::string text;
    text.swap(handlerError_);
    // One box at a time: errors while it is open are not stacked on it.
    if (reporting_) return;
    reporting_ = true;
    prompt_.ShowGeneralError(text);
    reporting_ = false;
}

// The device is closed at once so that it is free for the system again (an
// adapter plugged back in gets its old name only when nobody holds it).
void PortHandling::DeviceWentAway() {
    ReleasePort();
    ticksSinceLoss_ = 0;
    SetState(PortState::Lost);
}

void PortHandling::TryReopen() {
    ticksSinceLoss_ = 0;
    auto port = std::make_unique<TIOPort>(name_, silentPrompt, makeDriver_(name_));
    if (!port->Receiving()) return;  // destroyed here; try again later
    port_ = std::move(port);
    Configure(*port_);
    SetState(StateOf(port_.get()));
}

PortState PortHandling::StateOf(const TIOPort* port) const {
    if (!port) return PortState::None;
    if (port->Handle == 0) return PortState::Failed;
    return port->Receiving() ? PortState::Listening : PortState::NoReception;
}

void PortHandling::SetState(PortState state) {
    if (state == state_) return;
    state_ = state;
    if (OnStateChange) OnStateChange(state);
}

std::string PortHandling::StatusText() const {
    const std::string name = Cp1251ToUtf8(name_);
    switch (state_) {
        case PortState::None: return "";
        case PortState::Failed:
            return "Порт " + name + " не открыт" + (FailureReason().empty() ? "" : ": " + FailureReason());
        case PortState::NoReception: return "Порт " + name + " открыт без приёма";
        case PortState::Listening: return "Порт " + name + ": приём";
        case PortState::Lost: return "Порт " + name + " недоступен, повторное открытие";
    }
    return "";
}

}  // namespace vornik
