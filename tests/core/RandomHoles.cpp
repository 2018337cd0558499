#include "RandomHoles.h"

#include <algorithm>
#include <utility>

#include "fields/ConeSolver.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {

Lines Split(const std::string& program) {
  Lines lines;
  std::size_t start = 0;
  while (start < program.size()) {
    std::size_t end = program.find("\r\n", start);
    if (end == std::string::npos) end = program.size();
    lines.push_back(program.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string Join(const Lines& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  return text;
}

PassOptions RandomPasses(std::mt19937& random) {
  PassOptions o;
  o.skims = 1 + static_cast<int>(random() % kMaxSkims);
  o.direction = random() % 2 ? SkimDirection::Same : SkimDirection::Alternate;
  if (random() % 2)
    o.stop = LeadingValue(FormatNumber(std::uniform_real_distribution<double>(1, 5)(random), 0, 3));
  return o;
}

Program RandomProgram(std::mt19937& random, int which, const PassOptions& passes) {
  const auto value = [&](double low, double high) {
    return FormatNumber(std::uniform_real_distribution<double>(low, high)(random), 0, 3);
  };
  // Large enough to hold a stop of 5 mm.
  const double least = passes.stop != 0 ? 4 : 1;
  if (which == 0) return {"circle", GenCircle(value(least, 40), passes).program};
  if (which == 1) {
    const double w = LeadingValue(value(2 * least, 40)), h = LeadingValue(value(2, 40));
    return {"rect", GenRect(StdText(w), StdText(h), value(0.5, std::min(w, h) / 2), passes).program};
  }
  // Openings and tapered rectangles: drawn again until the generator takes them.
  while (which >= 3) {
    const double w = LeadingValue(value(2 * least, 40)), h = LeadingValue(value(4, 40));
    const std::string r = value(0.3, std::min(w, h) / 2);
    const std::string t = value(5, 40);
    GenResult made;
    if (which <= 4) {
      made = GenRectTaper(StdText(w), StdText(h), r, t, value(-3, 3),
                          which == 3 ? CornerMode::Cylindrical : CornerMode::Conical, passes);
    } else {
      const Relief relief{LeadingValue(value(0, LeadingValue(t) * 0.8)), LeadingValue(value(0.2, 2)),
                          LeadingValue(t)};
      made = which == 5 ? GenCircle(StdText(w), passes, kDefaultStopCode, relief)
                        : GenRect(StdText(w), StdText(h), r, passes, kDefaultStopCode, relief);
    }
    if (made.Ok())
      return {which <= 4 ? "rect-taper" : which == 5 ? "circle opening" : "rect opening", made.program};
  }
  while (true) {
    PlainConeFields fields;
    for (const auto& [field, text] : {std::pair{ConeField::DDown, value(least, 40)},
                                      {ConeField::DUp, value(1, 40)},
                                      {ConeField::H, value(5, 60)}}) {
      fields.SetText(field, text);
      OnConeKeyRelease(fields, field);
    }
    const GenResult cone = GenCone(fields.Text(ConeField::H), fields.Text(ConeField::DDown),
                                   fields.Text(ConeField::DUp), fields.Text(ConeField::Ang), passes);
    if (cone.Ok()) return {"cone", cone.program};
  }
}

}  // namespace kalmoro
