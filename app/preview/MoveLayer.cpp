#include "app/preview/MoveLayer.h"

#include "ViewStyle.h"
#include "app/preview/ToolpathScene.h"

namespace kalmoro {

MoveLayer LayerOf(const ToolpathScene& scene, int move) {
  if (scene.Rapid(move)) return MoveLayer::Travel;
  return scene.Compensated(move) ? MoveLayer::Cut : MoveLayer::LeadInOut;
}

QPen LayerPen(MoveLayer layer, const QColor& contour) {
  switch (layer) {
    case MoveLayer::Travel:
      return TravelPen();
    case MoveLayer::LeadInOut:
      return LinePen(contour, kPathWidth);
    case MoveLayer::Cut:
      break;
  }
  return LinePen(contour, kCutWidth);
}

bool OnUpperContour(MoveLayer layer) {
  return layer != MoveLayer::Travel;
}

bool HasArrows(MoveLayer layer) {
  return layer != MoveLayer::Travel;
}

}  // namespace kalmoro
