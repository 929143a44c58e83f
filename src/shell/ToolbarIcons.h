#pragma once
// Pictures of the toolbar's command buttons, drawn with QPainter, each with
// its disabled form (grey and faded).
#include <QIcon>
#include <QImage>
#include <QString>

namespace vornik {

// The picture of a button by its objectName (BitBtn10, BitBtnTab...);
// a null icon for the spacers.
QIcon ToolbarIcon(const QString& buttonName);
// The picture alone, at `size` pixels, normal or disabled.
QImage ToolbarPicture(const QString& buttonName, int size, bool disabled);

}  // namespace vornik
