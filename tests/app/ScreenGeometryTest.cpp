// The toolpath view's screen geometry on its own: segments cut to the widget, round steps, arrows that
// stay sparse and keep their spacing along a run, coverage that drops retraced pieces yet never a piece
// that is not drawn yet, the legend's rows and the bounds that skip points beyond any size.
#include <QDebug>
#include <QFont>
#include <QList>
#include <QTest>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "app/preview/Legend.h"
#include "app/preview/PreviewPlacement.h"
#include "app/preview/ScreenGeometry.h"
#include "app/preview/ScreenPath.h"

using kalmoro::Arrows;
using kalmoro::Coverage;
using kalmoro::ScreenPath;

using Polyline = QList<QPointF>;
Q_DECLARE_METATYPE(QList<Polyline>)

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool Near(QPointF a, QPointF b, double tolerance = 1e-9) {
  return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

QString Text(QPointF p) {
  return QString("(%1, %2)").arg(p.x()).arg(p.y());
}

// The straight pieces a painter path draws.
std::vector<std::pair<QPointF, QPointF>> DrawnSegments(const QPainterPath& path) {
  std::vector<std::pair<QPointF, QPointF>> segments;
  QPointF at;
  for (int k = 0; k < path.elementCount(); ++k) {
    const QPainterPath::Element e = path.elementAt(k);
    if (e.isLineTo()) segments.emplace_back(at, QPointF(e.x, e.y));
    at = QPointF(e.x, e.y);
  }
  return segments;
}

// Runs the polylines through one screen path with coverage, each a run of its own.
QPainterPath Draw(const QList<Polyline>& runs, const QRectF& clip, Coverage& coverage) {
  ScreenPath path(clip, &coverage, nullptr);
  for (const Polyline& run : runs) {
    for (const QPointF p : run) path.Add(p);
    path.Break();
  }
  return path.Path();
}

Polyline Circle(QPointF centre, double radius, int points, double phase) {
  Polyline circle;
  for (int k = 0; k <= points; ++k) {
    const double angle = phase + 2 * std::numbers::pi * k / points;
    circle << centre + radius * QPointF(std::cos(angle), std::sin(angle));
  }
  return circle;
}

}  // namespace

class ScreenGeometryTest : public QObject {
  Q_OBJECT

 private slots:
  void clipKeepsOnlyThePieceInside_data();
  void clipKeepsOnlyThePieceInside();
  void gridStepIsRoundAndNotSmaller_data();
  void gridStepIsRoundAndNotSmaller();
  void arrowsAreOnePerCellAndBounded_data();
  void arrowsAreOnePerCellAndBounded();
  void arrowsKeepTheirSpacingAlongARun_data();
  void arrowsKeepTheirSpacingAlongARun();
  void coverageLeavesNothingUndrawn_data();
  void coverageLeavesNothingUndrawn();
  void retracedContourAddsNothing();
  void legendFillsRowsWithoutOverlap_data();
  void legendFillsRowsWithoutOverlap();
  void boundsSkipPointsBeyondAnySize();
  void offsetPathKeepsItsDistance_data();
  void offsetPathKeepsItsDistance();
  void previewOpensBesideTheMainWindow_data();
  void previewOpensBesideTheMainWindow();
  void previewCoversTheLeastWithoutRoom();
};

