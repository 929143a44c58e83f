#pragma once
// The printer setup and font dialogs, behind an interface so that tests can
// answer them from a script.
#include <QFont>
#include <QPrinter>
#include <optional>

class QWidget;

namespace vornik {

class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // Lets the user choose the printer and its settings; they stay in
    // `printer`. False when cancelled.
    virtual bool PrinterSetup(QPrinter& printer) = 0;
    // The font dialog preset with `initial`; nothing when cancelled.
    virtual std::optional<QFont> ChooseFont(const QFont& initial) = 0;
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
