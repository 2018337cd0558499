#include "holes/JobList.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "holes/JobOrder.h"
#include "nc/JobProgram.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

// The first line of a text (any line end), and the rest after its line end.
std::pair<std::string_view, std::string_view> FirstLine(std::string_view text) {
  const std::size_t end = text.find_first_of("\r\n");
  if (end == std::string_view::npos) return {text, {}};
  const std::size_t next =
      text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
  return {text.substr(0, end), text.substr(next)};
}

// A plain decimal number: an optional sign, digits with at most one "." or "," (read as "."), blanks
// around; at most maxDecimals digits after the point. Nothing for any other text.
std::optional<double> DecimalValue(std::string_view text, std::size_t maxDecimals) {
  std::string canonical(Trim(text));
  std::replace(canonical.begin(), canonical.end(), ',', '.');
  const std::size_t point = canonical.find('.');
  if (point != std::string::npos && canonical.size() - point - 1 > maxDecimals) return std::nullopt;
  const std::optional<double> value = FullValue(canonical);
  if (!value) return std::nullopt;
  return *value + 0.0;  // no negative zero
}

// The position a computed value stands at once written with three decimals.
double Rounded(double value) {
  const std::optional<double> rounded = FullValue(FormatNumber(value, 3, 3));
  return rounded ? *rounded + 0.0 : value;
}

JobListHole HoleOf(std::string program, double x, double y) {
  const std::optional<HoleHeader> header = ParseHeaderLine(FirstLine(program).first);
  if (!header) throw std::invalid_argument("a hole program without the header of a hole");
  return {*header, {std::move(program), x, y}};
}

}  // namespace

namespace {

// ", поясок 3, освобождение 1°, T20" after an opening with a relief; nothing without one.
std::string ReliefText(const std::optional<Relief>& relief) {
  if (!relief) return {};
  return ", поясок " + StdText(relief->land) + ", освобождение " + StdText(relief->angle) + "°, T" +
         StdText(relief->thickness);
}

}  // namespace

std::string HoleKindText(const HoleHeader& header) {
  if (std::holds_alternative<CircleHeader>(header)) return "круглое";
  if (std::holds_alternative<RectHeader>(header)) return "прямоугольное";
  if (std::holds_alternative<RectTaperHeader>(header)) return "прямоугольное с уклоном";
  return "коническое";
}

std::string HoleSizeText(const HoleHeader& header) {
  if (const auto* circle = std::get_if<CircleHeader>(&header))
    return "D" + circle->diameter + ReliefText(circle->relief);
  if (const auto* rect = std::get_if<RectHeader>(&header))
    return StdText(rect->width) + "×" + StdText(rect->height) + " R" + StdText(rect->radius) +
           ReliefText(rect->relief);
  if (const auto* taper = std::get_if<RectTaperHeader>(&header))
    return StdText(taper->width) + "×" + StdText(taper->height) + " R" + StdText(taper->radius) + ", T" +
           StdText(taper->thickness) + ", " + StdText(taper->angle) + "°, углы " +
           (taper->corners == CornerMode::Conical ? "конические" : "цилиндрические");
  const auto& cone = std::get<ConeHeader>(header);
  return "D" + StdText(cone.lower) + " / D" + StdText(cone.upper) + ", H" + StdText(cone.height);
}

std::string PositionText(double value) {
  return FormatNumber(value + 0.0, 0, 3);
}

std::optional<double> ParsePosition(std::string_view text) {
  const std::optional<double> value = DecimalValue(text, 3);
  if (!value || std::fabs(*value) > kMaxJobPosition) return std::nullopt;
  return value;
}

std::string JobList::Add(const GenResult& generated, double x, double y) {
  if (!generated.Ok()) return generated.error;
  if (m_holes.size() >= kMaxJobHoles) return kMsgJobFull;
  m_holes.push_back(HoleOf(generated.program, x, y));
  return {};
}

void JobList::SetPosition(std::size_t row, double x, double y) {
  m_holes.at(row).hole.x = x;
  m_holes.at(row).hole.y = y;
}

void JobList::MoveUp(std::size_t row) {
  if (row == 0 || row >= m_holes.size()) return;
  std::swap(m_holes[row - 1], m_holes[row]);
}

void JobList::MoveDown(std::size_t row) {
  if (row + 1 >= m_holes.size()) return;
  std::swap(m_holes[row], m_holes[row + 1]);
}

void JobList::Remove(std::size_t row) {
  if (row < m_holes.size()) m_holes.erase(m_holes.begin() + static_cast<std::ptrdiff_t>(row));
}

