// The main window's side of reception: bytes to the decoder, and the
// reception errors shown in the status bar and the error list.
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

#include "datafiles/RecoveryJournal.h"
#include "shell/MainWindow.h"
#include "shell/ReceptionErrorsDialog.h"
#include "core/qt/Text.h"

namespace vornik {

void TForm1::Recieve(void* Sender, uint8_t Value, bool LineError) { decoder_.Recieve(Sender, Value, LineError); }

void TForm1::BuildStatusBar() {
    auto* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(true);
    receptionStatus_ = new QLabel(bar);
    receptionStatus_->setObjectName(QStringLiteral("ReceptionStatus"));
    bar->addWidget(receptionStatus_, 1);
    portStatus_ = new QLabel(bar);
    portStatus_->setObjectName(QStringLiteral("PortStatus"));
    bar->addPermanentWidget(portStatus_);
    // Stays until the journal records again: not a line the next reception
    // error replaces.
    journalStatus_ = new QLabel(bar);
    journalStatus_->setObjectName(QStringLiteral("JournalStatus"));
    journalStatus_->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    journalStatus_->setWordWrap(false);
    journalStatus_->hide();
    bar->addPermanentWidget(journalStatus_);
    auto* errorsButton = new QToolButton(bar);
    errorsButton->setObjectName(QStringLiteral("ReceptionErrorsButton"));
    errorsButton->setText(QString::fromUtf8("Ошибки приёма"));
    errorsButton->setAutoRaise(true);
    errorsButton->setToolTip(QString::fromUtf8("Список последних ошибок приёма данных"));
    connect(errorsButton, &QToolButton::clicked, this, &TForm1::ShowReceptionErrors);
    bar->addPermanentWidget(errorsButton);
}

void TForm1::ReportReceptionError(const std::string& text) {
    const DateTime now = clock_->Now();
    receptionErrors_.Add(now, text);
    receptionStatus_->setText(QString::fromUtf8("%1  Ошибка приёма: %2 (всего ошибок: %3)")
                                  .arg(FromUtf8(FormatTimeOfDay(now)), FromUtf8(text))
                                  .arg(receptionErrors_.Total()));
}

void TForm1::ShowReceptionErrors() {
    ReceptionErrorsDialog dialog(receptionErrors_, this);
    dialog.exec();
}

}  // namespace vornik

namespace vornik {

void TForm1::PortStateChanged(PortState state) {
    if (state == PortState::Lost) decoder_.DropReply();
    // The port's own label says why it is not open; the list of reception
    // errors keeps it with its time, the reception line is not repeating it.
    if (state == PortState::Failed && !port_.FailureReason().empty())
        receptionErrors_.Add(clock_->Now(), port_.StatusText());
    // Errors shown from before do not belong to the port now receiving.
    if (state == PortState::Listening) receptionStatus_->clear();
    ShowPortState();
}

void TForm1::ShowPortState() {
    if (!portStatus_) return;
    const QString text = FromUtf8(port_.StatusText());
    portStatus_->setText(text);
    portStatus_->setToolTip(text);
}

void TForm1::ShowJournalState() {
    const std::string text = journal_ ? journal_->StatusText() : std::string();
    // The reason in a few words; the file's path, which can be long, in the
    // tooltip with it.
    journalStatus_->setText(FromUtf8(journal_ ? journal_->ShortStatusText() : std::string()));
    journalStatus_->setToolTip(FromUtf8(text));
    journalStatus_->setVisible(!text.empty());
    // Tried again every few seconds, also while no rows arrive to try it.
    if (!text.empty() && journal_->CanRetry())
        QTimer::singleShot(3000, this, [this] {
            if (journal_ && !journal_->Retry()) ShowJournalState();
        });
}

}  // namespace vornik
