// The DXF export on any bytes, read as `kalmoro-gen export --dxf` reads a program file (Windows-1251 or
// UTF-8): it never throws or crashes; a program without moves, or with a value beyond what a program's
// words may hold, is refused with its reason and nothing drawn; any other program gives a whole R12
// drawing in millimetres whose every line is short (no number beyond the machine's range), with one
// entity per move on the four layers and the upper contour only where it carries a taper.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzCheck.h"
#include "check/ProgramReader.h"
#include "export/ContourDxf.h"
#include "load/ProgramLoad.h"
#include "nc/ProgramInterpreter.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

bool Beyond(const Move& m) {
  for (const double v : {m.x0, m.y0, m.x, m.y, m.i, m.j})
    if (!(std::fabs(v) < kMaxTableCoordinate)) return true;
  for (const double v : {m.u0, m.v0, m.u, m.v})
    if (!(std::fabs(v) < kMaxTaperCoordinate)) return true;
  return false;
}

std::size_t Count(std::string_view text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes = AsText(data, size);
  const auto label = [&] { return "program:\n" + Escaped(bytes); };
  const ProgramReading reading = ReadProgram(DecodeProgramBytes(bytes).text);
  std::string why;
  std::optional<std::string> dxf;
  try {
    dxf = ContourDxf(reading, &why);
  } catch (...) {
    Fail("the export never throws", label());
  }
  bool beyond = false;
  for (const Move& m : reading.moves) beyond = beyond || Beyond(m);
  if (reading.moves.empty() || beyond) {
    if (dxf) Fail("a program without moves or beyond any machine draws nothing", label());
    if (beyond && why.find("вне пределов станка") == std::string::npos)
      Fail("a value beyond any machine is named as such", label() + "\nreason: " + why);
    if (why.empty() || !IsUtf8(why)) Fail("a refusal says why in UTF-8", label());
    return 0;
  }
  if (!dxf) Fail("a program with moves within range is drawn", label() + "\nreason: " + why);
  const std::string_view text = *dxf;
  if (!text.starts_with("999\n") || !text.ends_with("  0\nEOF\n") ||
      text.find("$ACADVER\n  1\nAC1009\n") == std::string_view::npos ||
      text.find("$INSUNITS\n 70\n4\n") == std::string_view::npos)
    Fail("the drawing is a whole R12 file in millimetres", label());
  for (std::size_t at = 0, end = 0; at < text.size(); at = end + 1) {
    end = text.find('\n', at);
    if (end - at > 40) Fail("every line of the drawing is short", label());
  }
  std::size_t upper = 0;
  for (const Move& m : reading.moves) {
    const bool tapered = m.u0 != 0 || m.v0 != 0 || m.u != 0 || m.v != 0;
    const bool curved = m.kind == Move::Kind::Arc && (m.u != m.u0 || m.v != m.v0);
    if (tapered) upper += curved ? kTaperedArcLines : 1;
  }
  // Entities follow "\n  0\n" and are named on the next line; layers are named after group 8.
  const std::size_t entities = Count(text, "\n  0\nLINE\n") + Count(text, "\n  0\nARC\n");
  if (entities < reading.moves.size() || entities > reading.moves.size() + upper)
    Fail("one entity per move, and at most the tapered moves again on UPPER", label());
  const std::size_t onLayers = Count(text, "\n  8\nLOWER\n") + Count(text, "\n  8\nUPPER\n") +
                               Count(text, "\n  8\nLEADS\n") + Count(text, "\n  8\nTRAVEL\n");
  if (onLayers != entities) Fail("every entity stands on one of the four layers", label());
  return 0;
}
