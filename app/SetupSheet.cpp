#include "app/SetupSheet.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/SheetPlan.h"
#include "app/SheetTable.h"
#include "app/preview/ToolpathScene.h"
#include "check/MachineCheck.h"
#include "nc/NumberText.h"
#include "save/FileReplace.h"

namespace kalmoro {
namespace {

constexpr double kMarginMm = 15;
constexpr double kGapMm = 3;
constexpr double kFooterMm = 7;
// The least room the plan keeps on the first page under a single hole's tables.
constexpr double kPlanRoomMm = 90;
// The first page lists this many problems at most; the rest are counted.
constexpr std::size_t kSheetProblems = 12;

const QColor kBad(190, 30, 30);
const QColor kGood(20, 120, 50);

// Monospace, so that the words of the blocks stand in columns.
QFont MonoFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
  font.setStyleHint(QFont::Monospace);
  font.setFixedPitch(true);
  font.setPointSizeF(9);
  return font;
}

QString Qs(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

QString Mm3(double value) {
  return Qs(FormatNumber(value, 3, 3));
}

QString Capitalized(QString text) {
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

// Millimetres on paper and the device's pixels.
class Paper {
 public:
  explicit Paper(const QPagedPaintDevice& device)
      : m_dpiX(device.logicalDpiX()),
        m_dpiY(device.logicalDpiY()),
        m_width(device.width()),
        m_height(device.height()) {}
  double X(double mm) const { return mm * m_dpiX / 25.4; }
  double Y(double mm) const { return mm * m_dpiY / 25.4; }
  double WidthMm() const { return m_width * 25.4 / m_dpiX; }
  double ToMmY(double pixels) const { return pixels * 25.4 / m_dpiY; }
  double HeightMm() const { return m_height * 25.4 / m_dpiY; }
  double Width() const { return m_width; }
  double Height() const { return m_height; }

 private:
  double m_dpiX, m_dpiY, m_width, m_height;
};

// The rows of text the program pages hold, and how wide a row is.
struct ProgramGrid {
  int columns = 1;
  int rows = 1;
  double numberWidth = 0;  // the line number column, in device pixels
};

int DigitCount(std::size_t n) {
  int digits = 1;
  while (n >= 10) {
    n /= 10;
    ++digits;
  }
  return digits;
}

std::size_t LineCount(std::string_view program) {
  std::size_t lines = 0;
  for (std::size_t k = 0; k < program.size(); ++k) {
    const char c = program[k];
    if (c == '\n' || (c == '\r' && (k + 1 == program.size() || program[k + 1] != '\n'))) ++lines;
  }
  if (!program.empty() && program.back() != '\n' && program.back() != '\r') ++lines;
  return lines;
}

ProgramGrid GridFor(const QPagedPaintDevice& device, std::string_view program) {
  const Paper paper(device);
  const QFontMetricsF mono(MonoFont(), &device);
  const QFontMetricsF header(SheetFont(10, true), &device);
  ProgramGrid grid;
  grid.numberWidth = mono.horizontalAdvance(QLatin1Char('0')) * (DigitCount(LineCount(program)) + 2);
  const double textWidth = paper.Width() - grid.numberWidth;
  grid.columns =
      std::max(1, static_cast<int>(std::floor(textWidth / mono.horizontalAdvance(QLatin1Char('0')))));
  const double textHeight = paper.Height() - header.lineSpacing() - paper.Y(kGapMm) - paper.Y(kFooterMm);
  grid.rows = std::max(1, static_cast<int>(std::floor(textHeight / mono.lineSpacing())));
  return grid;
}

// Writes text top-down across the page's width, wrapping at words.
class Column {
 public:
  Column(QPainter& painter, const Paper& paper) : m_painter(painter), m_paper(paper) {}

  void Line(const QString& text, const QFont& font, const QColor& color = kSheetInk, double indentMm = 0) {
    m_painter.setFont(font);
    m_painter.setPen(color);
    const QRectF room(m_paper.X(indentMm), m_y, m_paper.Width() - m_paper.X(indentMm), m_paper.Height());
    QRectF used;
    m_painter.drawText(room, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text, &used);
    m_y += std::max(used.height(), QFontMetricsF(font, m_painter.device()).lineSpacing());
  }
  void Gap(double mm) { m_y += m_paper.Y(mm); }
  double Y() const { return m_y; }

 private:
  QPainter& m_painter;
  const Paper& m_paper;
  double m_y = 0;
};

void PaintFooter(QPainter& painter, const Paper& paper, const SheetContent& c, int page, int pages) {
  painter.setFont(SheetFont(8));
  painter.setPen(kSheetGrey);
  const QRectF line(0, paper.Height() - paper.Y(kFooterMm) + paper.Y(2), paper.Width(),
                    paper.Y(kFooterMm - 2));
  const QString name = c.fileName.isEmpty() ? QStringLiteral("программа не сохранена") : c.fileName;
  const QString date = c.date.isValid() ? c.date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
  const QString right = QStringLiteral("Kalmoro · лист %1 из %2").arg(page).arg(pages);
  const QFontMetricsF metrics(painter.font(), painter.device());
  const double rightWidth = metrics.horizontalAdvance(right + date + QStringLiteral(" · ")) + paper.X(4);
  painter.drawText(line, Qt::AlignLeft | Qt::AlignTop,
                   metrics.elidedText(name, Qt::ElideMiddle, std::max(0.0, paper.Width() - rightWidth)));
  painter.drawText(line, Qt::AlignRight | Qt::AlignTop,
                   date.isEmpty() ? right : date + QStringLiteral(" · ") + right);
}

// The sheet's tables that have rows: the passes with their registers, then the start holes.
std::vector<SheetTable> TablesOf(const SheetContent& c) {
  std::vector<SheetTable> tables;
  for (SheetTable table : {PassTable(c.reading, c.machine), StartHoleTable(c.reading)})
    if (!table.rows.empty()) tables.push_back(std::move(table));
  return tables;
}

// The first page; a single hole's tables go on it where they fit above the plan's least room. Returns where
// the tables stand after it.
SheetTablePlace PaintFirstPage(QPainter& painter, const Paper& paper, const SheetContent& c,
                               const std::vector<SheetTable>& tables) {
  const ProgramReading& r = c.reading;
  Column column(painter, paper);
  column.Line(QString::fromUtf8(kSheetTitle), SheetFont(15, true));
  column.Line(QStringLiteral("Файл: ") +
                  (c.fileName.isEmpty() ? QStringLiteral("программа не сохранена") : c.fileName) +
                  (c.date.isValid() ? QStringLiteral(" · ") + c.date.toString(QStringLiteral("dd.MM.yyyy"))
                                    : QString()),
              SheetFont(10));
  column.Gap(2);

  const QFont text = SheetFont(10);
  if (r.job) {
    column.Line(Capitalized(Qs(HoleText(r))), text);
    // Each hole with what its contour cuts and where it stands, the first few.
    constexpr std::size_t kListedHoles = 12;
    const std::vector<JobHoleReading>& holes = r.job->holes;
    for (std::size_t k = 0; k < std::min(holes.size(), kListedHoles); ++k) {
      const JobHoleReading& hole = holes[k];
      const std::string what = hole.encoded ? hole.encoded->description : "размеры не определены";
      column.Line(QStringLiteral("   %1. %2; центр X %3, Y %4")
                      .arg(Qs(std::to_string(hole.number)), Qs(what), Mm3(hole.origin.x), Mm3(hole.origin.y)),
                  SheetFont(9));
    }
    if (holes.size() > kListedHoles)
      column.Line(QStringLiteral("   и ещё %1").arg(Qs(std::to_string(holes.size() - kListedHoles))),
                  SheetFont(9));
  } else {
    column.Line(QStringLiteral("Отверстие: ") + Qs(HoleText(r)), text);
  }
  if (!r.moves.empty()) {
    const Move& first = r.moves.front();
    column.Line(QStringLiteral("Начальная точка: X %1, Y %2").arg(Mm3(first.x0), Mm3(first.y0)), text);
  }
  column.Line(QStringLiteral("Кадров: %1").arg(r.blocks), text);
  std::vector<Move> contour;
  for (const Move& m : r.moves)
    if (m.compensated) contour.push_back(m);
  if (const Box box = BoundsOf(contour, false); !box.Empty())
    column.Line(QStringLiteral("%1: %2 × %3 мм (X %4…%5, Y %6…%7)")
                    .arg(r.job ? QStringLiteral("Габариты контуров") : QStringLiteral("Габариты контура"),
                         Mm3(box.Width()), Mm3(box.Height()), Mm3(box.minX), Mm3(box.maxX), Mm3(box.minY),
                         Mm3(box.maxY)),
                text);
  const CutLengths lower = CutLengthsOf(r, false);
  if (r.tapered) {
    const CutLengths upper = CutLengthsOf(r, true);
    column.Line(QStringLiteral("Длина контура: нижнего %1 мм, верхнего %2 мм")
                    .arg(Mm3(lower.contour), Mm3(upper.contour)),
                text);
    column.Line(QStringLiteral("Подвод и отвод: внизу %1 мм, вверху %2 мм")
                    .arg(Mm3(lower.leadInAndExit), Mm3(upper.leadInAndExit)),
                text);
  } else {
    column.Line(QStringLiteral("Длина контура: %1 мм").arg(Mm3(lower.contour)), text);
    column.Line(QStringLiteral("Подвод и отвод: %1 мм").arg(Mm3(lower.leadInAndExit)), text);
  }
  column.Line(Capitalized(Qs(CuttingTimeText(EstimateCuttingTime(r, c.machine)))), text);
  column.Line(QStringLiteral("Станок: проволока %1 мм, зазор %2 мм, скорость резания %3 мм²/мин")
                  .arg(Qs(StdText(c.machine.wireDiameter)), Qs(StdText(c.machine.sparkGap)),
                       Qs(StdText(c.machine.cuttingRate))),
              SheetFont(9), kSheetGrey);
  column.Gap(2);
  SheetTablePlace place;
  const double tablesBottom = paper.Height() - paper.Y(kFooterMm) - paper.Y(kPlanRoomMm);
  // A single hole's tables, measured first, go here whole; a job's, or any that do not fit, on the pages
  // after this one.
  double y = column.Y();
  SheetTablePlace trial;
  if (!r.job && PaintSheetTables(painter, tables, trial, paper.Width(), y, tablesBottom, false)) {
    y = column.Y();
    PaintSheetTables(painter, tables, place, paper.Width(), y, tablesBottom);
    column.Gap(paper.ToMmY(y - column.Y()));
  } else if (!tables.empty()) {
    column.Line(QStringLiteral("Проходы, регистры и стартовые отверстия — на листе 2"), SheetFont(10));
  }

  const std::size_t count = ProblemCount(r);
  if (r.empty) {
    column.Line(QStringLiteral("Проверка: программа пуста"), SheetFont(10, true), kSheetGrey);
  } else {
    column.Line(QStringLiteral("Проверка: ") +
                    (count == 0 ? QStringLiteral("Ошибок нет") : Qs(ProblemCountText(count))),
                SheetFont(10, true), count == 0 ? kGood : kBad);
  }
  const QFont small = SheetFont(9);
  const std::size_t shown = std::min(r.problems.size(), kSheetProblems);
  for (std::size_t k = 0; k < shown; ++k) {
    const Problem& p = r.problems[k];
    const bool note = p.kind == ProblemKind::Note;
    column.Line(QStringLiteral("%1 %2: %3")
                    .arg(note ? QStringLiteral("Примечание, строка") : QStringLiteral("Строка"))
                    .arg(p.line)
                    .arg(Qs(p.text)),
                small, note ? kSheetGrey : kSheetInk, 4);
  }
  if (const std::size_t more = r.problems.size() - shown + r.problemsLeftOut; more > 0)
    column.Line(
        QStringLiteral("и ещё %1 — все они в окне «Траектория» и в выводе kalmoro-gen check").arg(more),
        small, kSheetInk, 4);
  column.Gap(kGapMm);

  const QRectF area(0, column.Y(), paper.Width(), paper.Height() - paper.Y(kFooterMm) - column.Y());
  if (area.height() > paper.Y(30)) PaintSheetPlan(painter, ToolpathScene(r), area);
  return place;
}

// Pages of tables from place on; with paint false only counted.
int PaintTablePages(QPainter& painter, QPagedPaintDevice& device, const Paper& paper, const SheetContent& c,
                    const std::vector<SheetTable>& tables, SheetTablePlace place, int firstPage, int total,
                    bool paint) {
  int pages = 0;
  while (place.first < tables.size()) {
    if (paint && !device.newPage()) return -1;
    double y = 0;
    const SheetTablePlace before = place;
    PaintSheetTables(painter, tables, place, paper.Width(), y, paper.Height() - paper.Y(kFooterMm), paint);
    if (place == before) return -1;  // not even one row fits a page
    if (paint) PaintFooter(painter, paper, c, firstPage + pages, total);
    ++pages;
  }
  return pages;
}

void PaintProgramPage(QPainter& painter, const Paper& paper, const SheetContent& c, const ProgramGrid& grid,
                      const SheetPage& rows) {
  const QFont header = SheetFont(10, true);
  painter.setFont(header);
  painter.setPen(kSheetInk);
  const QFontMetricsF headerMetrics(header, painter.device());
  painter.drawText(
      QRectF(0, 0, paper.Width(), headerMetrics.lineSpacing()), Qt::AlignLeft | Qt::AlignTop,
      QStringLiteral("Программа") +
          (c.fileName.isEmpty() ? QString() : QStringLiteral(" ") + QFileInfo(c.fileName).fileName()));
  const QFont mono = MonoFont();
  const QFontMetricsF metrics(mono, painter.device());
  painter.setFont(mono);
  double y = headerMetrics.lineSpacing() + paper.Y(kGapMm);
  const double digit = metrics.horizontalAdvance(QLatin1Char('0'));
  for (const SheetRow& row : rows) {
    if (!row.continued) {
      painter.setPen(kSheetGrey);
      painter.drawText(QRectF(0, y, grid.numberWidth - digit, metrics.lineSpacing()),
                       Qt::AlignRight | Qt::AlignTop, QStringLiteral("%1").arg(row.line));
    }
    painter.setPen(kSheetInk);
    painter.drawText(QPointF(grid.numberWidth, y + metrics.ascent()), row.text);
    y += metrics.lineSpacing();
  }
}

}  // namespace

std::optional<double> DrawingReduction(double width, double height, double areaWidth, double areaHeight) {
  if (!std::isfinite(width) || !std::isfinite(height) || !(areaWidth > 0) || !(areaHeight > 0))
    return std::nullopt;
  width = std::max(width, 0.0);
  height = std::max(height, 0.0);
  const auto fits = [&](double n) { return width / n <= areaWidth && height / n <= areaHeight; };
  // The reductions of drawing standards, then 2, 5 and 10 times each power of ten.
  for (const double n : {1.0, 2.0, 2.5, 4.0, 5.0, 10.0, 15.0, 20.0, 25.0, 40.0, 50.0, 75.0, 100.0, 200.0,
                         400.0, 500.0, 800.0, 1000.0})
    if (fits(n)) return n;
  for (double decade = 1000; decade < 1e15; decade *= 10)
    for (const double step : {2.0, 5.0, 10.0})
      if (fits(decade * step)) return decade * step;
  return std::nullopt;
}

QString ScaleText(double reduction) {
  return QStringLiteral("М 1:") + Qs(StdText(reduction));
}

std::vector<SheetPage> PaginateProgram(std::string_view program, int columns, int rowsPerPage) {
  columns = std::max(columns, 1);
  rowsPerPage = std::max(rowsPerPage, 1);
  std::vector<SheetPage> pages;
  const auto addRow = [&](SheetRow row) {
    if (pages.empty() || pages.back().size() >= static_cast<std::size_t>(rowsPerPage)) pages.emplace_back();
    pages.back().push_back(std::move(row));
  };
  int number = 0;
  std::size_t at = 0;
  while (at < program.size()) {
    std::size_t end = at;
    while (end < program.size() && program[end] != '\r' && program[end] != '\n') ++end;
    const QString line = QString::fromUtf8(program.data() + at, static_cast<qsizetype>(end - at));
    ++number;
    // Pieces of at most `columns` characters; a surrogate pair stays whole.
    qsizetype from = 0;
    bool continued = false;
    do {
      qsizetype length = std::min<qsizetype>(columns, line.size() - from);
      if (length > 1 && from + length < line.size() && line.at(from + length - 1).isHighSurrogate()) --length;
      addRow({number, continued, line.mid(from, length)});
      from += length;
      continued = true;
    } while (from < line.size());
    // CR LF ends a line as one; a lone CR or LF ends it too.
    at = end + (program.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return pages;
}

void SetSheetPageLayout(QPagedPaintDevice& device) {
  device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                   QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                   QPageLayout::Millimeter));
}

int PaintSetupSheet(const SheetContent& content, QPagedPaintDevice& device) {
  const ProgramGrid grid = GridFor(device, content.program);
  const std::vector<SheetPage> pages = PaginateProgram(content.program, grid.columns, grid.rows);
  QPainter painter;
  if (!painter.begin(&device)) return 0;
  painter.setRenderHint(QPainter::Antialiasing);
  const Paper paper(device);
  const std::vector<SheetTable> tables = TablesOf(content);
  const SheetTablePlace place = PaintFirstPage(painter, paper, content, tables);
  const int tablePages = PaintTablePages(painter, device, paper, content, tables, place, 2, 0, false);
  if (tablePages < 0) return 0;
  const int total = 1 + tablePages + static_cast<int>(pages.size());
  PaintFooter(painter, paper, content, 1, total);
  if (PaintTablePages(painter, device, paper, content, tables, place, 2, total, true) < 0) return 0;
  for (std::size_t k = 0; k < pages.size(); ++k) {
    if (!device.newPage()) return 0;
    PaintProgramPage(painter, paper, content, grid, pages[k]);
    PaintFooter(painter, paper, content, static_cast<int>(k) + 2 + tablePages, total);
  }
  return painter.end() ? total : 0;
}

std::optional<QString> WriteSetupSheetPdf(const SheetContent& content, const QString& path) {
  if (QFileInfo(path).suffix().toLower() != QLatin1String("pdf"))
    return QStringLiteral("Лист наладки не записан: имя файла «%1» должно оканчиваться на .pdf.").arg(path);
  QByteArray bytes;
  {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(QString::fromUtf8(kSheetTitle) +
                    (content.fileName.isEmpty()
                         ? QString()
                         : QStringLiteral(" ") + QFileInfo(content.fileName).fileName()));
    writer.setCreator(QStringLiteral("Kalmoro"));
    writer.setResolution(600);
    SetSheetPageLayout(writer);
    if (PaintSetupSheet(content, writer) == 0)
      return QStringLiteral("Не удалось нарисовать лист наладки для файла «%1».").arg(path);
  }
  const SaveResult saved =
      ReplaceFileContents(QFile::encodeName(path).toStdString(),
                          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!saved.Saved()) return Qs(saved.message);
  return std::nullopt;
}

}  // namespace kalmoro
