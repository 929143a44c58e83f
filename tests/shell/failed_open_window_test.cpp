// A large data file that fails to open: the progress box has gone before the
// error box shows, and the table keeps its rows and their journal records.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAction>
#include <QProgressDialog>
#include <cstdio>

#include "ReplyBuilder.h"
#include "TestForm.h"
#include "datafiles/DataFile.h"
#include "datafiles/RecoveryJournal.h"

using namespace vornik;
using namespace vornik::test;

namespace {

// Notes whether the progress box was still there when an error box came.
class ProgressWatchingPrompt : public ScriptedPrompt {
public:
    QWidget* window = nullptr;
    int errorsOverProgress = 0;
    void ShowError(const std::string& text) override {
        if (window && window->findChild<QProgressDialog*>(QStringLiteral("FileProgress"))) ++errorsOverProgress;
        ScriptedPrompt::ShowError(text);
    }
};

}  // namespace

TEST(FailedOpenWindow, ProgressBoxClosesBeforeTheErrorAndTheTableStays) {
    TestForm fixture;
    fixture.WriteDefaultSettings();
    ProgressWatchingPrompt prompt;
    FormEnvironment env = fixture.Environment();
    env.prompt = &prompt;
    fixture.form = std::make_unique<TForm1>(env);
    TForm1& form = *fixture.form;
    prompt.window = &form;
    for (int i = 0; i < 2; ++i) fixture.device->Receive(GasReply().Set(1, std::to_string(300 + i)).Bytes());
    for (int tick = 0; tick < 3; ++tick) form.port().TimerReadPortTimer();
    ASSERT_EQ(form.model().Table(PageGas).RowCount(), 3);

    // A header, then 16 MB without a line end (sparse): large enough for the
    // progress box, damaged after its first line.
    const std::string file = fixture.dir / "big.gas";
    WriteAll(file, std::string("N\tDate\tTime\t\r\n"));
    ASSERT_EQ(truncate(file.c_str(), 16 << 20), 0);

    prompt.Answer(false);  // give up the received rows
    fixture.dialogs.Answer(file);
    form.findChild<QAction*>("N9")->trigger();
    ASSERT_EQ(prompt.boxes().size(), 2u);
    EXPECT_EQ(prompt.boxes()[1], (PromptEvent{PromptEvent::Error, "Error", kDataReadErrorText}));
    EXPECT_EQ(prompt.errorsOverProgress, 0);
    EXPECT_EQ(form.findChild<QProgressDialog*>(QStringLiteral("FileProgress")), nullptr);
    EXPECT_EQ(form.model().Table(PageGas).Cell(0, 2), "2/301");
    EXPECT_TRUE(form.model().HoldsUnwrittenRows(PageGas));
    EXPECT_EQ(RecoveryJournal::ReadPending(form.journal()->Path()).size(), 2u);
    EXPECT_TRUE(form.pollTimer().Enabled());
}
