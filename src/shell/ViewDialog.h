#pragma once
// The view parameter dialog of one chart: per quantity a show check box, a
// multiplier box and a colour box, bound to the series of that quantity in
// the view block; below them the panel colours, the logarithmic and 3D check
// boxes, "Применить" and "Отмена". The gas, temperature and pressure dialogs
// differ only in their layout.
#include <QDialog>
#include <map>

#include "config/Config.h"
#include "config/ViewDialogLogic.h"
#include "core/Prompt.h"

class QCheckBox;
class QComboBox;
class QPushButton;

namespace vornik {

class ColorBox;

class TViewDialog : public QDialog {
    Q_OBJECT
public:
    TViewDialog(const ViewDialogLayout& layout, QWidget* parent = nullptr);

    const ViewDialogLayout& Layout() const { return layout_; }

    // Sets every control from the values.
    void Fill(const ViewValues& values);
    // What the controls hold.
    ViewValues Values() const;
    int ShowModal() { return exec(); }

    // Controls of the row of series `index` of the view block.
    QCheckBox* ShowBox(int index) const { return rows_.at(index).show; }
    QComboBox* MultiplierBox(int index) const { return rows_.at(index).multiplier; }
    ColorBox* SeriesColorBox(int index) const { return rows_.at(index).color; }
    ColorBox* PanelTopBox() const { return panelTop_; }
    ColorBox* PanelBottomBox() const { return panelBottom_; }
    QCheckBox* LogBox() const { return log_; }
    QCheckBox* View3DBox() const { return view3D_; }
    // "Ось X: время": kept in the additions' settings, not in the view block.
    QCheckBox* TimeAxisBox() const { return timeAxis_; }
    QPushButton* ApplyButton() const { return apply_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    struct Row {
        QCheckBox* show;
        QComboBox* multiplier;
        ColorBox* color;
    };
    QWidget* MakeGroup(const std::vector<ViewRow>& rows);
    QWidget* MakePanelBoxes();

    const ViewDialogLayout& layout_;
    std::map<int, Row> rows_;
    ColorBox* panelTop_ = nullptr;
    ColorBox* panelBottom_ = nullptr;
    QCheckBox* log_ = nullptr;
    QCheckBox* view3D_ = nullptr;
    QCheckBox* timeAxis_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The small dialog font the fixed dialog sizes are laid out for.
void UseCompactFont(QWidget& dialog);

// One run of a view dialog over its view block of the record: fill from the
// record, show modally, and on "Применить" store, SaveConfig and ChartsInit
// (a multiplier that is not a number goes to the general error report and
// changes nothing). Returns whether the record was changed.
bool RunViewDialog(TViewDialog& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command);

}  // namespace vornik
