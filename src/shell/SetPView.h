#pragma once
// The pressure view parameter dialog (menu item N19).
#include "shell/ViewDialog.h"

namespace vornik {

class TFormSetPView : public TViewDialog {
    Q_OBJECT
public:
    explicit TFormSetPView(QWidget* parent = nullptr) : TViewDialog(PressViewLayout(), parent) {
        setObjectName("FormSetPView");
    }
};

// N19Click: one run of the dialog over the record's PressView. Returns whether
// the record was changed.
bool N19Click(TFormSetPView& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command);

}  // namespace vornik
