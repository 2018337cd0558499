#pragma once

#include <QPointF>
#include <QRectF>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "app/preview/ScenePass.h"
#include "check/MachineProfile.h"
#include "check/ProgramReader.h"

// What the toolpath preview draws, worked out once per reading of the program: every move as a
// polyline in millimetres on the lower contour and, for a tapered program, on the upper one; the
// wire sampled along the cut; the passes of each hole and where the slug is held; the bounds.
namespace kalmoro {

class ToolpathScene {
 public:
  // A straight wire between a point of the lower contour and the matching point of the upper one.
  using Wire = std::pair<QPointF, QPointF>;

  ToolpathScene() = default;
  // wireOffset: how far the wire's centre runs inside the cut (its radius plus the gap); 0 for none.
  explicit ToolpathScene(const ProgramReading& reading, double wireOffset = 0);
  // As the machine cuts it: each pass's wire centre offset by its register (RegisterOf), and a hole whose
  // program gives no height (no R word) standing at the profile's height.
  ToolpathScene(const ProgramReading& reading, const MachineProfile& machine);

  int MoveCount() const { return static_cast<int>(m_lines.size()); }
  // The polyline of a move on the lower contour, or on the upper one (the lower one when the
  // program has no taper words): its first point is where the move starts, its last where it ends.
  std::span<const QPointF> Points(int move, bool upper) const;
  bool Compensated(int move) const { return m_compensated[static_cast<std::size_t>(move)]; }
  // A rapid move: between the holes of a job, without the wire.
  bool Rapid(int move) const { return m_rapid[static_cast<std::size_t>(move)]; }
  // The program line of a move (from 1).
  int LineOf(int move) const { return m_lines[static_cast<std::size_t>(move)]; }
  // The move written on a program line, or -1 when that line makes none.
  int MoveAtLine(int line) const;

  // Whether a problem of the reading stands at the move's line.
  bool Faulty(int move) const { return m_faulty[static_cast<std::size_t>(move)]; }
  bool AnyFaulty() const { return m_anyFaulty; }
  bool Tapered() const { return m_tapered; }
  // The height of the upper guide above the lower one, the R word; nothing when absent or zero.
  std::optional<double> WireHeight() const { return m_wireHeight; }
  // The height at which a move's upper contour is cut: the R word of its hole's setup block in a job,
  // the program's otherwise; 0 where none is given (and for the moves between a job's holes).
  double HeightOf(int move) const { return m_heights[static_cast<std::size_t>(move)]; }
  // The least and the greatest height any move has; 0 and 0 when none has one.
  double MinHeight() const { return m_minHeight; }
  double MaxHeight() const { return m_maxHeight; }
  // The tapered holes that give no height, whose contours the 3D view can only draw at one height: the
  // numbers of a job's holes, or 0 for a single program.
  const std::vector<long>& TaperedWithoutHeight() const { return m_taperedWithoutHeight; }
  // The holes without an R word that stand at the machine profile's height (the numbers of a job's
  // holes, or 0 for a single program), and that height; none without a profile.
  const std::vector<long>& AtProfileHeight() const { return m_atProfileHeight; }
  double ProfileHeight() const { return m_profileHeight; }
  // Where the path starts; nothing without moves.
  std::optional<QPointF> Start() const;
  // The smallest rectangle (X, Y in millimetres) that holds both contours; empty without moves.
  QRectF Bounds() const { return m_bounds; }
  const std::vector<Wire>& Wires() const { return m_wires; }
  // The move each wire of Wires() stands on.
  int WireMove(std::size_t wire) const { return m_wireMoves[wire]; }
  // The paths of the wire's centre along each cut (each pass's run of moves with compensation on, lower
  // contour), offset to the side its G41 or G42 names (the left without passes), by the pass's register
  // or else by the wire offset; empty without either or without a cut.
  const std::vector<std::vector<QPointF>>& WireCentres() const { return m_wireCentres; }
  // The pass (an index into Passes()) whose cut a wire-centre path follows; -1 for none.
  int WireCentrePass(std::size_t path) const { return m_wireCentrePasses[path]; }
  // The passes of the program in the order they are cut (ProgramReading::passes), and the pass each
  // move belongs to, -1 for none (the moves between a job's holes).
  const std::vector<ScenePass>& Passes() const { return m_passes; }
  int PassOf(int move) const { return m_passOf.empty() ? -1 : m_passOf[static_cast<std::size_t>(move)]; }
  // Whether the passes are drawn apart: some hole is cut in more than one pass. A program of single passes
  // is drawn as one contour.
  bool PassesApart() const { return m_passesApart; }
  // Where a rough pass stops for the operator to secure the slug: on the lower contour at the stop.
  struct SlugStop {
    QPointF at;
    int line = 0;  // the stop's block
  };
  const std::vector<SlugStop>& SlugStops() const { return m_slugStops; }
  // The stops of a job where the wire is cut or threaded again, and the holes' numbers at their centres.
  struct Stop {
    QPointF at;
    bool thread = false;
  };
  const std::vector<Stop>& Stops() const { return m_stops; }
  struct HoleMark {
    QPointF at;
    long number = 0;
  };
  const std::vector<HoleMark>& Holes() const { return m_holes; }
  // The points a measurement in the plan snaps to: where every move ends and the centre of every arc,
  // on the lower contour and, for a tapered program, on the upper one (an upper arc has a centre where
  // its taper stays the same along it).
  const std::vector<QPointF>& SnapPoints() const { return m_snaps; }

 private:
  ToolpathScene(const ProgramReading& reading, const MachineProfile* machine, double wireOffset);
  void AddMove(const Move& move, int segments);
  void SampleWires(const std::vector<Move>& moves);
  void SetHeights(const ProgramReading& reading, const MachineProfile* machine);
  void SetPasses(const ProgramReading& reading, const MachineProfile* machine);
  void AddWireCentres(double wireOffset);
  void AddSnapPoints(const std::vector<Move>& moves);

  std::vector<QPointF> m_lower, m_upper;  // the polylines of all moves, one after another
  std::vector<std::size_t> m_first;       // where each move's polyline starts; one more entry at the end
  std::vector<int> m_lines;
  std::vector<bool> m_compensated;
  std::vector<bool> m_rapid;
  std::vector<Stop> m_stops;
  std::vector<HoleMark> m_holes;
  std::vector<bool> m_faulty;
  bool m_anyFaulty = false;
  std::vector<Wire> m_wires;
  std::vector<int> m_wireMoves;
  std::vector<std::vector<QPointF>> m_wireCentres;
  std::vector<int> m_wireCentrePasses;
  std::vector<ScenePass> m_passes;
  std::vector<int> m_passOf;
  bool m_passesApart = false;
  std::vector<SlugStop> m_slugStops;
  std::vector<long> m_atProfileHeight;
  double m_profileHeight = 0;
  std::vector<QPointF> m_snaps;
  bool m_tapered = false;
  std::optional<double> m_wireHeight;
  std::vector<double> m_heights;
  double m_minHeight = 0, m_maxHeight = 0;
  std::vector<long> m_taperedWithoutHeight;
  QRectF m_bounds;
};

}  // namespace kalmoro
