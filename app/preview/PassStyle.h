#pragma once

#include <QColor>
#include <QPen>
#include <QPointF>
#include <QString>
#include <vector>

#include "app/preview/Legend.h"
#include "app/preview/ScenePass.h"
#include "nc/PassOptions.h"

class QPainter;

// How the drawings tell the passes of a hole apart, all of which run along one programmed contour: each
// vertical pass in a colour of its own and the thicker the earlier it is cut, so that the skims drawn over
// the rough pass leave it showing as a border; the relief pass dashed. And the mark of the stop where the
// operator secures the slug.
namespace kalmoro {

class ToolpathScene;

// The style of a pass: its number for a vertical pass (1 … kPassStyles − 2), kPassStyles − 1 for a relief
// pass.
inline constexpr int kPassStyles = 7;
int PassStyleOf(const ScenePass& pass);
QColor PassColor(int style);
// The vertical passes its hole has after a pass (0 … kMaxSkims; 0 for a relief pass): the pass is drawn
// that many steps thicker than its hole's last pass.
int PassesAfter(const ScenePass& pass);
// The pen of a pass's cut on the screen.
QPen PassPen(int style, int passesAfter);
// "Проход 1 (D0)", "Проход 2 (D1)", "Освобождение (D2)".
QString PassLabel(const ScenePass& pass);

inline constexpr const char* kSlugStopLabel = "Стоп: вырубка";
// The mark of a slug stop: a square across the contour, its label beside it when given.
void PaintSlugStop(QPainter& painter, QPointF at, const QString& label = {});

// The legend's entries for a scene's passes, one for each style it holds in the order they are cut, and
// one for its slug stops; none when the passes are not drawn apart and there is no stop.
std::vector<LegendEntry> PassLegend(const ToolpathScene& scene);

}  // namespace kalmoro
