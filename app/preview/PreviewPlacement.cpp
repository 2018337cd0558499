#include "app/preview/PreviewPlacement.h"

#include <algorithm>
#include <optional>

namespace kalmoro {
namespace {

// A coordinate that puts a span of length size as near wanted as the range [low, high] allows.
int Clamp(int wanted, int size, int low, int high) {
  return std::max(low, std::min(wanted, high - size + 1));
}

long long Area(const QRect& r) {
  return r.isEmpty() ? 0 : static_cast<long long>(r.width()) * r.height();
}

}  // namespace

QRect PlacePreview(const QRect& screen, const QRect& main, const QSize& preferred, const QSize& minimum) {
  const QSize most = preferred.boundedTo(screen.size());
  const QSize least = minimum.boundedTo(most);

  // The room on each side of the main window within the screen, as a rectangle.
  const QRect sides[] = {
      QRect(QPoint(main.right() + 1 + kPreviewGap, screen.top()), screen.bottomRight()),
      QRect(screen.topLeft(), QPoint(main.left() - 1 - kPreviewGap, screen.bottom())),
      QRect(QPoint(screen.left(), main.bottom() + 1 + kPreviewGap), screen.bottomRight()),
      QRect(screen.topLeft(), QPoint(screen.right(), main.top() - 1 - kPreviewGap)),
  };
  std::optional<QRect> best;
  for (std::size_t k = 0; k < std::size(sides); ++k) {
    const QRect& room = sides[k];
    const QSize size = most.boundedTo(room.size());
    if (size.width() < least.width() || size.height() < least.height()) continue;
    // Beside the main window: level with its top to the right or left, with its left edge below or above,
    // and next to it across the gap.
    const bool across = k < 2;
    const int x = across ? (k == 0 ? room.left() : room.right() - size.width() + 1)
                         : Clamp(main.left(), size.width(), room.left(), room.right());
    const int y = across ? Clamp(main.top(), size.height(), room.top(), room.bottom())
                         : (k == 2 ? room.top() : room.bottom() - size.height() + 1);
    const QRect placed(QPoint(x, y), size);
    if (!best || Area(placed) > Area(*best)) best = placed;
  }
  if (best) return *best;

  // No room beside it: the least size where it covers the least, at an edge of the screen (the covered
  // area is least at one of them), level with the main window where that covers no more.
  const int xs[] = {screen.right() - least.width() + 1, screen.left()};
  const int ys[] = {Clamp(main.top(), least.height(), screen.top(), screen.bottom()), screen.top(),
                    screen.bottom() - least.height() + 1};
  QRect placed;
  long long covered = -1;
  for (const int x : xs) {
    for (const int y : ys) {
      const QRect candidate(QPoint(x, y), least);
      const long long c = Area(candidate.intersected(main));
      if (covered < 0 || c < covered) {
        covered = c;
        placed = candidate;
      }
    }
  }
  return placed;
}

}  // namespace kalmoro
