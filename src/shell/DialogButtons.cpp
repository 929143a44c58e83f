#include "shell/DialogButtons.h"

#include "core/qt/Text.h"

namespace vornik {

DialogButtons MakeApplyCancel(QDialog* dialog) {
    auto* apply = new QPushButton(FromUtf8("Применить"), dialog);
    apply->setObjectName("BitBtn1");
    apply->setDefault(true);
    auto* cancel = new QPushButton(FromUtf8("Отмена"), dialog);
    cancel->setObjectName("BitBtn2");
    QObject::connect(apply, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return {apply, cancel};
}

}  // namespace vornik
