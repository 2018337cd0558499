#pragma once

#include <QColor>

// The colours of the two contours, the same in the preview and on the setup sheet, so that a sheet on
// the bench reads like the screen: blue for the lower contour (the table, X and Y), orange for the upper
// one (X+U, Y+V).
namespace kalmoro {

inline const QColor kLowerContour(28, 92, 196);
inline const QColor kUpperContour(222, 86, 18);

}  // namespace kalmoro
