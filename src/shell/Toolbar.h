#pragma once
// The main window's toolbar: 36 pixels high, 18 buttons of 33 x 34 pixels at
// 33-pixel steps, none reached with the Tab key. Buttons are found by their
// objectName; spacers are permanently disabled and have no picture.
#include <QString>
#include <QWidget>
#include <vector>

class QToolButton;

namespace vornik {

struct ToolbarButtonDef {
    const char* name;
    const char* hint;  // UTF-8; empty for none
    bool tooltip;      // the hint is shown as a tooltip
    bool spacer;
};

// The buttons from left to right.
const std::vector<ToolbarButtonDef>& ToolbarButtons();

class Toolbar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 36;
    static constexpr int kStep = 33;
    static constexpr int kButtonWidth = 33;
    static constexpr int kButtonHeight = 34;

    explicit Toolbar(QWidget* parent = nullptr);

    QToolButton* Button(const QString& name) const;
};

}  // namespace vornik
