#include "shell/ViewDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/ColorBox.h"
#include "core/qt/DialogButtons.h"
#include "core/qt/Text.h"

namespace vornik {
namespace {

QLabel* ColumnHead(const char* text, QWidget* parent) {
    auto* label = new QLabel(FromUtf8(text), parent);
    label->setAlignment(Qt::AlignCenter);
    // A head no wider than the controls under it.
    QFont small = label->font();
    small.setPointSizeF(7);
    label->setFont(small);
    return label;
}

QComboBox* MakeMultiplierBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    // A typed number is taken as it is, not added to the list.
    box->setInsertPolicy(QComboBox::NoInsert);
    for (const std::string& item : MultiplierItems()) box->addItem(FromUtf8(item));
    box->setFixedWidth(50);
    return box;
}

}  // namespace

void UseCompactFont(QWidget& dialog) {
    // The sizes of the dialogs were laid out for an 8-point face of Tahoma's
    // width; Liberation Sans is its metric match on Linux.
    QFont font = dialog.font();
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      font.family()});
    font.setPointSizeF(8);
    dialog.setFont(font);
}

TViewDialog::TViewDialog(const ViewDialogLayout& layout, QWidget* parent) : QDialog(parent), layout_(layout) {
    setWindowTitle(FromUtf8("Параметры просмотра"));
    UseCompactFont(*this);
    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(6, 6, 6, 8);
    main->setSpacing(4);

    auto* groups = new QHBoxLayout;
    groups->setSpacing(4);
    for (const std::vector<ViewRow>& rows : layout.groups) groups->addWidget(MakeGroup(rows), 1);
    main->addLayout(groups);
    main->addWidget(MakePanelBoxes());

    log_ = new QCheckBox(FromUtf8(layout.logCaption), this);
    log_->setObjectName("CheckBoxLog");
    view3D_ = new QCheckBox(FromUtf8("Вывод в объемные графики"), this);
    view3D_->setObjectName("CheckBox3D");
    timeAxis_ = new QCheckBox(FromUtf8("Ось X: время"), this);
    timeAxis_->setObjectName("CheckBoxTimeAxis");
    auto* checks = new QVBoxLayout;
    checks->setSpacing(2);
    checks->addWidget(log_);
    checks->addWidget(view3D_);

    const DialogButtons pair = MakeApplyCancel(this);
    apply_ = pair.apply;
    cancel_ = pair.cancel;
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(4);
    buttons->addStretch(1);
    buttons->addWidget(apply_, 0, Qt::AlignBottom);
    buttons->addWidget(cancel_, 0, Qt::AlignBottom);

    main->addStretch(1);
    if (layout.groups.size() > 1) {
        // A wide dialog has room for the buttons beside the check boxes.
        // The time box under the others, closer together: the dialog keeps its size.
        checks->setSpacing(0);
        checks->addWidget(timeAxis_);
        auto* bottom = new QHBoxLayout;
        bottom->setSpacing(2);
        bottom->addLayout(checks);
        bottom->addLayout(buttons, 1);
        main->addLayout(bottom);
    } else {
        // The time box shares the buttons' row: the dialog keeps its size.
        buttons->insertWidget(0, timeAxis_, 0, Qt::AlignBottom);
        main->addLayout(checks);
        main->addLayout(buttons);
    }
    // A fixed dialog border; a wider platform font may only make it larger.
    setFixedSize(QSize(layout.width, layout.height).expandedTo(minimumSizeHint()));
}

QWidget* TViewDialog::MakeGroup(const std::vector<ViewRow>& rows) {
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(frame);
    grid->setContentsMargins(2, 1, 2, 3);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(2);
    grid->addWidget(ColumnHead("показать", frame), 0, 0);
    grid->addWidget(ColumnHead("множитель", frame), 0, 1);
    grid->addWidget(ColumnHead("цвет", frame), 0, 2);
    int line = 1;
    for (const ViewRow& row : rows) {
        const QString caption = FromUtf8(row.caption);
        Row controls;
        controls.show = new QCheckBox(caption, frame);
        controls.show->setObjectName("CheckBox" + caption);
        controls.multiplier = MakeMultiplierBox(frame);
        controls.multiplier->setObjectName("ComboBox" + caption);
        controls.color = new ColorBox(SeriesColorList(), frame);
        controls.color->setObjectName("ColorBox" + caption);
        grid->addWidget(controls.show, line, 0);
        grid->addWidget(controls.multiplier, line, 1);
        grid->addWidget(controls.color, line, 2);
        rows_[row.index] = controls;
        ++line;
    }
    // Groups side by side share their height and width; the spare room goes
    // below the rows and into the colour boxes.
    grid->setRowStretch(line, 1);
    grid->setColumnStretch(2, 1);
    return frame;
}

QWidget* TViewDialog::MakePanelBoxes() {
    auto* panel = new QWidget(this);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(0, 2, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    panelTop_ = new ColorBox(PanelColorList(), panel);
    panelTop_->setObjectName("ColorBoxTop");
    panelBottom_ = new ColorBox(PanelColorList(), panel);
    panelBottom_->setObjectName("ColorBoxBottom");
    // A narrow dialog breaks the labels over two lines.
    const bool narrow = layout_.groups.size() < 2;
    int line = 0;
    for (auto [text, box] : {std::pair{"Цвет панели диаграммы сверху", panelTop_},
                             std::pair{"Цвет панели диаграммы снизу", panelBottom_}}) {
        auto* label = new QLabel(FromUtf8(text), panel);
        label->setWordWrap(narrow);
        grid->addWidget(label, line, 0);
        grid->addWidget(box, line, 1);
        ++line;
    }
    grid->setColumnStretch(1, 1);
    return panel;
}

void TViewDialog::Fill(const ViewValues& values) {
    for (auto& [index, row] : rows_) {
        row.show->setChecked(values.show.at(size_t(index)));
        row.multiplier->setEditText(FromUtf8(values.multiplier.at(size_t(index))));
        row.color->SetSelected(values.color.at(size_t(index)));
    }
    log_->setChecked(values.logarithmic);
    view3D_->setChecked(values.view3D);
    panelTop_->SetSelected(values.panelEnd);
    panelBottom_->SetSelected(values.panelStart);
}

ViewValues TViewDialog::Values() const {
    const size_t n = size_t(layout_.seriesCount);
    ViewValues values;
    values.show.assign(n, false);
    values.multiplier.assign(n, "");
    values.color.assign(n, 0);
    for (const auto& [index, row] : rows_) {
        values.show[size_t(index)] = row.show->isChecked();
        values.multiplier[size_t(index)] = row.multiplier->currentText().toStdString();
        values.color[size_t(index)] = row.color->Selected();
    }
    values.logarithmic = log_->isChecked();
    values.view3D = view3D_->isChecked();
    values.panelEnd = panelTop_->Selected();
    values.panelStart = panelBottom_->Selected();
    return values;
}

bool RunViewDialog(TViewDialog& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command) {
    TViewParams view = config.View(dialog.Layout().page);
    dialog.Fill(ReadViewValues(view));
    if (dialog.ShowModal() != QDialog::Accepted) return false;
    return ConfirmView(view, dialog.Values(), dialog.Layout().storeOrder, prompt, command);
}

}  // namespace vornik
