#include "nc/HoleHeader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "nc/NcGrammar.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {
namespace {

// "LABEL=value" with the value in its standard text form.
void AppendValue(std::string& text, std::string_view label, double value) {
  text += label;
  text += StdText(value);
}

// ":SKIMS=2:STOP=3:DIR=SAME", each key only when in force; nothing for a single pass.
void AppendPasses(std::string& text, const PassOptions& options) {
  const PassOptions o = options.Normalised();
  if (o.skims > 0) {
    text += grammar::kSkimsKey;
    text += std::to_string(o.skims);
  }
  if (o.stop != 0) AppendValue(text, grammar::kStopKey, o.stop);
  if (o.skims > 0 && o.direction == SkimDirection::Same) {
    text += grammar::kDirectionKey;
    text += grammar::kDirectionSame;
  }
}

// ":LAND=3:RELIEF=1:T=20"; nothing without a relief.
void AppendRelief(std::string& text, const std::optional<Relief>& relief) {
  if (!relief) return;
  AppendValue(text, grammar::kLandKey, relief->land);
  AppendValue(text, grammar::kReliefKey, relief->angle);
  AppendValue(text, grammar::kReliefThickness, relief->thickness);
}

struct CommentText {
  std::string operator()(const CircleHeader& h) const {
    std::string text(grammar::kCircleHeader);
    text += h.diameter;
    AppendRelief(text, h.relief);
    AppendPasses(text, h.passes);
    return text;
  }
  std::string operator()(const RectHeader& h) const {
    std::string text(grammar::kRectHeader);
    AppendValue(text, grammar::kRectWidth, h.width);
    AppendValue(text, grammar::kRectHeight, h.height);
    AppendValue(text, grammar::kRectRadius, h.radius);
    AppendRelief(text, h.relief);
    AppendPasses(text, h.passes);
    return text;
  }
  std::string operator()(const RectTaperHeader& h) const {
    std::string text(grammar::kRectTaperHeader);
    AppendValue(text, grammar::kRectWidth, h.width);
    AppendValue(text, grammar::kRectHeight, h.height);
    AppendValue(text, grammar::kRectRadius, h.radius);
    AppendValue(text, grammar::kRectTaperThickness, h.thickness);
    AppendValue(text, grammar::kRectTaperAngle, h.angle);
    text += grammar::kCornersKey;
    text += h.corners == CornerMode::Conical ? grammar::kCornersConical : grammar::kCornersCylindrical;
    AppendPasses(text, h.passes);
    return text;
  }
  std::string operator()(const ConeHeader& h) const {
    std::string text(grammar::kConeHeader);
    AppendValue(text, grammar::kConeLower, h.lower);
    AppendValue(text, grammar::kConeUpper, h.upper);
    AppendValue(text, grammar::kConeHeight, h.height);
    AppendValue(text, grammar::kConeAngle, h.angle);
    AppendPasses(text, h.passes);
    return text;
  }
};

// Takes prefix off the front of text, ignoring case and blanks before it; false when it is not there.
bool Take(std::string_view& text, std::string_view prefix) {
  text = Trim(text);
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (Upper(text[i]) != Upper(prefix[i])) return false;
  }
  text.remove_prefix(prefix.size());
  return true;
}

// A number in standard text form ("12.5", "1E-05") up to the next ":" or the end.
std::optional<double> TakeNumber(std::string_view& text) {
  const std::size_t end = std::min(text.find(':'), text.size());
  const std::string_view token = Trim(text.substr(0, end));
  text.remove_prefix(end);
  double value = 0;
  if (token.empty() || token.front() == '+') return std::nullopt;
  const auto result = std::from_chars(token.data(), token.data() + token.size(), value);
  if (result.ec != std::errc() || result.ptr != token.data() + token.size() || !std::isfinite(value))
    return std::nullopt;
  return value;
}

// The numbers after each label in turn; `text` keeps what follows them.
template <std::size_t N>
std::optional<std::array<double, N>> TakeNumbers(std::string_view& text,
                                                 const std::array<std::string_view, N>& labels) {
  std::array<double, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    if (!Take(text, labels[i])) return std::nullopt;
    const auto value = TakeNumber(text);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  return values;
}

// The relief's keys when they stand next, all three in their order; `relief` stays empty when they do
// not. False when they begin but do not read.
bool TakeRelief(std::string_view& text, std::optional<Relief>& relief) {
  std::string_view rest = text;
  if (!Take(rest, grammar::kLandKey)) return true;
  const auto land = TakeNumber(rest);
  if (!land || !Take(rest, grammar::kReliefKey)) return false;
  const auto angle = TakeNumber(rest);
  if (!angle || !Take(rest, grammar::kReliefThickness)) return false;
  const auto thickness = TakeNumber(rest);
  if (!thickness) return false;
  relief = Relief{*land, *angle, *thickness};
  text = rest;
  return true;
}

