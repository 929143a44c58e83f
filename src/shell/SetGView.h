#pragma once
// The gas view parameter dialog (menu item N7).
#include "shell/ViewDialog.h"

namespace vornik {

class TFormSetGView : public TViewDialog {
    Q_OBJECT
public:
    explicit TFormSetGView(QWidget* parent = nullptr) : TViewDialog(GasViewLayout(), parent) {
        setObjectName("FormSetGView");
    }
};

// N7Click: one run of the dialog over the record's GasView. Returns whether
// the record was changed.
bool N7Click(TFormSetGView& dialog, TConfig& config, Prompt& prompt, const ViewCommand& command);

}  // namespace vornik
