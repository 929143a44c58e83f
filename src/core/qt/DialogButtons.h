#pragma once
// The "Применить" / "Отмена" pair of the settings dialogs: BitBtn1 accepts
// (the default button), BitBtn2 cancels.
#include <QDialog>
#include <QPushButton>

namespace vornik {

struct DialogButtons {
    QPushButton* apply;
    QPushButton* cancel;
};

DialogButtons MakeApplyCancel(QDialog* dialog);

}  // namespace vornik