void ScreenGeometryTest::clipKeepsOnlyThePieceInside_data() {
  QTest::addColumn<QPointF>("a");
  QTest::addColumn<QPointF>("b");
  QTest::addColumn<bool>("inside");
  QTest::addColumn<QPointF>("clippedA");
  QTest::addColumn<QPointF>("clippedB");
  QTest::addColumn<double>("t0");
  QTest::addColumn<double>("t1");
  // The rectangle is (0, 0) to (100, 50).
  QTest::newRow("wholly inside") << QPointF(10, 10) << QPointF(90, 40) << true << QPointF(10, 10)
                                 << QPointF(90, 40) << 0.0 << 1.0;
  QTest::newRow("entering through the left edge")
      << QPointF(-50, 25) << QPointF(50, 25) << true << QPointF(0, 25) << QPointF(50, 25) << 0.5 << 1.0;
  QTest::newRow("leaving through the right edge backwards")
      << QPointF(50, 25) << QPointF(150, 25) << true << QPointF(50, 25) << QPointF(100, 25) << 0.0 << 0.5;
  QTest::newRow("through a corner and the bottom edge")
      << QPointF(-10, -10) << QPointF(110, 110) << true << QPointF(0, 0) << QPointF(50, 50) << 10.0 / 120
      << 60.0 / 120;
  QTest::newRow("along the top edge") << QPointF(-20, 0) << QPointF(120, 0) << true << QPointF(0, 0)
                                      << QPointF(100, 0) << 20.0 / 140 << 120.0 / 140;
  QTest::newRow("parallel above") << QPointF(0, -5) << QPointF(100, -5) << false << QPointF() << QPointF()
                                  << 0.0 << 0.0;
  QTest::newRow("passing outside a corner")
      << QPointF(90, -20) << QPointF(120, 10) << false << QPointF() << QPointF() << 0.0 << 0.0;
  QTest::newRow("wholly to the right")
      << QPointF(110, 0) << QPointF(120, 50) << false << QPointF() << QPointF() << 0.0 << 0.0;
  QTest::newRow("a point inside") << QPointF(5, 5) << QPointF(5, 5) << true << QPointF(5, 5) << QPointF(5, 5)
                                  << 0.0 << 1.0;
  QTest::newRow("a point outside") << QPointF(-5, 5) << QPointF(-5, 5) << false << QPointF() << QPointF()
                                   << 0.0 << 0.0;
}

void ScreenGeometryTest::clipKeepsOnlyThePieceInside() {
  QFETCH(QPointF, a);
  QFETCH(QPointF, b);
  QFETCH(bool, inside);
  QFETCH(QPointF, clippedA);
  QFETCH(QPointF, clippedB);
  QFETCH(double, t0);
  QFETCH(double, t1);
  QPointF from = a, to = b;
  double s0 = -1, s1 = -1;
  QCOMPARE(kalmoro::ClipSegment(QRectF(0, 0, 100, 50), from, to, s0, s1), inside);
  if (!inside) return;
  QVERIFY2(Near(from, clippedA) && Near(to, clippedB),
           qPrintable("the piece inside is " + Text(clippedA) + "-" + Text(clippedB) + ", not " + Text(from) +
                      "-" + Text(to)));
  QVERIFY2(
      std::abs(s0 - t0) < 1e-12 && std::abs(s1 - t1) < 1e-12,
      qPrintable(
          QString("the piece lies at %1 … %2 of the segment, not %3 … %4").arg(t0).arg(t1).arg(s0).arg(s1)));
}

void ScreenGeometryTest::gridStepIsRoundAndNotSmaller_data() {
  QTest::addColumn<double>("value");
  QTest::addColumn<double>("step");
  QTest::newRow("exactly one") << 1.0 << 1.0;
  QTest::newRow("just above one") << 1.001 << 2.0;
  QTest::newRow("three") << 3.0 << 5.0;
  QTest::newRow("seven") << 7.0 << 10.0;
  QTest::newRow("70 pixels at 7 px/mm") << 10.0 << 10.0;
  QTest::newRow("hundredths") << 0.013 << 0.02;
  QTest::newRow("thousands") << 4200.0 << 5000.0;
  QTest::newRow("zero") << 0.0 << 1.0;
  QTest::newRow("negative") << -3.0 << 1.0;
  QTest::newRow("infinite") << kInf << 1.0;
  QTest::newRow("not a number") << kNaN << 1.0;
}

void ScreenGeometryTest::gridStepIsRoundAndNotSmaller() {
  QFETCH(double, value);
  QFETCH(double, step);
  QVERIFY(qFuzzyCompare(kalmoro::NiceStep(value), step));
}

void ScreenGeometryTest::arrowsAreOnePerCellAndBounded_data() {
  QTest::addColumn<QSize>("size");
  QTest::addColumn<Polyline>("offered");  // in this order
  QTest::addColumn<int>("placed");
  Polyline dense;  // every 10 px over 200 × 120: 5 × 3 cells
  for (int y = 0; y < 120; y += 10)
    for (int x = 0; x < 200; x += 10) dense << QPointF(x + 0.5, y + 0.5);
  QTest::newRow("many offers in a small widget") << QSize(200, 120) << dense << 15;
  Polyline everywhere;  // a point in each of 100 × 100 cells
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) everywhere << QPointF(x * 40 + 20, y * 40 + 20);
  QTest::newRow("a large widget stops at the limit")
      << QSize(4000, 4000) << everywhere << static_cast<int>(Arrows::kMaxArrows);
  QTest::newRow("outside the widget or beyond any size")
      << QSize(200, 120)
      << Polyline{{-1, 5}, {5, -0.5}, {500, 5}, {5, 400}, {kNaN, 5}, {5, kInf}, {-kInf, -kInf}} << 0;
}

