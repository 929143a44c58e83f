#include "shell/QtPrompt.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include "core/qt/Text.h"

namespace vornik {
namespace {

// The message texts use "\r\n" for a line break inside the message.
QString MessageText(const std::string& text) {
    return FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

void QtPrompt::Beep() { QApplication::beep(); }

void QtPrompt::ShowError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), MessageText(text), QMessageBox::NoButton, parent_);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

bool QtPrompt::AskYesNo(const std::string& text) { return Ask(text, false) == Choice::Yes; }

Prompt::Choice QtPrompt::AskYesNoCancel(const std::string& text) { return Ask(text, true); }

Prompt::Choice QtPrompt::Ask(const std::string& text, bool withCancel) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), MessageText(text), QMessageBox::NoButton, parent_);
    QPushButton* yes = box.addButton(QStringLiteral("&Yes"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&No"), QMessageBox::NoRole);
    QPushButton* cancel = withCancel ? box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole) : nullptr;
    box.setDefaultButton(yes);
    // Escape and the close button take the way that loses nothing.
    box.setEscapeButton(withCancel ? cancel : no);
    box.exec();
    if (box.clickedButton() == yes) return Choice::Yes;
    return box.clickedButton() == no ? Choice::No : Choice::Cancel;
}

void QtPrompt::ShowDeviceMessage(const std::string& caption, const std::string& deviceName) {
    QMessageBox box(QMessageBox::NoIcon, MessageText(caption), FromUtf8(deviceName), QMessageBox::NoButton, parent_);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

void QtPrompt::ShowGeneralError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), MessageText(GeneralErrorText(text)),
                    QMessageBox::NoButton, parent_);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace vornik
