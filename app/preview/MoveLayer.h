#pragma once

#include <QColor>
#include <QPen>
#include <cstddef>
#include <iterator>

// The kinds of moves the toolpath view tells apart, each drawn as a layer of its own with its pen. A new
// kind of move is a new layer here; the view paints the layers in the order of kLayers, the last on top.
namespace kalmoro {

class ToolpathScene;

enum class MoveLayer { Travel, LeadInOut, Cut };
inline constexpr MoveLayer kLayers[] = {MoveLayer::Travel, MoveLayer::LeadInOut, MoveLayer::Cut};
inline constexpr std::size_t kLayerCount = std::size(kLayers);

MoveLayer LayerOf(const ToolpathScene& scene, int move);
// The pen of a layer, on the contour of the given colour.
QPen LayerPen(MoveLayer layer, const QColor& contour);
// Whether a layer has an upper contour: rapid moves run without the wire, at the lower guide only.
bool OnUpperContour(MoveLayer layer);
// Whether arrows show the direction of travel along a layer.
bool HasArrows(MoveLayer layer);

}  // namespace kalmoro
