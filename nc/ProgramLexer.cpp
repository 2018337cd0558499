#include "nc/ProgramLexer.h"

#include <charconv>
#include <optional>
#include <string>
#include <system_error>

#include "text/Ascii.h"
#include "text/Utf8.h"

namespace kalmoro {
namespace {

// The value of "[sign]digits[.digits]" (either digit run may be empty, not both); nothing otherwise.
std::optional<double> WordNumber(std::string_view number) {
  if (number.starts_with('+')) number.remove_prefix(1);
  if (number.find_first_of("0123456789") == std::string_view::npos) return std::nullopt;
  double value = 0;
  const auto result =
      std::from_chars(number.data(), number.data() + number.size(), value, std::chars_format::fixed);
  if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string QuotedWord(std::string_view text) {
  constexpr std::size_t kShownChars = 40;
  std::string shown;
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++count) {
    std::size_t step = 1;
    const std::string one = EscapedCharAt(text, i, step);
    i += step;
    if (count == kShownChars) return shown + "…";
    shown += one;
  }
  return shown;
}

const Word* LexedLine::Find(char letter) const {
  const Word* found = nullptr;
  for (const Word& w : words) {
    if (w.letter == letter) found = &w;
  }
  return found;
}

void LexLine(std::string_view line, LexedLine& out) {
  out.words.clear();
  out.problems.clear();
  out.problemsLeftOut = 0;
  // The message is made only for problems that are kept: a junk line may hold millions.
  const auto spelling = [&](const auto& message) {
    constexpr std::size_t kPerLine = 8;
    if (out.problems.size() < kPerLine)
      out.problems.push_back({0, ProblemKind::Spelling, message()});
    else
      ++out.problemsLeftOut;
  };
  bool tooMany = false;
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (IsBlank(c)) {
      ++i;
      continue;
    }
    if (c == '(') {
      const std::size_t close = line.find(')', i);
      if (close == std::string_view::npos) {
        spelling([] { return std::string("Комментарий не закрыт скобкой «)»"); });
        break;
      }
      i = close + 1;
      continue;
    }
    if (!IsLetter(c)) {
      // A run of such characters is one problem: "Текст" is one word, not five. A long run is shown by
      // its beginning.
      constexpr int kShownChars = 40;
      std::string shown;
      int count = 0;
      while (i < line.size() && !IsBlank(line[i]) && line[i] != '(' && !IsLetter(line[i])) {
        std::size_t step = 1;
        const std::string one = EscapedCharAt(line, i, step);
        i += step;
        if (count < kShownChars) shown += one;
        if (count == kShownChars) shown += "…";
        ++count;
      }
      spelling(
          [&] { return (count == 1 ? "Недопустимый символ «" : "Недопустимые символы «") + shown + "»"; });
      continue;
    }
    const std::size_t start = i++;
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t numberStart = i;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) ++i;
    while (i < line.size() && (IsDigit(line[i]) || line[i] == '.')) ++i;
    const std::string_view written = line.substr(start, i - start);
    const auto value = WordNumber(line.substr(numberStart, i - numberStart));
    if (!value) {
      spelling([&] { return "Неверное число в слове «" + QuotedWord(written) + "»"; });
      continue;
    }
    // A block holds a handful of words; a line of thousands is junk, and keeping them all would let one
    // line take memory without bound.
    constexpr std::size_t kMaxWords = 64;
    if (out.words.size() < kMaxWords) {
      out.words.push_back({Upper(c), *value, written});
    } else if (!tooMany) {
      tooMany = true;
      spelling(
          [] { return "В кадре больше " + std::to_string(kMaxWords) + " слов: остальные не прочитаны"; });
    }
  }
}

}  // namespace kalmoro
