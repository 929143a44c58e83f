// The main window under faults from outside: a data file that cannot be
// written, a settings file that cannot be written, and a serial device that
// goes away and comes back. The window reports each, keeps every row, and
// goes on receiving.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QTableView>
#include <filesystem>

#include "ReplyBuilder.h"
#include "TestForm.h"
#include "core/qt/Text.h"
#include "datafiles/DataFile.h"
#include "datafiles/DataFileCommands.h"
#include "shell/MainWindow.h"

using namespace vornik;
using vornik::test::PromptEvent;
using vornik::test::ReadAll;
using vornik::test::TestForm;
namespace fs = std::filesystem;

namespace {

const PromptEvent kBeep{PromptEvent::Beep, "", ""};
const PromptEvent kWriteBox{PromptEvent::Error, "Error", kDataWriteErrorText};
const PromptEvent kCloseAsked{PromptEvent::Question, "Confirm", vornik::kCloseQuestion};
const PromptEvent kUnsavedAsked{PromptEvent::Question, "Confirm", vornik::kUnsavedQuestion};

// Gas replies numbered `first` on, through the serial device and the poll.
void Receive(TestForm& fixture, int first, int count) {
    for (int n = first; n < first + count; ++n)
        fixture.device->Receive(vornik::test::GasReply().Set(1, std::to_string(n)).Bytes());
    for (int tick = 0; tick < 3; ++tick) fixture.form->port().TimerReadPortTimer();
}

// The bytes of a reply up to the end of its field `count`.
std::string FieldsUpTo(const std::string& reply, int count) {
    size_t end = 0;
    for (int lf = 0; lf <= count; ++lf) end = reply.find('\n', end) + 1;
    return reply.substr(0, end);
}

int GasRows(TForm1& form) { return form.grid(PageGas)->model()->rowCount(); }

std::vector<PromptEvent> Without(const std::vector<PromptEvent>& events, PromptEvent::Kind kind) {
    std::vector<PromptEvent> kept;
    for (const auto& e : events)
        if (e.kind != kind) kept.push_back(e);
    return kept;
}

}  // namespace

TEST(WindowFaults, FailedSavesKeepTheRowsUnsavedUntilASaveWorks) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    Receive(fixture, 1, 3);
    ASSERT_EQ(GasRows(form), 3);
    fixture.prompt.Clear();

    // A folder that does not exist.
    fixture.dialogs.Answer(fixture.dir / "no-such-folder/day.gas");
    form.findChild<QAction*>("N8")->trigger();
    EXPECT_EQ(fixture.prompt.events(), (std::vector<PromptEvent>{kBeep, kWriteBox}));
    EXPECT_TRUE(form.model().NewData(PageGas));
    EXPECT_TRUE(form.findChild<QAction*>("N8")->isEnabled());
    EXPECT_TRUE(form.pollTimer().Enabled());

    // Reception goes on, and a folder in the way of the name fails alike.
    Receive(fixture, 4, 1);
    EXPECT_EQ(GasRows(form), 4);
    fs::create_directory(fixture.dir / "taken.gas");
    fixture.prompt.Clear();
    fixture.dialogs.Answer(fixture.dir / "taken.gas");
    form.SaveCharDialog();
    EXPECT_EQ(Without(fixture.prompt.events(), PromptEvent::Beep), std::vector<PromptEvent>{kWriteBox});
    EXPECT_TRUE(form.model().NewData(PageGas));
    EXPECT_TRUE(fs::is_directory(fixture.dir / "taken.gas"));

    // Closing asks about the rows again; a save that fails once more, with
    // the answer not to close, keeps the window and the rows.
    fixture.prompt.Clear();
    fixture.prompt.Answer(false);  // close? No
    fixture.prompt.Answer(true);   // save? Yes
    fixture.dialogs.Answer(fixture.dir / "no-such-folder/day.gas");
    EXPECT_FALSE(form.close());
    EXPECT_EQ(Without(fixture.prompt.events(), PromptEvent::Beep),
              (std::vector<PromptEvent>{kCloseAsked, kUnsavedAsked, kWriteBox}));
    EXPECT_TRUE(form.model().NewData(PageGas));
    EXPECT_EQ(GasRows(form), 4);

    // The next close asks again, and this time the rows are written.
    fixture.prompt.Clear();
    fixture.prompt.Answer(true);
    fixture.prompt.Answer(true);
    fixture.dialogs.Answer(fixture.dir / "day.gas");
    EXPECT_TRUE(form.close());
    EXPECT_EQ(fixture.prompt.events(), (std::vector<PromptEvent>{kCloseAsked, kUnsavedAsked}));
    const std::string file = ReadAll(fixture.dir / "day.gas");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 5);
    EXPECT_NE(file.find("\r\n4/4\t"), std::string::npos);
    EXPECT_FALSE(form.model().NewData(PageGas));
    EXPECT_EQ(fixture.dialogs.pendingAnswers(), 0u);
}