void ScreenGeometryTest::arrowsAreOnePerCellAndBounded() {
  QFETCH(QSize, size);
  QFETCH(Polyline, offered);
  QFETCH(int, placed);
  Arrows arrows(size);
  for (const QPointF p : offered) arrows.Add(p, 0.25);
  QCOMPARE(static_cast<int>(arrows.Placed().size()), placed);
  std::set<std::pair<int, int>> cells;
  for (const Arrows::Arrow& arrow : arrows.Placed()) {
    QVERIFY2(arrow.at.x() >= 0 && arrow.at.y() >= 0 && arrow.at.x() < size.width() + Arrows::kCell &&
                 arrow.at.y() < size.height() + Arrows::kCell,
             qPrintable("an arrow at " + Text(arrow.at) + " lies off the widget"));
    const auto cell = std::pair(static_cast<int>(arrow.at.x()) / Arrows::kCell,
                                static_cast<int>(arrow.at.y()) / Arrows::kCell);
    QVERIFY2(cells.insert(cell).second, qPrintable("a second arrow in the cell of " + Text(arrow.at)));
  }
  // The first offer in a cell is the one that stays.
  if (placed > 0) QCOMPARE(arrows.Placed().front().at, offered.front());
}

void ScreenGeometryTest::arrowsKeepTheirSpacingAlongARun_data() {
  QTest::addColumn<QList<Polyline>>("runs");
  QTest::addColumn<Polyline>("arrows");  // where they stand; all point along their run
  QTest::addColumn<double>("angle");
  const auto line = [](QPointF from, QPointF to, int steps) {
    Polyline run;
    for (int k = 0; k <= steps; ++k) run << from + (to - from) * (static_cast<double>(k) / steps);
    return run;
  };
  QTest::newRow("a run across the widget")
      << QList<Polyline>{line({0, 50}, {600, 50}, 60)}
      << Polyline{{55, 50}, {165, 50}, {275, 50}, {385, 50}, {495, 50}} << 0.0;
  QTest::newRow("a run that starts off the widget keeps its spacing")
      << QList<Polyline>{line({-300, 50}, {300, 50}, 60)} << Polyline{{85, 50}, {195, 50}} << 0.0;
  QTest::newRow("a run of few long segments")
      << QList<Polyline>{line({0, 50}, {600, 50}, 2)}
      << Polyline{{55, 50}, {165, 50}, {275, 50}, {385, 50}, {495, 50}} << 0.0;
  QTest::newRow("each run starts its spacing afresh")
      << QList<Polyline>{line({0, 50}, {200, 50}, 20), line({0, 130}, {200, 130}, 20)}
      << Polyline{{55, 50}, {165, 50}, {55, 130}, {165, 130}} << 0.0;
  QTest::newRow("upwards on the screen")
      << QList<Polyline>{line({300, 300}, {300, 0}, 30)} << Polyline{{300, 245}, {300, 135}, {300, 25}}
      << -std::numbers::pi / 2;
}

void ScreenGeometryTest::arrowsKeepTheirSpacingAlongARun() {
  QFETCH(QList<Polyline>, runs);
  QFETCH(Polyline, arrows);
  QFETCH(double, angle);
  Arrows placed(QSize(640, 460));
  ScreenPath path(QRectF(0, 0, 640, 460), nullptr, &placed);
  for (const Polyline& run : runs) {
    for (const QPointF p : run) path.Add(p);
    path.Break();
  }
  Polyline at;
  for (const Arrows::Arrow& arrow : placed.Placed()) {
    at << arrow.at;
    QVERIFY2(std::abs(arrow.angle - angle) < 1e-9,
             qPrintable("the arrow at " + Text(arrow.at) + " points astray"));
  }
  QCOMPARE(at.size(), arrows.size());
  for (qsizetype k = 0; k < at.size(); ++k)
    QVERIFY2(Near(at[k], arrows[k], 1e-6),
             qPrintable("arrow " + Text(arrows[k]) + " stands at " + Text(at[k])));
}

