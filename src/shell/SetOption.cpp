#include "shell/SetOption.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "shell/DialogButtons.h"
#include "core/qt/Text.h"
#include "shell/ViewDialog.h"

namespace vornik {

TFormOption::TFormOption(QWidget* parent) : QDialog(parent), deviceLister_([] { return SerialDevicePaths(); }) {
    setObjectName("FormOption");
    setWindowTitle(FromUtf8("Опции"));
    UseCompactFont(*this);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->setSpacing(4);

    auto* header = new QLabel(FromUtf8("Параметры обмена"), this);
    header->setObjectName("Panel1");
    header->setAlignment(Qt::AlignCenter);
    header->setFrameStyle(QFrame::Panel | QFrame::Raised);
    header->setMinimumHeight(24);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);
    main->addWidget(header);
    main->addSpacing(4);

    port_ = new QComboBox(this);
    port_->setObjectName("ComboBoxPort");
    port_->setEditable(true);
    port_->setInsertPolicy(QComboBox::NoInsert);
    main->addWidget(new QLabel(FromUtf8("Порт обмена"), this));
    main->addWidget(port_);

    period_ = new QSpinBox(this);
    period_->setObjectName("SpinEditPediodWiev");
    period_->setRange(kRefreshPeriodMin, kRefreshPeriodMax);
    period_->setEnabled(false);
    main->addWidget(new QLabel(FromUtf8("Период обновления, сек"), this));
    main->addWidget(period_);
    main->addStretch(1);

    const DialogButtons pair = MakeApplyCancel(this);
    apply_ = pair.apply;
    cancel_ = pair.cancel;
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);
    main->addLayout(buttons);

    setFixedSize(QSize(199, 186).expandedTo(minimumSizeHint()));
}

void TFormOption::Fill(const TConfig& config) {
    port_->clear();
    for (const std::string& name : PortChoices(deviceLister_ ? deviceLister_() : std::vector<std::string>{}))
        port_->addItem(QString::fromStdString(name));
    // The stored name need not be one of the items.
    port_->setEditText(FromCp1251(config.PortName()));
    period_->setValue(LimitRefreshPeriod(config.RefreshPeriod()));
}

std::string TFormOption::PortName() const { return ToCp1251(port_->currentText()); }

int TFormOption::RefreshPeriod() const { return period_->value(); }

bool N6Click(TFormOption& dialog, TConfig& config, const OptionCommand& command) {
    dialog.Fill(config);
    if (dialog.ShowModal() != QDialog::Accepted) return false;
    ConfirmOptions(config, dialog.PortName(), dialog.RefreshPeriod(), command);
    return true;
}

}  // namespace vornik