TEST(WindowFaults, SettingsThatCannotBeWrittenStillLetTheWindowClose) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    form.resize(700, 500);
    const std::string stored = ReadAll(fixture.ConfigFile());
    // The settings file's name is taken by a folder now.
    fs::remove(fixture.ConfigFile());
    fs::create_directory(fixture.ConfigFile());

    fixture.prompt.Answer(true);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(fixture.prompt.events(),
              (std::vector<PromptEvent>{kCloseAsked, kBeep,
                                        {PromptEvent::Error, "Error", "Ошибка доступа к диску!\r\nПерезагрузите компьютер!"}}));
    EXPECT_TRUE(fs::is_directory(fixture.ConfigFile()));
    // The record in memory holds the new placement all the same.
    EXPECT_EQ(form.config().WindowWidth(), 700);
}

TEST(WindowFaults, LostDeviceIsShownAndRowsContinueWhenItReturns) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    TForm1& form = fixture.Create();
    auto* status = form.findChild<QLabel*>("PortStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->text(), QString::fromUtf8("Порт COM1: приём"));
    Receive(fixture, 1, 2);
    fixture.prompt.Clear();

    // Unplugged halfway through a reply.
    fixture.device->Receive(FieldsUpTo(vornik::test::GasReply().Set(1, "3").Bytes(), 10));
    fixture.device->lost = true;
    fixture.device->exists = false;
    form.port().TimerReadPortTimer();
    EXPECT_EQ(form.port().State(), PortState::Lost);
    EXPECT_EQ(status->text(), QString::fromUtf8("Порт COM1 недоступен, повторное открытие"));
    for (int tick = 0; tick < 3 * PortHandling::kReopenTicks; ++tick) form.port().TimerReadPortTimer();
    EXPECT_EQ(form.port().State(), PortState::Lost);

    // Plugged in again.
    fixture.device->exists = true;
    for (int tick = 0; tick < PortHandling::kReopenTicks; ++tick) form.port().TimerReadPortTimer();
    EXPECT_EQ(status->text(), QString::fromUtf8("Порт COM1: приём"));
    // Plugged in halfway through another reply: its tail does not complete
    // the reply cut off by the loss.
    const std::string ninth = vornik::test::GasReply().Set(1, "9").Bytes();
    fixture.device->Receive(ninth.substr(FieldsUpTo(ninth, 10).size()));
    Receive(fixture, 4, 2);
    EXPECT_EQ(GasRows(form), 4);
    EXPECT_EQ(form.model().Table(PageGas).Cell(0, 3), "3/4");
    EXPECT_EQ(form.model().Table(PageGas).Cell(0, 4), "4/5");
    EXPECT_TRUE(Without(fixture.prompt.events(), PromptEvent::Beep).empty());
    EXPECT_EQ(form.receptionErrors().Total(), 0u);
}

TEST(WindowFaults, MissingPortIsSaidOnceInTheStatusBarAndForgottenWhenAPortWorks) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    fixture.device->exists = false;
    fixture.device->missingReason = "No such file or directory";
    TForm1& form = fixture.Create();
    form.show();
    QCoreApplication::processEvents();
    auto* port = form.findChild<QLabel*>("PortStatus");
    auto* reception = form.findChild<QLabel*>("ReceptionStatus");
    ASSERT_TRUE(port && reception);
    const QString failure = QString::fromUtf8("Порт COM1 не открыт: No such file or directory");
    EXPECT_EQ(port->text(), failure);
    // Once, whole: not repeated as a reception error beside it.
    EXPECT_TRUE(reception->text().isEmpty()) << reception->text().toStdString();
    EXPECT_GE(port->width(), port->sizeHint().width());
    ASSERT_EQ(form.receptionErrors().Total(), 1u);
    EXPECT_EQ(FromUtf8(form.receptionErrors().Entries().back().text), failure);

    // A reception error, then a port that works: the line no longer shows
    // what belonged to the old port.
    form.decoder().RecieveAll(std::string(">G00" "12\r\n<"));
    EXPECT_FALSE(reception->text().isEmpty());
    fixture.device->exists = true;
    form.port().OpenPort("COM1");
    EXPECT_EQ(port->text(), QString::fromUtf8("Порт COM1: приём"));
    EXPECT_TRUE(reception->text().isEmpty()) << reception->text().toStdString();
}
