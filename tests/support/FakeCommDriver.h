#pragma once
// A scripted serial device for unit tests of the port object. The test keeps
// the FakeDevice (shared with the driver, so it outlives the port) and uses
// it to queue received bytes, change modem lines, post event words, make the
// settings calls fail and complete writes late. Every driver call is logged.
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "device/CommDriver.h"

namespace vornik::test {

struct FakeDevice {
    // Script.
    bool exists = true;
    std::string missingReason;  // what the driver says when it does not exist
    bool getStateFails = false;
    bool setStateFails = false;
    bool maskAccepted = true;
    bool hasModemLines = true;
    bool writesCompleteAtOnce = true;

    // The device as the driver sees it.
    bool open = false;
    std::string openedName;
    std::deque<uint8_t> input;  // bytes in the driver's receive queue
    uint32_t modemStatus = 0;
    uint32_t lineErrors = 0;    // CE_* word the next error clearing returns
    bool rts = false;
    bool dtr = false;
    DCB settings;               // line settings in force
    uint32_t eventMask = 0;
    std::vector<uint8_t> written;
    bool lost = false;

    // Every driver call by name, in order ("open", "getstate", "escape CLRDTR", ...).
    std::vector<std::string> calls;

    void Receive(const std::string& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }
    // Completes a pending comm-event wait with this word at the next test.
    void PostEvent(uint32_t word) { postedEvent = word; }
    // Completes a pending late write at the next test.
    void FinishWrite() { writeFinished = true; }
    size_t CallCount(const std::string& name) const;
    void ClearCalls() { calls.clear(); }

    uint32_t postedEvent = 0;
    bool writeFinished = false;
};

class FakeCommDriver : public CommDriver {
public:
    explicit FakeCommDriver(std::shared_ptr<FakeDevice> device) : dev_(std::move(device)) {}

    uintptr_t OpenDevice(const char* name) override;
    std::string OpenFailure() const override { return dev_->exists ? std::string() : dev_->missingReason; }
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
    bool DeviceLost() const override { return dev_->open && dev_->lost && dev_->input.empty(); }

private:
    void Service();
    void Complete(OVERLAPPED* overlapped, uint32_t status, uint32_t count);
    bool Usable() const { return dev_->open && !dev_->lost; }

    std::shared_ptr<FakeDevice> dev_;
    OVERLAPPED* read_ = nullptr;
    uint8_t* readSlot_ = nullptr;
    OVERLAPPED* wait_ = nullptr;
    uint32_t* waitWord_ = nullptr;
    OVERLAPPED* write_ = nullptr;
    std::vector<uint8_t> writeData_;
    std::vector<int> events_;  // 0 free, 1 clear, 2 set
};

// A factory for PortHandling: every port gets a driver on the same device.
inline auto FakeDriverFactory(std::shared_ptr<FakeDevice> device) {
    return [device](const std::string&) -> std::unique_ptr<CommDriver> {
        return std::make_unique<FakeCommDriver>(device);
    };
}

}  // namespace vornik::test
