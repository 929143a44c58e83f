#include "shell/WindowCentring.h"

namespace vornik {

QRect CentredGeometry(QSize client, QMargins frame, QRect available) {
    const QSize frameSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize size = client.boundedTo(available.size() - frameSize).expandedTo(QSize(1, 1));
    const QSize outer = size + frameSize;
    const QPoint frameTopLeft = available.topLeft() + QPoint((available.width() - outer.width()) / 2,
                                                             (available.height() - outer.height()) / 2);
    return QRect(frameTopLeft + QPoint(frame.left(), frame.top()), size);
}

}  // namespace vornik
