#pragma once
// The printer setup and font dialogs, behind an interface so that tests can
// answer them from a script.
#include <QComboBox>
#include <QDialog>
#include <QFont>
#include <QPrinter>
#include <optional>

class QWidget;

namespace vornik {

class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // Lets the user choose the printer; the choice stays in `printer`.
    // False when cancelled.
    virtual bool PrinterSetup(QPrinter& printer) = 0;
    // The font dialog preset with `initial`; nothing when cancelled.
    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;
};

// "Выбор принтера": the printers of the system in a list, the current one
// chosen. Confirming it changes nothing but the printer's name.
class PrinterChoiceDialog : public QDialog {
public:
    PrinterChoiceDialog(const QStringList& printers, const QString& current, QWidget* parent = nullptr);
    QString ChosenPrinter() const;

private:
    QComboBox* list_;
};

// The platform's dialogs.
class QtPrintDialogs : public PrintDialogs {
public:
    explicit QtPrintDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    bool PrinterSetup(QPrinter& printer) override;
    std::optional<QFont> ChooseFont(const QFont& initial) override;

private:
    QWidget* parent_;
};

}  // namespace vornik
