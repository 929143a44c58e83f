#include "printing/qt/PrintDialogs.h"

#include <QFontDialog>
#include <QPrintDialog>

namespace vornik {

bool QtPrintDialogs::PrinterSetup(QPrinter& printer) {
    // Chooses the printer and its properties; what to print is not asked.
    QPrintDialog dialog(&printer, parent_);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

std::optional<QFont> QtPrintDialogs::ChooseFont(const QFont& initial) {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok) return std::nullopt;
    return font;
}

}  // namespace vornik
