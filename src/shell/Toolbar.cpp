#include "shell/Toolbar.h"

#include <QToolButton>

#include "shell/ToolbarIcons.h"

namespace vornik {

const std::vector<ToolbarButtonDef>& ToolbarButtons() {
    static const std::vector<ToolbarButtonDef> buttons = {
        {"BitBtn10", "Откыть файл с данными", true, false},
        {"BitBtn9", "Сохранить данные", false, false},
        {"BitBtn8", "Печать данных", false, false},
        {"BitBtn12", "", false, true},
        {"BitBtnTab", "Отображение данных в виде таблицы", true, false},
        {"BitBtnGraph", "Отображение данных в виде графика", true, false},
        {"BitBtnGraphTab", "Отображение данных в виде таблицы и графика", true, false},
        {"BitBtn6", "", false, true},
        {"BitBtn3", "Отобразить все данные", true, false},
        {"BitBtn4", "Отобразить 50 последних замеров", true, false},
        {"BitBtn2", "Удалить график", true, false},
        {"BitBtn1", "Приблизить график", true, false},
        {"SpeedButton1", "Сдвинуть влево", true, false},
        {"SpeedButton3", "Сдвинуть вниз", true, false},
        {"SpeedButton2", "Сдвинуть вверх", true, false},
        {"SpeedButton4", "Сдвинуть вправо", true, false},
        {"BitBtn11", "", false, true},
        {"BitBtn5", "Удалить все данные", true, false},
    };
    return buttons;
}

Toolbar::Toolbar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ToolBar1"));
    setFixedHeight(kHeight);
    const auto& defs = ToolbarButtons();
    setMinimumWidth(static_cast<int>(defs.size()) * kStep);
    int x = 0;
    for (const auto& def : defs) {
        auto* button = new QToolButton(this);
        const QString name = QString::fromLatin1(def.name);
        button->setObjectName(name);
        button->setGeometry(x, 1, kButtonWidth, kButtonHeight);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        button->setIconSize(QSize(24, 24));
        const QString hint = QString::fromUtf8(def.hint);
        // The hint is kept on every button; only some show it as a tooltip.
        button->setProperty("hint", hint);
        if (def.tooltip) button->setToolTip(hint);
        if (def.spacer) {
            button->setEnabled(false);
        } else {
            button->setIcon(ToolbarIcon(name));
        }
        x += kStep;
    }
}

QToolButton* Toolbar::Button(const QString& name) const { return findChild<QToolButton*>(name); }

}  // namespace vornik