std::string JobList::PlaceOnCircle(std::size_t row, const BoltCircleTexts& texts) {
  if (row >= m_holes.size()) throw std::out_of_range("no hole at that row");
  const std::string_view countText = Trim(texts.count);
  if (countText.empty() || countText.size() > 3 || !std::all_of(countText.begin(), countText.end(), IsDigit))
    return kMsgCircleCount;
  const std::optional<double> count = FullValue(countText);
  if (!count || *count < 1 || *count > 360) return kMsgCircleCount;
  const std::optional<double> diameter = DecimalValue(texts.diameter, kNumberTextMax);
  if (!diameter || !(*diameter > 0)) return kMsgCircleDiameter;
  const std::optional<double> angle = DecimalValue(texts.angle, kNumberTextMax);
  if (!angle) return kMsgCircleAngle;
  const std::optional<double> centreX = ParsePosition(texts.x);
  const std::optional<double> centreY = ParsePosition(texts.y);
  if (!centreX || !centreY) return kMsgCircleCentre;
  const auto n = static_cast<std::size_t>(*count);
  if (m_holes.size() - 1 + n > kMaxJobHoles) return kMsgJobFull;

  std::vector<JobListHole> copies;
  copies.reserve(n);
  const double start = std::fmod(*angle, 360.0);
  for (std::size_t k = 0; k < n; ++k) {
    const double degrees = start + 360.0 * static_cast<double>(k) / static_cast<double>(n);
    const double radians = degrees * std::numbers::pi / 180;
    const double x = Rounded(*centreX + *diameter / 2 * std::cos(radians));
    const double y = Rounded(*centreY + *diameter / 2 * std::sin(radians));
    if (!(std::fabs(x) <= kMaxJobPosition && std::fabs(y) <= kMaxJobPosition)) return kMsgJobPosition;
    copies.push_back({m_holes[row].header, {m_holes[row].hole.program, x, y}});
  }
  const auto at = m_holes.begin() + static_cast<std::ptrdiff_t>(row);
  m_holes.insert(m_holes.erase(at), std::make_move_iterator(copies.begin()),
                 std::make_move_iterator(copies.end()));
  return {};
}

double JobList::Travel() const {
  std::vector<Point> centres;
  centres.reserve(m_holes.size());
  for (const JobListHole& h : m_holes) centres.push_back({h.hole.x, h.hole.y});
  return TravelLength(centres);
}

std::vector<std::size_t> JobList::Optimise() {
  std::vector<Point> centres;
  centres.reserve(m_holes.size());
  for (const JobListHole& h : m_holes) centres.push_back({h.hole.x, h.hole.y});
  std::vector<std::size_t> order = OptimiseOrder(centres);
  std::vector<JobListHole> ordered;
  ordered.reserve(m_holes.size());
  for (const std::size_t from : order) ordered.push_back(std::move(m_holes[from]));
  m_holes = std::move(ordered);
  return order;
}

GenResult JobList::Generate(const WireCodes& codes) const {
  std::vector<JobHole> holes;
  holes.reserve(m_holes.size());
  for (const JobListHole& h : m_holes) holes.push_back(h.hole);
  return GenJob(holes, codes, m_roughFirst);
}

std::optional<std::size_t> JobList::Restore(std::string_view program, const WireCodes& codes) {
  auto [line, rest] = FirstLine(program);
  // Blank lines before the first do not count, as the reader skips them.
  while (Trim(line).empty() && !rest.empty()) std::tie(line, rest) = FirstLine(rest);
  if (!IsJobHeaderStart(line)) return std::nullopt;
  const std::optional<JobHeader> job = ParseJobHeader(line);
  const bool roughFirst = job && job->roughFirst;
  std::vector<JobListHole> holes;
  std::size_t leftOut = 0;
  while (!rest.empty()) {
    std::tie(line, rest) = FirstLine(rest);
    const std::optional<JobHoleLine> hole = ParseJobHoleLine(line);
    if (!hole) continue;
    if (!hole->header || holes.size() >= kMaxJobHoles ||
        !(std::fabs(hole->x) <= kMaxJobPosition && std::fabs(hole->y) <= kMaxJobPosition)) {
      ++leftOut;
      continue;
    }
    GenResult generated = GenFromHeader(*hole->header, codes.hold);
    if (!generated.Ok()) {
      ++leftOut;
      continue;
    }
    holes.push_back(HoleOf(std::move(generated.program), hole->x + 0.0, hole->y + 0.0));
  }
  m_holes = std::move(holes);
  m_roughFirst = roughFirst;
  return leftOut;
}

}  // namespace kalmoro
