// The window and the recovery journal: rows received and not saved survive
// an abnormal end and are offered back at the next start.
#include <gtest/gtest.h>

#include <filesystem>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include "ReplyBuilder.h"
#include "TestForm.h"
#include "datafiles/RecoveryJournal.h"

using namespace vornik;
using namespace vornik::test;

namespace {

void ReceiveGasReplies(TestForm& fixture, int count) {
    for (int i = 0; i < count; ++i) fixture.device->Receive(GasReply().Set(5, std::to_string(100 + i)).Bytes());
    for (int tick = 0; tick < 3; ++tick) fixture.form->port().TimerReadPortTimer();
}

}  // namespace

TEST(JournalWindow, UnsavedRowsComeBackAfterAnAbnormalEnd) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    fixture.Create();
    ReceiveGasReplies(fixture, 3);
    ASSERT_EQ(fixture.form->model().Table(PageGas).RowCount(), 4);
    const std::string journal = fixture.form->journal()->Path();
    ASSERT_EQ(RecoveryJournal::ReadPending(journal).size(), 3u);
    std::vector<std::string> lastRow;
    for (int c = 0; c < kGasColumns; ++c) lastRow.emplace_back(fixture.form->model().Table(PageGas).Cell(c, 3));

    // The process dies: the journal stays as it was written.
    const std::string kept = fixture.dir / "kept.journal";
    std::filesystem::copy_file(journal, kept);
    fixture.form.reset();
    EXPECT_FALSE(std::filesystem::exists(journal));  // a normal end removes it
    std::filesystem::copy_file(kept, journal);

    fixture.prompt.Clear();
    fixture.prompt.Answer(true);  // restore
    TForm1& form = fixture.Create();
    ASSERT_EQ(fixture.prompt.boxes().size(), 1u);
    EXPECT_EQ(fixture.prompt.boxes()[0].kind, PromptEvent::Question);
    const MeasurementTable& gas = form.model().Table(PageGas);
    ASSERT_EQ(gas.RowCount(), 4);
    for (int c = 0; c < kGasColumns; ++c) EXPECT_EQ(gas.Cell(c, 3), lastRow[c]) << c;
    EXPECT_TRUE(form.model().NewData(PageGas));
    EXPECT_TRUE(form.findChild<QAction*>("N8")->isEnabled());
    EXPECT_EQ(form.model().Chart(PageGas).Series(0).Count(), 3u);
    // Restored rows are recorded again until they are saved.
    EXPECT_EQ(RecoveryJournal::ReadPending(journal).size(), 3u);
}

TEST(JournalWindow, RowsLeaveTheJournalOnlyWhenSavedOrCleared) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    fixture.Create();
    const std::string journal = fixture.form->journal()->Path();
    ReceiveGasReplies(fixture, 2);
    // A cancelled save dialog writes nothing: the rows stay recoverable.
    fixture.dialogs.Answer(std::nullopt);
    fixture.form->SaveCharDialog();
    EXPECT_FALSE(fixture.form->model().NewData(PageGas));
    EXPECT_EQ(RecoveryJournal::ReadPending(journal).size(), 2u);

    ReceiveGasReplies(fixture, 1);
    fixture.dialogs.Answer(fixture.dir / "saved.gas");
    fixture.form->SaveCharDialog();
    EXPECT_FALSE(fixture.form->model().NewData(PageGas));
    EXPECT_TRUE(RecoveryJournal::ReadPending(journal).empty());

    ReceiveGasReplies(fixture, 1);
    EXPECT_EQ(RecoveryJournal::ReadPending(journal).size(), 1u);
    fixture.form->navigation().DeleteAllData();  // delete all data of the page
    EXPECT_TRUE(RecoveryJournal::ReadPending(journal).empty());
}

TEST(JournalWindow, RowsArrivingWhileTheRestoreQuestionIsOpenAreRecorded) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    fixture.Create();
    ReceiveGasReplies(fixture, 2);
    const std::string journal = fixture.form->journal()->Path();
    const std::string left = ReadAll(journal);
    fixture.form.reset();
    WriteAll(journal, left);  // as a crash leaves it

    fixture.prompt.Clear();
    fixture.prompt.Answer(true);
    fixture.prompt.WhileAsking([&] {
        for (int i = 0; i < 3; ++i) fixture.device->Receive(GasReply().Set(1, std::to_string(50 + i)).Bytes());
        QEventLoop wait;
        QTimer::singleShot(300, &wait, &QEventLoop::quit);  // the port is polled meanwhile
        wait.exec();
    });
    TForm1& form = fixture.Create();
    ASSERT_EQ(form.model().Table(PageGas).RowCount(), 6);
    EXPECT_EQ(form.model().Table(PageGas).Cell(0, 1), "1/50");
    EXPECT_EQ(RecoveryJournal::ReadPending(journal).size(), 5u);
}

TEST(JournalWindow, AJournalThatCannotBeWrittenIsShownUntilItCan) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    std::filesystem::create_directory(fixture.dir / "vornik-pc.journal");
    TForm1& form = fixture.Create();
    auto* status = form.findChild<QLabel*>("JournalStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isHidden());
    // The reason whole in the bar, the path with it in the tooltip.
    EXPECT_TRUE(status->text().startsWith(QString::fromUtf8(kJournalShortErrorText))) << status->text().toStdString();
    EXPECT_TRUE(status->toolTip().startsWith(QString::fromUtf8(kJournalWriteErrorText)));
    EXPECT_TRUE(status->toolTip().contains(QString::fromStdString(fixture.dir / "vornik-pc.journal")));
    form.show();
    QCoreApplication::processEvents();
    EXPECT_GE(status->width(), status->sizeHint().width());
    // A reception error goes to its own line and leaves this one standing.
    for (char c : std::string(">G00" "12\r\n<")) form.Recieve(nullptr, static_cast<uint8_t>(c), false);
    EXPECT_GT(form.receptionErrors().Total(), 0u);
    EXPECT_FALSE(status->isHidden());
}

TEST(JournalWindow, AJournalThatCouldNotBeCreatedAtTheStartIsCreatedLater) {
    TestForm fixture;
    const std::string folder = fixture.dir / "later";
    FormEnvironment env = fixture.Environment();
    env.configFileName = folder + "/vornik-pc.ini";
    fixture.form = std::make_unique<TForm1>(env);
    TForm1& form = *fixture.form;
    auto* status = form.findChild<QLabel*>("JournalStatus");
    ASSERT_NE(status, nullptr);
    EXPECT_FALSE(status->isHidden());
    form.decoder().RecieveAll(GasReply().Set(1, "1").Bytes() + GasReply().Set(1, "2").Bytes());

    std::filesystem::create_directory(folder);
    const std::string journal = folder + "/vornik-pc.journal";
    QElapsedTimer clock;
    clock.start();
    while (!status->isHidden() && clock.elapsed() < 8000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(status->isHidden());
    EXPECT_EQ(RecoveryJournal::ReadPending(journal).size(), 2u);
}
