#include "shell/QtShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

namespace vornik {

bool QtShellOpen::Open(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

}  // namespace vornik