void ScreenGeometryTest::coverageLeavesNothingUndrawn_data() {
  QTest::addColumn<QList<Polyline>>("runs");
  // Vertical strokes every 12.5 px, then one line across them all: only the crossings are covered.
  QList<Polyline> comb;
  for (int k = 0; k <= 8; ++k) comb << Polyline{{12.5 * k + 10, 10}, {12.5 * k + 10, 90}};
  comb << Polyline{{10, 50}, {110, 50}};
  QTest::newRow("a line across a comb") << comb;
  // A contour, then the same contour with a spur off it.
  const Polyline circle = Circle({100, 100}, 60, 360, 0);
  Polyline spur = circle;
  spur.insert(90, QPointF(100, 100));
  spur.insert(91, circle[90]);
  QTest::newRow("a contour, then with a spur") << QList<Polyline>{circle, spur};
  // Random scribbles over each other, some leaving the widget.
  std::mt19937 random(20080704);
  std::uniform_real_distribution<double> coordinate(-30, 230);
  QList<Polyline> scribbles;
  for (int run = 0; run < 16; ++run) {
    Polyline scribble;
    for (int k = 0; k < 12; ++k) scribble << QPointF(coordinate(random), coordinate(random));
    scribbles << scribble;
  }
  QTest::newRow("random scribbles") << scribbles;
}

// Coverage may drop a piece only where all of it is drawn already: every point offered lies on the path
// drawn, give or take what a covered pixel allows (a pixel within half a pixel of the stroke, so 1.5 px
// across each axis) and the fraction of a pixel that thinning takes away.
void ScreenGeometryTest::coverageLeavesNothingUndrawn() {
  QFETCH(QList<Polyline>, runs);
  constexpr double kSlack = 1.5 * std::numbers::sqrt2 + ScreenPath::kKeepDistance;
  const QRectF clip(0, 0, 200, 200);
  Coverage coverage(QSize(200, 200));
  const auto drawn = DrawnSegments(Draw(runs, clip, coverage));
  for (const Polyline& run : runs) {
    for (qsizetype k = 1; k < run.size(); ++k) {
      QPointF a = run[k - 1], b = run[k];
      double t0 = 0, t1 = 1;
      if (!kalmoro::ClipSegment(clip, a, b, t0, t1)) continue;
      const int samples = 1 + static_cast<int>(std::hypot(b.x() - a.x(), b.y() - a.y()) * 2);
      for (int s = 0; s <= samples; ++s) {
        const QPointF p = a + (b - a) * (static_cast<double>(s) / samples);
        double nearest = kInf;
        for (const auto& [from, to] : drawn)
          nearest = std::min(nearest, kalmoro::SquaredDistanceToSegment(p, from, to));
        QVERIFY2(nearest <= kSlack * kSlack,
                 qPrintable(Text(p) + " is offered but nothing is drawn near it"));
      }
    }
  }
}

void ScreenGeometryTest::retracedContourAddsNothing() {
  const QRectF clip(0, 0, 200, 200);
  Coverage once(QSize(200, 200)), thrice(QSize(200, 200));
  const Polyline circle = Circle({100, 100}, 60, 720, 0);
  // The later laps start half a segment further on, so their points fall between the first lap's.
  const Polyline shifted = Circle({100, 100}, 60, 720, std::numbers::pi / 720);
  const int first = Draw({circle}, clip, once).elementCount();
  const int laps = Draw({circle, shifted, shifted}, clip, thrice).elementCount();
  QVERIFY2(first > 100, "one lap must be drawn");
  QCOMPARE(laps, first);
}

void ScreenGeometryTest::legendFillsRowsWithoutOverlap_data() {
  QTest::addColumn<double>("width");
  QTest::addColumn<int>("rows");
  QTest::newRow("wide: one row") << 2000.0 << 1;
  QTest::newRow("middle: wrapped") << 420.0 << -1;  // more than one, fewer than the entries
  QTest::newRow("narrower than any entry: one per row") << 40.0 << 5;
}

