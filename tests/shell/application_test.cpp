#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "ScriptedPrompt.h"
#include "core/Errors.h"
#include "shell/Application.h"

using namespace vornik;

namespace {

// A receiver whose event handler fails the first time, as a handler with an
// unforeseen error would. The error is thrown from the receiver itself, not
// from a slot behind a widget's signal: Qt's widget code is built without
// exceptions, and unwinding through it skips its cleanups.
class FailingReceiver : public QObject {
public:
    int events = 0;
    bool event(QEvent* e) override {
        if (e->type() != QEvent::User) return QObject::event(e);
        if (++events == 1) throw VornikError("'1-2' is not a valid integer value");
        return true;
    }
};

}  // namespace

TEST(Application, AnErrorEscapingAHandlerIsReportedAndTheProgramGoesOn) {
    auto* app = static_cast<Application*>(QCoreApplication::instance());
    test::ScriptedPrompt prompt;
    app->SetErrorPrompt(&prompt);
    FailingReceiver receiver;
    // Delivered through the event loop, as a user's action would be.
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    app->SetErrorPrompt(nullptr);
    EXPECT_EQ(receiver.events, 2);
    ASSERT_EQ(prompt.boxes().size(), 1u);
    EXPECT_EQ(prompt.boxes()[0].kind, test::PromptEvent::General);
    EXPECT_EQ(prompt.boxes()[0].text, "'1-2' is not a valid integer value.");
}

TEST(Application, OnlyTheFirstArgumentNamesADataFile) {
    const auto parse = [](QStringList arguments) { return ParseWindowArguments(arguments); };
    EXPECT_EQ(parse({"a.gas", "b.gas"}).dataFile, "a.gas");
    EXPECT_TRUE(parse({"", "b.gas"}).dataFile.isEmpty());
    EXPECT_TRUE(parse({}).dataFile.isEmpty());
    const WindowArguments demo = parse({"--demo", "a.tmpr", "b.gas"});
    EXPECT_TRUE(demo.demo);
    EXPECT_EQ(demo.dataFile, "a.tmpr");
    EXPECT_FALSE(parse({"a.gas"}).demo);
}
