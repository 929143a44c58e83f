#pragma once
// Where the main window opens: centred on the screen's available area, and
// wholly on it, frame included.
#include <QMargins>
#include <QRect>
#include <QSize>

namespace vornik {

// The client rectangle of a window of `client` size whose frame adds
// `frame`, centred in `available`. A size that does not fit, frame
// included, is reduced to what fits.
QRect CentredGeometry(QSize client, QMargins frame, QRect available);

}  // namespace vornik
