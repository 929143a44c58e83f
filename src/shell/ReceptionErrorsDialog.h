#pragma once
// The list of recent reception errors, opened from the status bar.
#include <QDialog>

#include "core/RecentErrors.h"

class QListWidget;

namespace vornik {

class ReceptionErrorsDialog : public QDialog {
    Q_OBJECT
public:
    ReceptionErrorsDialog(RecentErrors& errors, QWidget* parent = nullptr);
    // Refills the list from the store.
    void Refresh();

private:
    RecentErrors& errors_;
    QListWidget* list_;
};

}  // namespace vornik