// "CYLINDRICAL" or "CONICAL" up to the next ":" or the end.
std::optional<CornerMode> TakeCorners(std::string_view& text) {
  const std::size_t end = std::min(text.find(':'), text.size());
  std::string_view word = Trim(text.substr(0, end));
  text.remove_prefix(end);
  if (Take(word, grammar::kCornersCylindrical) && Trim(word).empty()) return CornerMode::Cylindrical;
  if (Take(word, grammar::kCornersConical) && Trim(word).empty()) return CornerMode::Conical;
  return std::nullopt;
}

// The passes' suffix, to the end of text: the keys HeaderLine writes, each at most once, in its order.
std::optional<PassOptions> TakePasses(std::string_view text) {
  PassOptions o;
  if (Take(text, grammar::kSkimsKey)) {
    const std::size_t end = std::min(text.find(':'), text.size());
    const std::string_view digits = Trim(text.substr(0, end));
    if (digits.size() != 1 || !IsDigit(digits[0]) || digits[0] - '0' > kMaxSkims) return std::nullopt;
    o.skims = digits[0] - '0';
    text.remove_prefix(end);
  }
  if (Take(text, grammar::kStopKey)) {
    const auto stop = TakeNumber(text);
    if (!stop || !(*stop > 0)) return std::nullopt;
    o.stop = *stop;
  }
  if (Take(text, grammar::kDirectionKey)) {
    text = Trim(text);
    if (Take(text, grammar::kDirectionSame))
      o.direction = SkimDirection::Same;
    else if (!Take(text, grammar::kDirectionAlternate))
      return std::nullopt;
  }
  if (!Trim(text).empty()) return std::nullopt;
  return o;
}

}  // namespace

std::optional<HoleHeader> ParseHeaderLine(std::string_view line) {
  line = Trim(line);
  if (!Take(line, grammar::kHeaderOpen) || line.empty() || line.back() != grammar::kHeaderClose)
    return std::nullopt;
  line.remove_suffix(1);
  if (Take(line, grammar::kCircleHeader)) {
    const std::size_t end = std::min(line.find(':'), line.size());
    const std::string_view diameter = Trim(line.substr(0, end));
    std::string_view rest = line.substr(end);
    std::optional<Relief> relief;
    const auto passes = TakeRelief(rest, relief) ? TakePasses(rest) : std::nullopt;
    if (diameter.empty() || !passes) return std::nullopt;
    return CircleHeader{std::string(diameter), *passes, relief};
  }
  if (Take(line, grammar::kRectHeader)) {
    const auto v = TakeNumbers<3>(line, {grammar::kRectWidth, grammar::kRectHeight, grammar::kRectRadius});
    std::optional<Relief> relief;
    const auto passes = v && TakeRelief(line, relief) ? TakePasses(line) : std::nullopt;
    if (!passes) return std::nullopt;
    return RectHeader{(*v)[0], (*v)[1], (*v)[2], *passes, relief};
  }
  if (Take(line, grammar::kRectTaperHeader)) {
    const auto v = TakeNumbers<5>(line, {grammar::kRectWidth, grammar::kRectHeight, grammar::kRectRadius,
                                         grammar::kRectTaperThickness, grammar::kRectTaperAngle});
    const auto corners = v && Take(line, grammar::kCornersKey) ? TakeCorners(line) : std::nullopt;
    const auto passes = corners ? TakePasses(line) : std::nullopt;
    if (!passes) return std::nullopt;
    return RectTaperHeader{(*v)[0], (*v)[1], (*v)[2], (*v)[3], (*v)[4], *corners, *passes};
  }
  if (Take(line, grammar::kConeHeader)) {
    const auto v = TakeNumbers<4>(
        line, {grammar::kConeLower, grammar::kConeUpper, grammar::kConeHeight, grammar::kConeAngle});
    const auto passes = v ? TakePasses(line) : std::nullopt;
    if (!passes) return std::nullopt;
    return ConeHeader{(*v)[0], (*v)[1], (*v)[2], (*v)[3], *passes};
  }
  return std::nullopt;
}

std::string HeaderLine(const HoleHeader& header) {
  std::string line(grammar::kHeaderOpen);
  line += std::visit(CommentText{}, header);
  line += grammar::kHeaderClose;
  return line;
}

const PassOptions& PassesOf(const HoleHeader& header) {
  return std::visit([](const auto& h) -> const PassOptions& { return h.passes; }, header);
}

PassOptions& PassesOf(HoleHeader& header) {
  return std::visit([](auto& h) -> PassOptions& { return h.passes; }, header);
}

bool FitsCircleDiameter(std::string_view text) {
  return FitsHeaderComment(text) && text.find(':') == std::string_view::npos;
}

bool FitsHeaderComment(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '(' || c == ')') return false;
  }
  return true;
}

}  // namespace kalmoro
