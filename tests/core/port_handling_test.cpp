// Creating, replacing, polling and releasing the program's port.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "FakeCommDriver.h"
#include "ManualPollTimer.h"
#include "ScriptedPrompt.h"
#include "device/PortHandling.h"

namespace vornik {
namespace {

using test::FakeDevice;
using test::ManualPollTimer;
using test::PromptEvent;
using test::ScriptedPrompt;

class PortHandlingTest : public ::testing::Test {
protected:
    PortHandlingTest() {
        handling.OnStateChange = [this](PortState s) { states.push_back(s); };
    }

    std::unique_ptr<CommDriver> MakeDriver(const std::string& name) {
        ++drivers;
        driverNames.push_back(name);
        return std::make_unique<test::FakeCommDriver>(dev);
    }

    std::shared_ptr<FakeDevice> dev = std::make_shared<FakeDevice>();
    ScriptedPrompt prompt;
    ManualPollTimer timer;
    int drivers = 0;
    std::vector<std::string> driverNames;  // what the factory was asked for
    std::string received;
    std::vector<PortState> states;
    PortHandling handling{prompt, timer, [this](const std::string& name) { return MakeDriver(name); },
                          [this](uint8_t v, bool) { received += static_cast<char>(v); }};
};

TEST_F(PortHandlingTest, CreatePortSetsTheFixedLineAndStartsTheTimer) {
    EXPECT_EQ(timer.Interval(), 10);
    EXPECT_FALSE(timer.Active());
    handling.CreatePort("COM2");
    ASSERT_NE(handling.Port(), nullptr);
    EXPECT_TRUE(timer.Active());
    EXPECT_TRUE(prompt.boxes().empty());
    EXPECT_EQ(dev->openedName, "COM2");
    EXPECT_EQ(driverNames, std::vector<std::string>{"COM2"});  // the name picks the kind of port
    EXPECT_EQ(dev->settings.BaudRate, 9600u);
    EXPECT_EQ(dev->settings.Parity, NOPARITY);
    EXPECT_EQ(dev->settings.ByteSize, 8);
    EXPECT_EQ(dev->settings.StopBits, ONESTOPBIT);
    EXPECT_TRUE(dev->rts);
    EXPECT_FALSE(dev->dtr);
    EXPECT_EQ(handling.Port()->Tag, "QWELT");
    EXPECT_EQ(handling.State(), PortState::Listening);
    EXPECT_EQ(handling.StatusText(), "Порт COM2: приём");

    timer.Tick();  // the first poll delivers nothing
    dev->Receive(">T12<");
    timer.Tick();
    EXPECT_EQ(received, ">T12<");
    EXPECT_EQ(handling.ReceivedBytes(), 5u);

    // A second CreatePort keeps the port and (re)starts the timer.
    timer.Stop();
    TIOPort* port = handling.Port();
    handling.CreatePort("COM9");
    EXPECT_EQ(handling.Port(), port);
    EXPECT_EQ(drivers, 1);
    EXPECT_TRUE(timer.Active());
}

TEST_F(PortHandlingTest, MissingDeviceShowsOneBoxAndTheProgramGoesOnWithoutRetry) {
    dev->exists = false;
    handling.CreatePort("COM5");
    EXPECT_EQ(prompt.boxes(),
              (std::vector<PromptEvent>{{PromptEvent::Device, "Не могу открыть порт", "COM5"}}));
    ASSERT_NE(handling.Port(), nullptr);  // an object in every case
    EXPECT_EQ(handling.Port()->Tag, "QWELT");
    EXPECT_TRUE(timer.Active());
    EXPECT_EQ(handling.State(), PortState::Failed);
    EXPECT_EQ(handling.StatusText(), "Порт COM5 не открыт");

    dev->exists = true;
    dev->ClearCalls();
    timer.Tick(500);
    EXPECT_TRUE(dev->calls.empty());
    EXPECT_EQ(drivers, 1);
    EXPECT_EQ(prompt.boxes().size(), 1u);
}

TEST_F(PortHandlingTest, OpenPortWithTheSameNameClosesAndReopens) {
    handling.CreatePort("COM1");
    timer.Tick();
    dev->Receive(">G1");
    timer.Tick();
    timer.Stop();
    handling.OpenPort("COM1");
    EXPECT_EQ(dev->CallCount("close"), 1u);
    EXPECT_EQ(dev->CallCount("open"), 2u);
    EXPECT_TRUE(dev->open);
    timer.Start();
    timer.Tick();
    dev->Receive("2<");
    timer.Tick();
    EXPECT_EQ(received, ">G12<");  // the decoder sees one stream across the reopen
}

TEST_F(PortHandlingTest, DestoryPortLowersTheLinesAndLeavesTheTimer) {
    handling.CreatePort("COM1");
    handling.Port()->SetDTR(1);
    ASSERT_TRUE(dev->rts && dev->dtr);
    handling.DestoryPort();
    EXPECT_EQ(handling.Port(), nullptr);
    EXPECT_FALSE(dev->rts);
    EXPECT_FALSE(dev->dtr);
    EXPECT_FALSE(dev->open);
    EXPECT_TRUE(timer.Active());
    EXPECT_EQ(handling.State(), PortState::None);
    timer.Tick(3);  // no port: nothing to poll
    handling.DestoryPort();
    EXPECT_EQ(dev->CallCount("close"), 1u);
}

TEST_F(PortHandlingTest, SettingsFailureLeavesAPortWithoutReception) {
    dev->setStateFails = true;
    handling.CreatePort("COM1");
    EXPECT_EQ(prompt.boxes().size(), 1u);
    EXPECT_EQ(handling.State(), PortState::NoReception);
    dev->Receive("abc");
    timer.Tick(3);
    EXPECT_EQ(received, "");
}

TEST_F(PortHandlingTest, LostDeviceIsReportedClosedAndReopenedAboutOnceASecond) {
    handling.CreatePort("ttyUSB0");
    timer.Tick();
    dev->Receive("ab");
    dev->lost = true;
    timer.Tick();
    EXPECT_EQ(received, "ab");  // what arrived before the loss is delivered
    EXPECT_EQ(handling.State(), PortState::Lost);
    EXPECT_EQ(handling.Port(), nullptr);
    EXPECT_FALSE(dev->open);  // released, so the system can give the name back
    EXPECT_EQ(handling.StatusText(), "Порт ttyUSB0 недоступен, повторное открытие");
    EXPECT_TRUE(timer.Active());

    // Unplugged: one silent attempt per 100 ticks.
    dev->exists = false;
    timer.Tick(99);
    EXPECT_EQ(drivers, 1);
    timer.Tick();
    EXPECT_EQ(drivers, 2);
    timer.Tick(100);
    EXPECT_EQ(drivers, 3);
    EXPECT_EQ(handling.State(), PortState::Lost);

    // Plugged back in.
    dev->exists = true;
    timer.Tick(100);
    EXPECT_EQ(drivers, 4);
    EXPECT_EQ(driverNames, std::vector<std::string>(4, "ttyUSB0"));  // every attempt is of the same kind
    EXPECT_EQ(handling.State(), PortState::Listening);
    ASSERT_NE(handling.Port(), nullptr);
    EXPECT_EQ(handling.Port()->Tag, "QWELT");
    EXPECT_TRUE(dev->rts);
    timer.Tick();
    dev->Receive("cd");
    timer.Tick();
    EXPECT_EQ(received, "abcd");

    EXPECT_EQ(prompt.boxes().size(), 0u);
    EXPECT_EQ(states, (std::vector<PortState>{PortState::Listening, PortState::Lost,
                                              PortState::Listening}));
}

TEST_F(PortHandlingTest, ReopeningStopsWhenThePortIsReleasedOrDisabled) {
    handling.CreatePort("COM1");
    dev->lost = true;
    timer.Tick();
    ASSERT_EQ(handling.State(), PortState::Lost);
    handling.DestoryPort();
    EXPECT_EQ(handling.State(), PortState::None);
    timer.Tick(300);
    EXPECT_EQ(drivers, 1);

    handling.CreatePort("COM1");
    handling.SetAutoReopen(false);
    dev->lost = true;
    timer.Tick(300);
    EXPECT_EQ(handling.State(), PortState::Lost);
    EXPECT_EQ(drivers, 2);
}

TEST_F(PortHandlingTest, AnErrorInTheByteHandlerIsReportedOnceAndReceptionGoesOn) {
    int calls = 0;
    PortHandling throwing{prompt, timer, [this](const std::string& name) { return MakeDriver(name); },
                          [&](uint8_t v, bool) {
                              ++calls;
                              if (v == '!') throw std::runtime_error("Неверное значение");
                              received += static_cast<char>(v);
                          }};
    throwing.CreatePort("COM1");
    timer.Tick();
    dev->Receive("a!b!c");
    timer.Tick();
    EXPECT_EQ(received, "abc");
    EXPECT_EQ(calls, 5);
    ASSERT_EQ(prompt.boxes().size(), 1u);
    EXPECT_EQ(prompt.boxes()[0].kind, PromptEvent::General);
    EXPECT_EQ(prompt.boxes()[0].text, "Неверное значение.");
    dev->Receive("d");
    timer.Tick();
    EXPECT_EQ(received, "abcd");
}

// A modal box opened from the byte handler runs the message loop, and with it
// the timer: the port must not be polled, let alone released, from inside
// its own Poll.
TEST_F(PortHandlingTest, ATickFromInsideTheByteHandlerLeavesThePortAlone) {
    std::string got;
    bool openInHandler = true;
    PortHandling nested{prompt, timer, [this](const std::string& name) { return MakeDriver(name); },
                        [&](uint8_t v, bool) {
                            got += static_cast<char>(v);
                            timer.Tick();
                            openInHandler = openInHandler && dev->open;
                        }};
    nested.CreatePort("COM1");
    timer.Tick();
    dev->Receive("abc");
    dev->lost = true;
    timer.Tick();
    EXPECT_EQ(got, "abc");
    EXPECT_TRUE(openInHandler);
    EXPECT_EQ(nested.State(), PortState::Lost);
}

}  // namespace
}  // namespace vornik