void ScreenGeometryTest::legendFillsRowsWithoutOverlap() {
  QFETCH(double, width);
  QFETCH(int, rows);
  const std::vector<kalmoro::LegendEntry> entries = {{Qt::blue, 2.2, "Нижний контур (X, Y)"},
                                                     {Qt::red, 2.2, "Верхний контур (X+U, Y+V)"},
                                                     {Qt::blue, 1.1, "Подход и отход (без коррекции)"},
                                                     {Qt::black, 0, "Начало"},
                                                     {QColor(), -1, "Высота (R): 2 мм"}};
  QFont font;
  font.setPixelSize(11);
  const QFontMetricsF metrics(font);
  const auto extent = [&](std::size_t k) {
    return (entries[k].width >= 0 ? kalmoro::kLegendSwatch + kalmoro::kLegendSwatchGap : 0) +
           metrics.horizontalAdvance(entries[k].text);
  };
  const kalmoro::LegendLayout layout = kalmoro::LayOutLegend(entries, metrics, width);
  QCOMPARE(layout.places.size(), entries.size());
  int rowCount = 1;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const QPointF at = layout.places[k];
    const bool newRow = k > 0 && at.y() > layout.places[k - 1].y();
    if (newRow) ++rowCount;
    if (k == 0 || newRow) {
      QCOMPARE(at.x(), 10.0);
    } else {
      QVERIFY2(at.y() == layout.places[k - 1].y(), "rows go down the strip");
      QVERIFY2(at.x() >= layout.places[k - 1].x() + extent(k - 1),
               qPrintable(entries[k].text + " overlaps the entry before it"));
      QVERIFY2(at.x() + extent(k) <= width - 10, qPrintable(entries[k].text + " passes the right margin"));
    }
    // A row is full: its next entry would not have fitted after its last one.
    if (newRow)
      QVERIFY2(layout.places[k - 1].x() + extent(k - 1) + 20 + extent(k) > width - 10,
               qPrintable(entries[k].text + " starts a new row though it fits the row before"));
    QVERIFY2(at.y() + metrics.height() / 2 <= layout.height, "the strip holds every entry");
  }
  if (rows > 0)
    QCOMPARE(rowCount, rows);
  else
    QVERIFY2(rowCount > 1 && rowCount < static_cast<int>(entries.size()),
             qPrintable(QString("%1 rows").arg(rowCount)));
}

void ScreenGeometryTest::boundsSkipPointsBeyondAnySize() {
  kalmoro::Box box;
  QVERIFY(kalmoro::RectOf(box).isNull());
  for (const QPointF p :
       {QPointF(1, 2), QPointF(kInf, 0), QPointF(kNaN, 9), QPointF(5, -kInf), QPointF(-3, 4)})
    kalmoro::AddFinite(box, p);
  QCOMPARE(kalmoro::RectOf(box), QRectF(QPointF(-3, 2), QPointF(1, 4)));
}

void ScreenGeometryTest::offsetPathKeepsItsDistance_data() {
  QTest::addColumn<QList<QPointF>>("path");
  QTest::addColumn<double>("offset");
  const auto polygon = [](int sides, double radius) {
    QList<QPointF> points;
    for (int k = 0; k <= sides; ++k) {
      const double a = 2 * std::numbers::pi * k / sides;
      points.append({radius * std::cos(a), radius * std::sin(a)});
    }
    return points;
  };
  QTest::newRow("square inwards") << polygon(4, 10) << 1.0;
  QTest::newRow("hexagon inwards") << polygon(6, 5) << 0.145;
  QTest::newRow("fine circle inwards") << polygon(64, 3) << 0.145;
  QTest::newRow("straight line") << QList<QPointF>{{0, 0}, {5, 0}, {10, 0}} << 0.5;
  QTest::newRow("rectangle from the middle of a side")
      << QList<QPointF>{{0, 5}, {-10, 5}, {-10, -5}, {10, -5}, {10, 5}, {0, 5}} << 0.145;
  QTest::newRow("repeated points") << QList<QPointF>{{0, 0}, {0, 0}, {4, 0}, {4, 0}, {4, 4}} << 0.3;
}

// Every point of the wire's centre path stands the offset away from a convex contour, on its left (inside
// a counter-clockwise hole), the corner where a closed contour ends and begins included.
void ScreenGeometryTest::offsetPathKeepsItsDistance() {
  QFETCH(QList<QPointF>, path);
  QFETCH(double, offset);
  const std::vector<QPointF> points(path.begin(), path.end());
  const std::vector<QPointF> out = kalmoro::OffsetPolyline(points, offset);
  QVERIFY2(out.size() >= 2, "an offset path of a path with length");
  for (const QPointF& p : out) {
    double nearest = kInf;
    for (std::size_t k = 1; k < points.size(); ++k)
      nearest = std::min(nearest, std::sqrt(kalmoro::SquaredDistanceToSegment(p, points[k - 1], points[k])));
    QVERIFY2(std::fabs(nearest - offset) < 1e-9,
             qPrintable(QStringLiteral("a point %1 from the path instead of %2").arg(nearest).arg(offset)));
  }
}

