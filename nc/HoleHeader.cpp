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

struct CommentText {
  std::string operator()(const CircleHeader& h) const {
    std::string text(grammar::kCircleHeader);
    text += h.diameter;
    return text;
  }
  std::string operator()(const RectHeader& h) const {
    std::string text(grammar::kRectHeader);
    AppendValue(text, grammar::kRectWidth, h.width);
    AppendValue(text, grammar::kRectHeight, h.height);
    AppendValue(text, grammar::kRectRadius, h.radius);
    return text;
  }
  std::string operator()(const ConeHeader& h) const {
    std::string text(grammar::kConeHeader);
    AppendValue(text, grammar::kConeLower, h.lower);
    AppendValue(text, grammar::kConeUpper, h.upper);
    AppendValue(text, grammar::kConeHeight, h.height);
    AppendValue(text, grammar::kConeAngle, h.angle);
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

// The numbers after each label in turn, to the end of text.
template <std::size_t N>
std::optional<std::array<double, N>> TakeNumbers(std::string_view text,
                                                 const std::array<std::string_view, N>& labels) {
  std::array<double, N> values{};
  for (std::size_t i = 0; i < N; ++i) {
    if (!Take(text, labels[i])) return std::nullopt;
    const auto value = TakeNumber(text);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  if (!Trim(text).empty()) return std::nullopt;
  return values;
}

}  // namespace

std::optional<HoleHeader> ParseHeaderLine(std::string_view line) {
  line = Trim(line);
  if (!Take(line, grammar::kHeaderOpen) || line.empty() || line.back() != grammar::kHeaderClose)
    return std::nullopt;
  line.remove_suffix(1);
  if (Take(line, grammar::kCircleHeader)) {
    line = Trim(line);
    if (line.empty()) return std::nullopt;
    return CircleHeader{std::string(line)};
  }
  if (Take(line, grammar::kRectHeader)) {
    const auto v = TakeNumbers<3>(line, {grammar::kRectWidth, grammar::kRectHeight, grammar::kRectRadius});
    if (!v) return std::nullopt;
    return RectHeader{(*v)[0], (*v)[1], (*v)[2]};
  }
  if (Take(line, grammar::kConeHeader)) {
    const auto v = TakeNumbers<4>(
        line, {grammar::kConeLower, grammar::kConeUpper, grammar::kConeHeight, grammar::kConeAngle});
    if (!v) return std::nullopt;
    return ConeHeader{(*v)[0], (*v)[1], (*v)[2], (*v)[3]};
  }
  return std::nullopt;
}

std::string HeaderLine(const HoleHeader& header) {
  std::string line(grammar::kHeaderOpen);
  line += std::visit(CommentText{}, header);
  line += grammar::kHeaderClose;
  return line;
}

bool FitsHeaderComment(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '(' || c == ')') return false;
  }
  return true;
}

}  // namespace kalmoro
