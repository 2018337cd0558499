#include "app/preview/ScreenPath.h"

#include <algorithm>
#include <cmath>

#include "app/preview/ScreenGeometry.h"

namespace kalmoro {
namespace {

double Distance(QPointF a, QPointF b) {
  const QPointF d = b - a;
  return std::sqrt(QPointF::dotProduct(d, d));
}

}  // namespace

Arrows::Arrows(const QSize& size)
    : m_columns(static_cast<std::size_t>(std::max(size.width(), 0) / kCell + 1)),
      m_rows(static_cast<std::size_t>(std::max(size.height(), 0) / kCell + 1)),
      m_taken(m_columns * m_rows) {}

void Arrows::Add(QPointF at, double angle) {
  const double column = std::floor(at.x() / kCell), row = std::floor(at.y() / kCell);
  if (m_placed.size() >= kMaxArrows || !(column >= 0 && row >= 0) ||
      column >= static_cast<double>(m_columns) || row >= static_cast<double>(m_rows))
    return;
  const std::size_t cell = static_cast<std::size_t>(row) * m_columns + static_cast<std::size_t>(column);
  if (m_taken[cell]) return;
  m_taken[cell] = true;
  m_placed.push_back({at, angle});
}

Coverage::Coverage(const QSize& size)
    : m_width(std::max(size.width(), 0)),
      m_height(std::max(size.height(), 0)),
      m_bits(static_cast<std::size_t>(m_width) * static_cast<std::size_t>(m_height)) {}

// Every half pixel along the segment, as Mark marks it: sparser samples would let a long segment whose
// samples all fall on strokes drawn across it pass for covered, and leave it undrawn.
bool Coverage::Covered(QPointF a, QPointF b) const {
  const int samples = std::max(1, static_cast<int>(std::ceil(Distance(a, b) * 2)));
  for (int k = 0; k <= samples; ++k) {
    const auto index = Index(a + (b - a) * (static_cast<double>(k) / samples));
    if (!index || m_bits[*index] == 0) return false;
  }
  return true;
}

void Coverage::Mark(QPointF a, QPointF b) {
  const int samples = std::max(1, static_cast<int>(std::ceil(Distance(a, b) * 2)));
  for (int k = 0; k <= samples; ++k) {
    const QPointF p = a + (b - a) * (static_cast<double>(k) / samples);
    for (const QPointF corner :
         {QPointF(-0.5, -0.5), QPointF(0.5, -0.5), QPointF(-0.5, 0.5), QPointF(0.5, 0.5)}) {
      if (const auto index = Index(p + corner)) m_bits[*index] = 1;
    }
  }
}

std::optional<std::size_t> Coverage::Index(QPointF p) const {
  const double x = std::floor(p.x()), y = std::floor(p.y());
  if (!(x >= 0 && y >= 0) || x >= m_width || y >= m_height) return std::nullopt;
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(m_width) + static_cast<std::size_t>(x);
}

void ScreenPath::Add(QPointF p) {
  if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {  // a point beyond any sane size
    Break();
    return;
  }
  if (!m_open) {
    m_last = p;
    m_open = true;
    m_hasPending = false;
    m_runLength = 0;
    m_nextArrow = 0;
    return;
  }
  const QPointF d = p - m_last;
  if (d.x() * d.x() + d.y() * d.y() < kKeepDistance * kKeepDistance) {
    m_pending = p;
    m_hasPending = true;
    return;
  }
  Segment(m_last, p);
  m_last = p;
  m_hasPending = false;
}

void ScreenPath::Break() {
  if (m_open && m_hasPending) Segment(m_last, m_pending);
  m_open = false;
}

const QPainterPath& ScreenPath::Path() {
  Break();
  return m_path;
}

void ScreenPath::Segment(QPointF a, QPointF b) {
  const double length = Distance(a, b);
  const double runStart = m_runLength;
  m_runLength += length;
  double t0 = 0, t1 = 1;
  if (!ClipSegment(m_clip, a, b, t0, t1)) return;
  if (m_coverage) {
    if (m_coverage->Covered(a, b)) return;
    m_coverage->Mark(a, b);
  }
  if (m_path.isEmpty() || m_path.currentPosition() != a) m_path.moveTo(a);
  m_path.lineTo(b);
  if (!m_arrows || !(length > 0) || !std::isfinite(m_runLength)) return;
  // Arrows stand at half a spacing, one and a half, …, from the start of the run.
  const double seenFrom = runStart + t0 * length, seenTo = runStart + t1 * length;
  m_nextArrow = std::max(m_nextArrow, std::ceil(seenFrom / kArrowSpacing - 0.5));
  const double angle = std::atan2(b.y() - a.y(), b.x() - a.x());
  // The visible piece is at most the widget's diagonal long; the count also guards against runs so
  // long that adding one spacing no longer changes the number.
  for (int k = 0; k < 64; ++k, ++m_nextArrow) {
    const double at = (m_nextArrow + 0.5) * kArrowSpacing;
    if (at > seenTo) break;
    m_arrows->Add(a + (b - a) * ((at - seenFrom) / std::max(seenTo - seenFrom, 1e-12)), angle);
  }
}

}  // namespace kalmoro
