#include "export/ContourDxf.h"

#include <dl_dxf.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "DxfTextWriter.h"
#include "nc/NumberText.h"
#include "nc/ProgramInterpreter.h"
#include "save/FileReplace.h"

namespace kalmoro {
namespace {

constexpr int kLowerColor = 5;   // blue
constexpr int kUpperColor = 1;   // red
constexpr int kLeadsColor = 3;   // green
constexpr int kTravelColor = 8;  // grey
// $INSUNITS: the drawing's unit.
constexpr int kMillimetres = 4;
// Words have three decimals: two points this close are the same point.
constexpr double kSamePoint = 0.003;

enum class Part { Contour, Lead, Travel };

double Degrees(double radians) {
  return radians * 180.0 / std::numbers::pi;
}

bool Tapered(const Move& m) {
  return m.u0 != 0 || m.v0 != 0 || m.u != 0 || m.v != 0;
}

// What each move is: rapid moves are travel; of a run of moves with compensation on, the contour is the
// part up to its last return to where the run began (every pass round the hole), and the rest of the run
// (the exit) and every other move are the way in and out.
std::vector<Part> PartsOf(const std::vector<Move>& moves) {
  std::vector<Part> parts(moves.size(), Part::Lead);
  for (std::size_t k = 0; k < moves.size();) {
    if (moves[k].rapid) {
      parts[k++] = Part::Travel;
      continue;
    }
    if (!moves[k].compensated) {
      ++k;
      continue;
    }
    std::size_t end = k;
    while (end < moves.size() && moves[end].compensated && !moves[end].rapid) ++end;
    std::size_t contourEnd = end;  // a contour that never comes back is all contour
    for (std::size_t m = k; m < end; ++m)
      if (std::hypot(moves[m].x - moves[k].x0, moves[m].y - moves[k].y0) <= kSamePoint) contourEnd = m + 1;
    for (std::size_t m = k; m < contourEnd; ++m) parts[m] = Part::Contour;
    k = end;
  }
  return parts;
}

void WriteLayer(DL_Dxf& dxf, DL_WriterA& out, const char* name, int color) {
  dxf.writeLayer(out, DL_LayerData(name, 0), DL_Attributes("", color, -1, "CONTINUOUS", 1.0));
}

void WriteMove(DL_Dxf& dxf, DL_WriterA& out, const Move& move, const char* layerName, bool upper) {
  const DL_Attributes layer(layerName, 256, -1, "BYLAYER", 1.0);
  const double du = upper ? move.u0 : 0.0;
  const double dv = upper ? move.v0 : 0.0;
  if (move.kind == Move::Kind::Line) {
    const Point end = PointAt(move, 1.0, upper);
    dxf.writeLine(out, DL_LineData(move.x0 + du, move.y0 + dv, 0.0, end.x, end.y, 0.0), layer);
    return;
  }
  if (upper && (move.u != move.u0 || move.v != move.v0)) {
    for (int k = 0; k < kTaperedArcLines; ++k) {
      const Point a = PointAt(move, static_cast<double>(k) / kTaperedArcLines, true);
      const Point b = PointAt(move, static_cast<double>(k + 1) / kTaperedArcLines, true);
      dxf.writeLine(out, DL_LineData(a.x, a.y, 0.0, b.x, b.y, 0.0), layer);
    }
    return;
  }
  // Counter-clockwise from the start point's angle through the sweep, as DXF arcs always run.
  const double radius = std::hypot(move.x0 - move.i, move.y0 - move.j);
  const double start = Degrees(std::atan2(move.y0 - move.j, move.x0 - move.i));
  const double end = start + Degrees(ArcSweep(move));
  dxf.writeArc(out, DL_ArcData(move.i + du, move.j + dv, 0.0, radius, start, end), layer);
}

}  // namespace

std::optional<std::string> BeyondAnyMachine(const ProgramReading& reading) {
  for (const Move& m : reading.moves) {
    for (const double v : {m.x0, m.y0, m.x, m.y, m.i, m.j})
      if (!(std::fabs(v) < kMaxTableCoordinate))
        return "в строке " + std::to_string(m.line) + " координата " + StdText(v) +
               " мм вне пределов станка (X, Y, I, J по модулю меньше 1000000 мм)";
    for (const double v : {m.u0, m.v0, m.u, m.v})
      if (!(std::fabs(v) < kMaxTaperCoordinate))
        return "в строке " + std::to_string(m.line) + " смещение конусности " + StdText(v) +
               " мм вне пределов станка (U, V по модулю меньше 1000000000000 мм)";
  }
  return std::nullopt;
}

std::optional<std::string> ContourDxf(const ProgramReading& reading, std::string* error) {
  const auto fail = [&](std::string why) -> std::optional<std::string> {
    if (error) *error = std::move(why);
    return std::nullopt;
  };
  if (reading.moves.empty()) return fail("в программе нет ни одного перемещения");
  if (const std::optional<std::string> beyond = BeyondAnyMachine(reading)) return fail(*beyond);

  const std::vector<Part> parts = PartsOf(reading.moves);
  const auto has = [&](Part part) {
    for (const Part p : parts)
      if (p == part) return true;
    return false;
  };
  bool upper = false;
  for (std::size_t k = 0; k < parts.size(); ++k)
    upper = upper || (parts[k] == Part::Contour && Tapered(reading.moves[k]));
  const bool leads = has(Part::Lead);
  const bool travel = has(Part::Travel);

  DL_Dxf dxf;
  // dxflib takes the version to write from the opening of its file writer, which fails for the empty
  // name and makes nothing; the text goes through the writer in memory.
  delete dxf.out("", DL_Codes::AC1009);
  if (dxf.getVersion() != DL_Codes::AC1009) return fail("библиотека DXF не приняла версию R12");
  DxfTextWriter out(DL_Codes::AC1009);
  dxf.writeHeader(out);
  out.dxfString(9, "$INSUNITS");
  out.dxfInt(70, kMillimetres);
  out.sectionEnd();
  out.sectionTables();
  dxf.writeVPort(out);
  out.tableLinetypes(3);
  for (const char* name : {"BYBLOCK", "BYLAYER", "CONTINUOUS"})
    dxf.writeLinetype(out, DL_LinetypeData(name, "", 0, 0, 0.0));
  out.tableEnd();
  out.tableLayers(2 + (upper ? 1 : 0) + (leads ? 1 : 0) + (travel ? 1 : 0));
  WriteLayer(dxf, out, "0", 7);
  WriteLayer(dxf, out, kLowerLayer, kLowerColor);
  if (upper) WriteLayer(dxf, out, kUpperLayer, kUpperColor);
  if (leads) WriteLayer(dxf, out, kLeadsLayer, kLeadsColor);
  if (travel) WriteLayer(dxf, out, kTravelLayer, kTravelColor);
  out.tableEnd();
  out.tableStyle(1);
  dxf.writeStyle(out, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
  out.tableEnd();
  dxf.writeView(out);
  dxf.writeUcs(out);
  out.tableAppid(1);
  dxf.writeAppid(out, "ACAD");
  out.tableEnd();
  out.sectionEnd();
  out.sectionEntities();
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const char* layer = parts[k] == Part::Contour ? kLowerLayer
                        : parts[k] == Part::Lead  ? kLeadsLayer
                                                  : kTravelLayer;
    WriteMove(dxf, out, reading.moves[k], layer, false);
  }
  for (std::size_t k = 0; k < parts.size(); ++k)
    if (parts[k] == Part::Contour && Tapered(reading.moves[k]))
      WriteMove(dxf, out, reading.moves[k], kUpperLayer, true);
  out.sectionEnd();
  out.dxfEOF();
  return out.Take();
}

SaveResult SaveContourDxf(const ProgramReading& reading, const std::string& path) {
  std::string why;
  const std::optional<std::string> bytes = ContourDxf(reading, &why);
  if (!bytes) {
    SaveResult result;
    result.path = path;
    result.message = "Контур не записан в файл «" + path + "»: " + why + ".";
    return result;
  }
  return ReplaceFileContents(path, *bytes);
}

}  // namespace kalmoro
