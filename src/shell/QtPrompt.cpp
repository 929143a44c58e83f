#include "shell/QtPrompt.h"

#include <QApplication>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "core/qt/Text.h"

namespace vornik {
namespace {

// The message texts use "\r\n" for a line break inside the message.
QString MessageText(const std::string& text) {
    return FromUtf8(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Room beside a caption for the window's icon and its frame buttons.
constexpr int kCaptionRoom = 140;

}  // namespace

int DeviceMessageWidth(const QString& caption) {
    // Title bars are drawn by the window manager, often in a larger bold face.
    QFont title = QApplication::font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.25);
    return QFontMetrics(title).horizontalAdvance(caption) + kCaptionRoom;
}

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
    // The message is the caption and the text only the device name: sized
    // to its text, the box would be too narrow to show its caption whole.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(DeviceMessageWidth(box.windowTitle()), 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    box.exec();
}

void QtPrompt::ShowGeneralError(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), MessageText(GeneralErrorText(text)),
                    QMessageBox::NoButton, parent_);
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
}

}  // namespace vornik
