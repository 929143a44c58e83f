#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QPushButton>

#include "ScriptedPrompt.h"
#include "core/Errors.h"
#include "shell/Application.h"

using namespace vornik;

TEST(Application, AnErrorEscapingAHandlerIsReportedAndTheProgramGoesOn) {
    auto* app = static_cast<Application*>(QCoreApplication::instance());
    test::ScriptedPrompt prompt;
    app->SetErrorPrompt(&prompt);
    QPushButton button;
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] {
        if (++clicks == 1) throw VornikError("'1-2' is not a valid integer value");
    });
    // Delivered through the event loop, as a user's click would be.
    QMetaObject::invokeMethod(&button, "click", Qt::QueuedConnection);
    QMetaObject::invokeMethod(&button, "click", Qt::QueuedConnection);
    QCoreApplication::processEvents();
    app->SetErrorPrompt(nullptr);
    EXPECT_EQ(clicks, 2);
    ASSERT_EQ(prompt.boxes().size(), 1u);
    EXPECT_EQ(prompt.boxes()[0].kind, test::PromptEvent::General);
    EXPECT_EQ(prompt.boxes()[0].text, "'1-2' is not a valid integer value.");
}