namespace {

const QSize kPreferred(700, 680), kLeast(620, 560);

long long Covered(const QRect& a, const QRect& b) {
  const QRect both = a.intersected(b);
  return both.isEmpty() ? 0 : static_cast<long long>(both.width()) * both.height();
}

}  // namespace

void ScreenGeometryTest::previewOpensBesideTheMainWindow_data() {
  QTest::addColumn<QRect>("screen");
  QTest::addColumn<QRect>("main");
  QTest::addColumn<QRect>("preview");
  const QRect main(0, 0, 346, 508);  // the main window's frame at its size
  QTest::newRow("1024x768, main at the left: beside it, narrower")
      << QRect(0, 0, 1024, 768) << main << QRect(358, 0, 666, 680);
  QTest::newRow("1600x1200: beside it at full size")
      << QRect(0, 0, 1600, 1200) << main << QRect(358, 0, 700, 680);
  QTest::newRow("wide screen, main in the middle: to its right, level with it")
      << QRect(0, 0, 1920, 1080) << QRect(787, 286, 346, 508) << QRect(1145, 286, 700, 680);
  QTest::newRow("wide screen, main low: to its right, kept on the screen")
      << QRect(0, 0, 1920, 1080) << QRect(787, 560, 346, 508) << QRect(1145, 400, 700, 680);
  QTest::newRow("main at the right edge: to its left")
      << QRect(0, 0, 1920, 1080) << QRect(1574, 0, 346, 508) << QRect(862, 0, 700, 680);
  QTest::newRow("upright screen: below it") << QRect(0, 0, 768, 1366) << main << QRect(0, 520, 700, 680);
  QTest::newRow("second screen with a panel")
      << QRect(1920, 32, 1280, 992) << QRect(1920, 32, 346, 508) << QRect(2278, 32, 700, 680);
  QTest::newRow("1024x768, main in the middle: no room, the least size covering the least")
      << QRect(0, 0, 1024, 768) << QRect(339, 130, 346, 508) << QRect(404, 0, 620, 560);
  QTest::newRow("screen smaller than the preview: the whole screen")
      << QRect(0, 0, 600, 500) << QRect(0, 0, 346, 480) << QRect(0, 0, 600, 500);
}

void ScreenGeometryTest::previewOpensBesideTheMainWindow() {
  QFETCH(QRect, screen);
  QFETCH(QRect, main);
  QFETCH(QRect, preview);
  const QRect placed = kalmoro::PlacePreview(screen, main, kPreferred, kLeast);
  QCOMPARE(placed, preview);
  QVERIFY2(screen.contains(placed), "the preview must open on the screen");
}

// Random screens and main windows without room beside them: no place of the least size on the screen
// covers less of the main window than the one chosen; with room, nothing is covered.
void ScreenGeometryTest::previewCoversTheLeastWithoutRoom() {
  std::mt19937 random(1024768);
  const auto draw = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  int crowded = 0;
  for (int n = 0; n < 400; ++n) {
    const QRect screen(draw(-2000, 2000), draw(0, 100), draw(640, 2600), draw(480, 1600));
    const QRect main(screen.left() + draw(-100, screen.width() - 200),
                     screen.top() + draw(-50, screen.height() - 200), draw(300, 900), draw(400, 900));
    const QRect placed = kalmoro::PlacePreview(screen, main, kPreferred, kLeast);
    QString label;
    QDebug(&label) << "screen" << screen << "main" << main;
    QVERIFY2(screen.contains(placed), qPrintable(label + ": the preview must lie on the screen"));
    const QSize least = kLeast.boundedTo(screen.size());
    QVERIFY2(placed.width() >= least.width() && placed.height() >= least.height(),
             qPrintable(label + ": the preview must keep its least size"));
    const long long covered = Covered(placed, main);
    if (covered == 0) continue;
    ++crowded;
    QCOMPARE(placed.size(), least);
    for (int x = screen.left(); x + least.width() - 1 <= screen.right(); x += 16)
      for (int y = screen.top(); y + least.height() - 1 <= screen.bottom(); y += 16)
        QVERIFY2(Covered(QRect(QPoint(x, y), least), main) >= covered,
                 qPrintable(label + QString(": at %1,%2 the preview would cover less").arg(x).arg(y)));
  }
  QVERIFY2(crowded > 20, "the random screens must include crowded ones");
}

QTEST_MAIN(ScreenGeometryTest)
#include "ScreenGeometryTest.moc"
