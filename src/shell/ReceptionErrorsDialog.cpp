#include "shell/ReceptionErrorsDialog.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/qt/Text.h"

namespace vornik {

ReceptionErrorsDialog::ReceptionErrorsDialog(RecentErrors& errors, QWidget* parent)
    : QDialog(parent), errors_(errors), list_(new QListWidget(this)) {
    setObjectName(QStringLiteral("ReceptionErrors"));
    setWindowTitle(QString::fromUtf8("Ошибки приёма данных"));
    resize(520, 300);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* clear = buttons->addButton(QString::fromUtf8("Очистить"), QDialogButtonBox::ResetRole);
    QPushButton* close = buttons->addButton(QString::fromUtf8("Закрыть"), QDialogButtonBox::RejectRole);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(clear, &QPushButton::clicked, this, [this] {
        errors_.Clear();
        Refresh();
    });
    layout->addWidget(buttons);
    Refresh();
}

void ReceptionErrorsDialog::Refresh() {
    list_->clear();
    for (auto it = errors_.Entries().rbegin(); it != errors_.Entries().rend(); ++it) {
        QString line = FromUtf8(FormatTimeOfDay(it->time)) + QStringLiteral("  ") + FromUtf8(it->text);
        if (it->repeats > 1) line += QStringLiteral("  (x%1)").arg(it->repeats);
        list_->addItem(line);
    }
}

}  // namespace vornik
