#pragma once
// The temperature view parameter dialog (menu item N18).
#include "shell/ViewDialog.h"

namespace vornik {

class TFormSetTView : public TViewDialog {
    Q_OBJECT
public:
    explicit TFormSetTView(QWidget* parent = nullptr) : TViewDialog(TempViewLayout(), parent) {
        setObjectName("FormSetTView");
    }
};

// N18Click: one run of the dialog over the record's TempView. Returns whether
// the record was changed.
bool N18Click(TFormSetTView& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command);

}  // namespace vornik
