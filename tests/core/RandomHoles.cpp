#include "RandomHoles.h"

#include <algorithm>
#include <utility>

#include "fields/ConeSolver.h"
#include "holes/ConeHole.h"
#include "holes/RectHole.h"
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

Program RandomProgram(std::mt19937& random, int which) {
  const auto value = [&](double low, double high) {
    return FormatNumber(std::uniform_real_distribution<double>(low, high)(random), 0, 3);
  };
  if (which == 0) return {"circle", GenCircle(value(1, 40)).program};
  if (which == 1) {
    const double w = LeadingValue(value(2, 40)), h = LeadingValue(value(2, 40));
    return {"rect", GenRect(StdText(w), StdText(h), value(0.5, std::min(w, h) / 2)).program};
  }
  while (true) {
    PlainConeFields fields;
    for (const auto& [field, text] : {std::pair{ConeField::DDown, value(1, 40)},
                                      {ConeField::DUp, value(1, 40)},
                                      {ConeField::H, value(5, 60)}}) {
      fields.SetText(field, text);
      OnConeKeyRelease(fields, field);
    }
    const GenResult cone = GenCone(fields.Text(ConeField::H), fields.Text(ConeField::DDown),
                                   fields.Text(ConeField::DUp), fields.Text(ConeField::Ang));
    if (cone.Ok()) return {"cone", cone.program};
  }
}

}  // namespace kalmoro
