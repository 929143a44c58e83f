#pragma once
// The program's single serial port: created, replaced and destroyed here, and
// polled by the timer every 10 ms. The line is fixed at 9600 baud, no parity,
// 8 data bits, 1 stop bit, RTS high and DTR low; every received byte goes to
// the byte handler (the reply decoder).
//
// A device that goes away while open (unplugged, the other end of a
// pseudo-terminal closed) is closed at once and reported through State and
// OnStateChange; the same name is then reopened about once a second, without
// message boxes, until it opens again. A device that fails to open at
// creation is only reported by its message box and not retried, except by
// CreatePortWhenAvailable.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/IntervalTimer.h"
#include "core/Prompt.h"
#include "device/CommDriver.h"
#include "device/IOPort.h"

namespace vornik {

enum class PortState {
    None,         // no port object
    Failed,       // the device did not open
    NoReception,  // open, but its settings could not be read or applied
    Listening,    // open and receiving
    Lost,         // the open device went away; reopening
};

class PortHandling {
public:
    // Makes the driver for a port name: the name picks the kind of port.
    using DriverFactory = std::function<std::unique_ptr<CommDriver>(const std::string& portName)>;
    using ByteHandler = std::function<void(uint8_t value, bool lineError)>;

    static constexpr int kPollInterval = 10;          // ms
    static constexpr int kReopenTicks = 100;          // about 1 s of polls
    static constexpr const char* kMode = "9600,N,8,1";
    static constexpr const char* kTag = "QWELT";

    PortHandling(Prompt& prompt, IntervalTimer& timer, DriverFactory makeDriver, ByteHandler onByte);
    ~PortHandling();
    PortHandling(const PortHandling&) = delete;
    PortHandling& operator=(const PortHandling&) = delete;

    // Creates and configures the port for portName (the configured PortName,
    // Windows-1251) unless one exists; always starts the timer.
    void CreatePort(const std::string& portName);
    // CreatePort for a program that runs unattended: a device that does not
    // open (not plugged in yet, or still held by another program) is not
    // reported by a box but reopened about once a second, like a lost one.
    void CreatePortWhenAvailable(const std::string& portName);
    // Lowers DTR and RTS and destroys the port, if any. The timer is left as it is.
    void DestoryPort();
    // DestoryPort, then CreatePort: switches to a (new) device name.
    void OpenPort(const std::string& portName);
    // The timer's handler: polls the port.
    void TimerReadPortTimer();

    TIOPort* Port() const { return port_.get(); }
    PortState State() const { return state_; }
    // The name of the device the state is about.
    const std::string& PortName() const { return name_; }
    // A one-line description of the state for the status bar (UTF-8).
    std::string StatusText() const;
    // Why the port could not be opened (UTF-8), when the platform says.
    std::string FailureReason() const { return port_ && state_ == PortState::Failed ? port_->OpenFailure() : ""; }
    // Bytes handed to the byte handler since construction.
    uint64_t ReceivedBytes() const { return received_; }
    // Reopening of a lost device, on by default.
    void SetAutoReopen(bool on) { autoReopen_ = on; }

    // Called whenever State changes.
    std::function<void(PortState)> OnStateChange;

private:
    void Configure(TIOPort& port);
    void ReleasePort();
    void SetState(PortState state);
    PortState StateOf(const TIOPort* port) const;
    void Recieve(uint8_t value, bool lineError);
    void DeviceWentAway();
    void TryReopen();
    void ReportHandlerError();

    Prompt& prompt_;
    IntervalTimer& timer_;
    DriverFactory makeDriver_;
    ByteHandler onByte_;
    std::unique_ptr<TIOPort> port_;
    std::string name_;
    PortState state_ = PortState::None;
    uint64_t received_ = 0;
    bool autoReopen_ = true;
    int ticksSinceLoss_ = 0;
    bool inTick_ = false;
    bool reporting_ = false;
    std::string handlerError_;
};

}  // namespace vornik
