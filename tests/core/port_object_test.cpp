// The port object over a scripted device.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "FakeCommDriver.h"
#include "ScriptedPrompt.h"
#include "device/IOPort.h"

namespace vornik {
namespace {

using test::FakeCommDriver;
using test::FakeDevice;
using test::PromptEvent;
using test::ScriptedPrompt;

class PortObject : public ::testing::Test {
protected:
    std::unique_ptr<TIOPort> Make(const std::string& name = "COM1") {
        auto port = std::make_unique<TIOPort>(name, prompt, std::make_unique<FakeCommDriver>(dev));
        port->OnReceive = [this](TIOPort* sender, uint8_t value, bool lineError) {
            EXPECT_NE(sender, nullptr);
            received += static_cast<char>(value);
            lineErrors.push_back(lineError);
        };
        port->OnCommEvent = [this] { ++commEvents; };
        return port;
    }

    std::shared_ptr<FakeDevice> dev = std::make_shared<FakeDevice>();
    ScriptedPrompt prompt;
    std::string received;
    std::vector<bool> lineErrors;
    int commEvents = 0;
};

TEST_F(PortObject, ConstructionOpensPreparesAndArmsTheReadInOrder) {
    auto port = Make();
    const std::vector<std::string> expected = {
        "newevent", "newevent", "newevent",
        "open", "getstate", "setupcomm",
        "setstate", "getstate", "escape CLRDTR", "escape CLRRTS",  // ApplyState
        "escape CLRRTS",                                           // SetRTS(0)
        "purge 15", "clearerrors", "setmask", "modem", "wait",     // step 6 of Open
        "read",                                                    // SetPortName
        "purge 15", "clearerrors",                                 // construction
    };
    EXPECT_EQ(dev->calls, expected);
    EXPECT_TRUE(prompt.boxes().empty());
    EXPECT_NE(port->Handle, 0u);
    EXPECT_TRUE(port->Receiving());
    EXPECT_TRUE(port->MaskAccepted);
    EXPECT_EQ(dev->eventMask, 0x3FFu);
    EXPECT_EQ(port->DtrState, 0);
    EXPECT_EQ(port->RtsState, 0);
    EXPECT_EQ(dev->openedName, "COM1");
    EXPECT_EQ(port->Config.dwSize, 52u);
}

TEST_F(PortObject, MissingDeviceShowsOneBoxAndIsInert) {
    dev->exists = false;
    auto port = Make("\xCA\xCE\xCC" "3");  // Windows-1251 bytes of a Cyrillic name
    ASSERT_EQ(prompt.boxes().size(), 1u);
    EXPECT_EQ(prompt.boxes()[0],
              (PromptEvent{PromptEvent::Device, "Не могу открыть порт", "КОМ3"}));
    // The fields keep their initial values.
    EXPECT_EQ(port->Handle, 0u);
    EXPECT_TRUE(port->Tag.empty());
    EXPECT_EQ(port->InQueueSize, 2255u);
    EXPECT_EQ(port->OutQueueSize, 2255u);
    EXPECT_EQ(port->RtsState, 0);
    EXPECT_EQ(port->DtrState, 1);
    EXPECT_EQ(port->WatchMask, 1023u);
    EXPECT_TRUE(port->EvRlsd);
    EXPECT_TRUE(port->RlsdOn);
    EXPECT_FALSE(port->Receiving());

    dev->ClearCalls();
    dev->exists = true;
    dev->Receive("abc");
    dev->modemStatus = MS_CTS_ON;
    for (int i = 0; i < 5; ++i) port->Poll();
    port->SetRTS(1);
    port->SetDTR(1);
    EXPECT_FALSE(port->ApplyState());
    EXPECT_TRUE(dev->calls.empty());
    EXPECT_EQ(port->GetModemStatus(), 0u);
    EXPECT_EQ(received, "");
    EXPECT_EQ(commEvents, 0);
}

TEST_F(PortObject, SettingsThatCannotBeReadOrAppliedLeaveAnOpenPortWithoutReception) {
    struct Case {
        bool getFails, setFails;
        const char* message;
    };
    for (const Case c : {Case{true, false, "Не могу получить статус порта"},
                         Case{false, true, "Не могу инициализировать порт"}}) {
        SCOPED_TRACE(c.message);
        dev = std::make_shared<FakeDevice>();
        dev->getStateFails = c.getFails;
        dev->setStateFails = c.setFails;
        prompt.Clear();
        received.clear();
        auto port = Make("COM2");
        ASSERT_EQ(prompt.boxes().size(), 1u);
        EXPECT_EQ(prompt.boxes()[0], (PromptEvent{PromptEvent::Device, c.message, "COM2"}));
        EXPECT_NE(port->Handle, 0u);
        EXPECT_FALSE(port->Receiving());
        // Purged, watched, but no read armed and no second purge.
        EXPECT_EQ(dev->CallCount("purge 15"), 1u);
        EXPECT_EQ(dev->CallCount("wait"), 1u);
        EXPECT_EQ(dev->CallCount("read"), 0u);

        dev->Receive("xyz");
        port->Poll();
        port->Poll();
        EXPECT_EQ(received, "");
        // The event wait still works.
        dev->PostEvent(EV_BREAK);
        port->Poll();
        EXPECT_TRUE(port->EvBreak);
    }
}

TEST_F(PortObject, FirstPollDeliversNoByteThenBytesArriveInOrderInOnePoll) {
    dev->Receive("stale");  // waiting before the port opened: purged
    auto port = Make();
    port->Poll();
    EXPECT_EQ(received, "");
    EXPECT_EQ(port->BytesRead, 0u);

    dev->Receive(">G\x01\x02" "12\n<");
    port->Poll();
    EXPECT_EQ(received, ">G\x01\x02" "12\n<");
    EXPECT_TRUE(dev->input.empty());
    EXPECT_EQ(port->BytesRead, 0u);  // the next read is pending

    port->Poll();
    EXPECT_EQ(received.size(), 8u);
    dev->Receive("Z");
    port->Poll();
    EXPECT_EQ(received.back(), 'Z');
}

TEST_F(PortObject, RtsAndDtrTakeOnlyLevelsZeroAndOne) {
    auto port = Make();
    dev->ClearCalls();
    port->SetRTS(2);
    port->SetDTR(7);
    EXPECT_TRUE(dev->calls.empty());
    EXPECT_EQ(port->RtsState, 0);
    EXPECT_EQ(port->DtrState, 0);

    port->SetRTS(1);
    port->SetDTR(1);
    EXPECT_TRUE(dev->rts);
    EXPECT_TRUE(dev->dtr);
    EXPECT_EQ(port->RtsState, 1);
    EXPECT_EQ(port->DtrState, 1);

    // A device that refuses keeps the recorded level.
    dev->hasModemLines = false;
    port->SetRTS(0);
    EXPECT_EQ(port->RtsState, 1);
}

TEST_F(PortObject, ModemLineChangeWithoutBytesRaisesCommEvent) {
    auto port = Make();
    port->Poll();
    EXPECT_EQ(commEvents, 0);

    dev->modemStatus = MS_CTS_ON | MS_RLSD_ON;
    port->Poll();
    EXPECT_EQ(commEvents, 1);
    EXPECT_EQ(port->LastModemStatus, MS_CTS_ON | MS_RLSD_ON);
    EXPECT_TRUE(port->CtsOn);
    EXPECT_TRUE(port->RlsdOn);
    EXPECT_FALSE(port->DsrOn);
    port->Poll();
    EXPECT_EQ(commEvents, 1);  // unchanged: nothing

    dev->modemStatus = MS_RLSD_ON;
    port->Poll();
    EXPECT_EQ(commEvents, 2);
    EXPECT_FALSE(port->CtsOn);
    EXPECT_EQ(received, "");
}

TEST_F(PortObject, LineErrorStaysUntilAnEventWithoutErr) {
    auto port = Make();
    port->Poll();
    dev->Receive("a");
    port->Poll();

    dev->PostEvent(EV_ERR | EV_RXCHAR);
    dev->Receive("b");
    port->Poll();
    EXPECT_EQ(commEvents, 1);
    EXPECT_TRUE(port->EvErr);
    EXPECT_TRUE(port->EvRxChar);

    dev->Receive("cd");
    port->Poll();  // no event: the flag is not reset by reading
    dev->PostEvent(EV_RXCHAR);
    dev->Receive("e");
    port->Poll();
    EXPECT_FALSE(port->EvErr);

    EXPECT_EQ(received, "abcde");
    EXPECT_EQ(lineErrors, (std::vector<bool>{false, true, true, true, false}));
}

TEST_F(PortObject, EventWordIsDecodedIntoEveryFlag) {
    auto port = Make();
    dev->PostEvent(0x3FF);
    port->Poll();
    EXPECT_TRUE(port->EvBreak && port->EvCts && port->EvDsr && port->EvErr && port->EvPErr &&
                port->EvRing && port->EvRlsd && port->EvRxChar && port->EvRxFlag &&
                port->EvTxEmpty);
    dev->PostEvent(EV_DSR);
    port->Poll();
    EXPECT_TRUE(port->EvDsr);
    EXPECT_FALSE(port->EvBreak || port->EvCts || port->EvErr || port->EvPErr || port->EvRing ||
                 port->EvRlsd || port->EvRxChar || port->EvRxFlag || port->EvTxEmpty);
    EXPECT_EQ(commEvents, 2);
}

TEST_F(PortObject, WritesCompleteAtOnceOrLateThroughPoll) {
    auto port = Make();
    int done = 0;
    port->OnWriteDone = [&](TIOPort* sender) {
        EXPECT_EQ(sender, port.get());
        ++done;
    };
    EXPECT_TRUE(port->Write("hi", 2));
    EXPECT_FALSE(port->WriteDone);
    port->Poll();
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(port->WriteDone);
    EXPECT_EQ(port->BytesWritten, 2u);

    dev->writesCompleteAtOnce = false;
    dev->lineErrors = CE_FRAME;
    EXPECT_FALSE(port->Write("late", 4));
    EXPECT_FALSE(port->WriteDone);
    EXPECT_EQ(port->CommErrors, CE_FRAME);  // errors cleared when not finished at once
    port->Poll();
    EXPECT_EQ(done, 1);
    dev->FinishWrite();
    port->Poll();
    EXPECT_EQ(done, 2);
    EXPECT_EQ(port->BytesWritten, 4u);
    EXPECT_EQ(std::string(dev->written.begin(), dev->written.end()), "hilate");

    dev->ClearCalls();
    EXPECT_FALSE(port->Write("x", 0));
    EXPECT_EQ(dev->calls, (std::vector<std::string>{"clearerrors"}));
}

TEST_F(PortObject, SetModeAppliesTheBuiltSettingsOrChangesNothing) {
    auto port = Make();
    ASSERT_TRUE(port->SetMode("9600,N,8,1"));
    EXPECT_EQ(dev->settings.BaudRate, 9600u);
    EXPECT_EQ(dev->settings.ByteSize, 8);
    EXPECT_EQ(dev->settings.Parity, NOPARITY);
    EXPECT_EQ(dev->settings.StopBits, ONESTOPBIT);
    EXPECT_FALSE(dev->settings.fOutX || dev->settings.fInX || dev->settings.fOutxCtsFlow);
    EXPECT_FALSE(dev->dtr);
    EXPECT_FALSE(dev->rts);

    dev->ClearCalls();
    EXPECT_FALSE(port->SetMode("fast please"));
    EXPECT_EQ(dev->calls, (std::vector<std::string>{"build"}));
    dev->setStateFails = true;
    EXPECT_FALSE(port->SetMode("4800,E,7,2"));
    EXPECT_EQ(dev->settings.BaudRate, 9600u);
}

TEST_F(PortObject, SetPortNameReopensUnderTheNewName) {
    auto port = Make("COM1");
    EXPECT_TRUE(port->SetPortName("COM7"));
    EXPECT_EQ(dev->openedName, "COM7");
    EXPECT_EQ(port->DeviceName, "COM7");
    EXPECT_EQ(dev->CallCount("close"), 1u);
    port->Poll();  // the read aborted by closing completes without a byte
    dev->Receive("ok");
    port->Poll();
    EXPECT_EQ(received, "ok");
}

TEST_F(PortObject, DestructionPurgesClosesThenFreesTheEvents) {
    auto port = Make();
    dev->ClearCalls();
    port.reset();
    EXPECT_EQ(dev->calls, (std::vector<std::string>{"purge 15", "clearerrors", "close",
                                                    "freeevent 1", "freeevent 2",
                                                    "freeevent 3"}));
    EXPECT_FALSE(dev->open);
}

TEST_F(PortObject, LostDeviceIsReportedAndPollStaysQuiet) {
    auto port = Make();
    dev->Receive("ab");
    dev->lost = true;  // bytes already queued are still delivered
    port->Poll();
    EXPECT_EQ(received, "ab");
    EXPECT_TRUE(port->DeviceLost());
    const int events = commEvents;
    dev->ClearCalls();
    for (int i = 0; i < 50; ++i) port->Poll();
    EXPECT_EQ(received, "ab");
    EXPECT_LE(commEvents, events + 1);
    // Each later poll is a constant handful of calls, with no read re-armed.
    EXPECT_EQ(dev->CallCount("read"), 0u);
}

}  // namespace
}  // namespace vornik
