#include "check/ProgramReader.h"

#include <algorithm>
#include <cmath>

#include "JobReader.h"
#include "SectionReader.h"
#include "nc/JobProgram.h"
#include "nc/NumberText.h"
#include "text/Ascii.h"

namespace kalmoro {

ProgramReading ReadProgram(std::string_view text) {
  // The first line with text tells a job from a single program.
  std::size_t first = 0;
  while (first < text.size() && (IsBlank(text[first]) || text[first] == '\r' || text[first] == '\n')) ++first;
  const std::size_t end = text.find_first_of("\r\n", first);
  if (IsJobHeaderStart(text.substr(first, end == std::string_view::npos ? end : end - first)))
    return ReadJob(text);
  ProgramReading r = ReadSection(text, {}).reading;
  KeepShownProblems(r);
  return r;
}

std::string HoleText(const ProgramReading& r) {
  if (r.empty) return "программа пуста";
  if (r.job)
    return "задание: отверстий " + std::to_string(r.job->holes.size()) + ", перезаправок " +
           std::to_string(r.job->Rethreads()) + ", переходы " + FormatNumber(r.job->travel, 0, 1) + " мм";
  if (r.encoded) return r.encoded->description;
  return r.header ? "размеры не определены: контур не найден"
                  : "размеры не определены: нет заголовка отверстия";
}

std::string ProblemCountText(std::size_t problems) {
  return problems == 0 ? "ошибок нет" : "ошибок: " + std::to_string(problems);
}

std::string SummaryText(const ProgramReading& r) {
  return HoleText(r) + "; кадров: " + std::to_string(r.blocks) + "; " + ProblemCountText(ProblemCount(r));
}

}  // namespace kalmoro
