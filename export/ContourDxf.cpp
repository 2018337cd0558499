#include "export/ContourDxf.h"

#include <dl_dxf.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>

#include "save/FileReplace.h"

namespace kalmoro {
namespace {

constexpr int kLowerColor = 5;  // blue
constexpr int kUpperColor = 1;  // red

double Degrees(double radians) {
  return radians * 180.0 / std::numbers::pi;
}

// A scratch file for dxflib, which writes only to a named file; removed with this object.
class ScratchFile {
 public:
  ScratchFile() {
    const char* dir = std::getenv("TMPDIR");
    m_path = std::string(dir && *dir ? dir : "/tmp") + "/kalmoro-dxf.XXXXXX";
    const int fd = ::mkstemp(m_path.data());
    if (fd < 0)
      m_path.clear();
    else
      ::close(fd);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  ~ScratchFile() {
    if (!m_path.empty()) ::unlink(m_path.c_str());
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};

void WriteLayer(DL_Dxf& dxf, DL_WriterA& out, const char* name, int color) {
  dxf.writeLayer(out, DL_LayerData(name, 0), DL_Attributes("", color, -1, "CONTINUOUS", 1.0));
}

void WriteMove(DL_Dxf& dxf, DL_WriterA& out, const Move& move, bool upper) {
  const DL_Attributes layer(upper ? kUpperLayer : kLowerLayer, 256, -1, "BYLAYER", 1.0);
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

std::optional<std::string> ContourDxf(const ProgramReading& reading, std::string* error) {
  const auto fail = [&](const char* why) -> std::optional<std::string> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (reading.moves.empty()) return fail("в программе нет ни одного перемещения");
  const ScratchFile scratch;
  if (scratch.Path().empty()) return fail("не удалось создать временный файл");
  {
    DL_Dxf dxf;
    const std::unique_ptr<DL_WriterA> out(dxf.out(scratch.Path().c_str(), DL_Codes::AC1009));
    if (!out) return fail("не удалось создать временный файл");
    dxf.writeHeader(*out);
    out->sectionEnd();
    out->sectionTables();
    dxf.writeVPort(*out);
    out->tableLinetypes(3);
    for (const char* name : {"BYBLOCK", "BYLAYER", "CONTINUOUS"})
      dxf.writeLinetype(*out, DL_LinetypeData(name, "", 0, 0, 0.0));
    out->tableEnd();
    out->tableLayers(reading.tapered ? 3 : 2);
    WriteLayer(dxf, *out, "0", 7);
    WriteLayer(dxf, *out, kLowerLayer, kLowerColor);
    if (reading.tapered) WriteLayer(dxf, *out, kUpperLayer, kUpperColor);
    out->tableEnd();
    out->tableStyle(1);
    dxf.writeStyle(*out, DL_StyleData("STANDARD", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    out->tableEnd();
    dxf.writeView(*out);
    dxf.writeUcs(*out);
    out->tableAppid(1);
    dxf.writeAppid(*out, "ACAD");
    out->tableEnd();
    out->sectionEnd();
    out->sectionEntities();
    for (const Move& move : reading.moves) WriteMove(dxf, *out, move, false);
    if (reading.tapered)
      for (const Move& move : reading.moves) WriteMove(dxf, *out, move, true);
    out->sectionEnd();
    out->dxfEOF();
    out->close();
  }
  std::ifstream in(scratch.Path(), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return fail("не удалось прочитать временный файл");
  return bytes;
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
