#include "app/preview/FieldReading.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathScene.h"
#include "text/Cp1251.h"

namespace kalmoro {
namespace {

// Where each line of the text the reader gets starts in the document: FromEditorText ends a line at
// every paragraph or line separator, LF, CR and CR LF, and document positions count the raw text's
// characters one by one.
std::vector<int> LineStarts(const QString& raw) {
  std::vector<int> starts = {0};
  for (qsizetype i = 0; i < raw.size(); ++i) {
    const QChar c = raw.at(i);
    if (c == QLatin1Char('\r') && i + 1 < raw.size() && raw.at(i + 1) == QLatin1Char('\n')) ++i;
    if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QChar::ParagraphSeparator ||
        c == QChar::LineSeparator)
      starts.push_back(static_cast<int>(i + 1));
  }
  return starts;
}

FieldReading::Figures FiguresOf(const ProgramReading& r, const MachineProfile& machine) {
  FieldReading::Figures f;
  std::vector<Move> contour;
  for (const Move& m : r.moves) {
    if (r.job && m.rapid) continue;  // without the wire: between the holes of a job
    f.lowerLength += PathLength(m, false);
    f.upperLength += PathLength(m, true);
    if (m.compensated) contour.push_back(m);
  }
  f.contour = !contour.empty();
  if (f.contour) {
    f.lowerBounds = BoundsOf(contour, false);
    f.upperBounds = BoundsOf(contour, true);
  }
  f.time = EstimateCuttingTime(r, machine);
  return f;
}

}  // namespace

int FieldReading::LineAt(int position) const {
  return static_cast<int>(std::upper_bound(lineStarts.begin(), lineStarts.end(), position) -
                          lineStarts.begin());
}

int FieldReading::StartOf(int line) const {
  if (lineStarts.empty() || line < 1) return 0;
  return lineStarts[static_cast<std::size_t>(
      std::min<std::size_t>(static_cast<std::size_t>(line), lineStarts.size()) - 1)];
}

std::shared_ptr<const FieldReading> ReadFieldText(const QString& raw, const MachineProfile& machine,
                                                  std::uint64_t version) {
  auto read = std::make_shared<FieldReading>();
  read->version = version;
  read->machine = machine;
  try {
    read->text = FromEditorText(raw);
    read->lineStarts = LineStarts(raw);
    read->reading = ReadProgram(read->text);
    CheckMachine(read->reading, machine);
    read->figures = FiguresOf(read->reading, machine);
    if (!EncodeCp1251(read->text, &read->unencodable) && read->unencodable.empty())
      read->unencodable.push_back('?');
    read->scene = std::make_shared<const ToolpathScene>(read->reading, machine);
  } catch (const std::exception& e) {
    // Out of memory for a monstrous text: the reading says so, and everything that uses it stays usable.
    read->failed = true;
    read->reading = ProgramReading{};
    std::string text = "Траектория не построена: ";
    text += e.what();
    read->reading.problems.push_back({1, ProblemKind::Limit, std::move(text)});
    read->scene = std::make_shared<const ToolpathScene>();
  }
  return read;
}

}  // namespace kalmoro
