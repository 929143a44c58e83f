#include "printing/qt/PrintDialogs.h"

#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrinterInfo>
#include <QVBoxLayout>
#include <algorithm>

#include "core/qt/DialogButtons.h"

namespace vornik {

PrinterChoiceDialog::PrinterChoiceDialog(const QStringList& printers, const QString& current, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PrinterSetupDialog1"));
    setWindowTitle(QString::fromUtf8("Выбор принтера"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QString::fromUtf8("Принтер:"), this));
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("PrinterList"));
    list_->addItems(printers);
    list_->setCurrentIndex(std::max<int>(0, int(printers.indexOf(current))));
    list_->setMinimumWidth(260);
    column->addWidget(list_);
    const DialogButtons pair = MakeApplyCancel(this);
    pair.apply->setEnabled(!printers.isEmpty());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(pair.apply);
    buttons->addWidget(pair.cancel);
    column->addLayout(buttons);
}

QString PrinterChoiceDialog::ChosenPrinter() const { return list_->currentText(); }

bool QtPrintDialogs::PrinterSetup(QPrinter& printer) {
    // A printer choice only: what and how to print is set by each print.
    PrinterChoiceDialog dialog(QPrinterInfo::availablePrinterNames(), printer.printerName(), parent_);
    if (dialog.exec() != QDialog::Accepted || dialog.ChosenPrinter().isEmpty()) return false;
    printer.setPrinterName(dialog.ChosenPrinter());
    return true;
}

std::optional<QFont> QtPrintDialogs::ChooseFont(const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok) return std::nullopt;
    return font;
}

}  // namespace vornik
