// The program's pictures, drawn rather than shipped: toolbar icons, the
// program icon, the splash picture and the zoom cursor.
#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>

namespace orvane::app {

/// The toolbar picture of a command, or a null icon when it has none.
QIcon CommandIcon(int id);
/// The program's icon.
QIcon ProgramIcon();
/// The splash picture, at its natural size.
QPixmap SplashPicture();
/// The cursor of zoom mode: a magnifying glass.
QCursor ZoomCursor();

} // namespace orvane::app
