#pragma once
// A drop-down list of colours, each shown with a swatch and its name. A
// selected colour that is not in the list (a settings file written elsewhere)
// is shown as an extra entry named by its #RRGGBB form, so it survives OK.
#include <QComboBox>
#include <vector>

#include "config/ViewDialogLogic.h"

namespace vornik {

class ColorBox : public QComboBox {
    Q_OBJECT
public:
    ColorBox(const std::vector<NamedColor>& colors, QWidget* parent = nullptr);

    void SetSelected(Color color);
    Color Selected() const;
    // The number of list colours, without an extra entry.
    int ListCount() const { return listCount_; }

private:
    void AddColor(Color color, const QString& name);

    int listCount_ = 0;
};

}  // namespace vornik
