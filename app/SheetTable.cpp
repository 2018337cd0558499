#include "app/SheetTable.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <string>

#include "app/SheetPlan.h"
#include "check/MachineCheck.h"
#include "check/StartHoles.h"
#include "nc/NcGrammar.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

constexpr double kTitlePoints = 10;
constexpr double kCellPoints = 8.5;

QString Qs(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

// Millimetres to four decimals at most: the registers are typed in microns.
QString Mm(double value) {
  return Qs(FormatNumber(value, 3, 4));
}

QString Number(long n) {
  return Qs(std::to_string(n));
}

}  // namespace

SheetTable PassTable(const ProgramReading& r, const MachineProfile& machine) {
  SheetTable table;
  table.title = QStringLiteral("Проходы и регистры коррекции");
  if (r.job) table.columns << QStringLiteral("Отв.");
  table.columns << QStringLiteral("Проход") << QStringLiteral("Направление") << QStringLiteral("Регистр")
                << QStringLiteral("Смещение, мм") << QStringLiteral("Припуск, мм")
                << QStringLiteral("Стоп вырубки") << QStringLiteral("Время, мин");
  const CuttingTime time = EstimateCuttingTime(r, machine);
  // A rough-first job cuts every rough pass before the skims; the sheet lists each hole's passes together.
  std::vector<std::size_t> order(r.passes.size());
  for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&r](std::size_t a, std::size_t b) { return r.passes[a].hole < r.passes[b].hole; });
  for (const std::size_t k : order) {
    const PassReading& p = r.passes[k];
    // A relief pass pivots on the finished land: it is cut with the last vertical pass's register.
    const PassRegister reg = RegisterOf(machine, p.relief ? p.count : p.number, p.count);
    QStringList row;
    if (r.job) {
      const bool known = p.hole >= 0 && static_cast<std::size_t>(p.hole) < r.job->holes.size();
      row << (known ? Number(r.job->holes[static_cast<std::size_t>(p.hole)].number) : QStringLiteral("?"));
    }
    row << (p.relief ? QStringLiteral("освобождение")
                     : QStringLiteral("%1 из %2").arg(Number(p.number), Number(p.count)))
        << (p.clockwise ? QStringLiteral("по часовой") : QStringLiteral("против часовой")) +
               QStringLiteral(", ") +
               Qs(std::string(p.rightSide ? grammar::kCompensationRight : grammar::kCompensationLeft))
        << QStringLiteral("D%1").arg(Number(reg.pass - 1)) << Mm(reg.offset) << Mm(reg.stock)
        << (p.stopLine != 0 ? QStringLiteral("за %1 мм, строка %2")
                                  .arg(Qs(FormatNumber(p.stopLength, 0, 3)), Number(p.stopLine))
                            : QStringLiteral("—"))
        << (k < time.passes.size() ? Qs(MinutesText(time.passes[k].Total())) : QStringLiteral("—"));
    table.rows.push_back(row);
  }
  return table;
}

SheetTable StartHoleTable(const ProgramReading& r) {
  SheetTable table;
  table.title = QStringLiteral("Стартовые отверстия");
  table.columns << QStringLiteral("Отверстие") << QStringLiteral("X, мм") << QStringLiteral("Y, мм")
                << QStringLiteral("Сверло Ø, мм") << QStringLiteral("До контура, мм");
  for (const StartHole& hole : StartHoles(r)) {
    table.rows.push_back({Number(hole.hole), Qs(FormatNumber(hole.at.x, 3, 3)),
                          Qs(FormatNumber(hole.at.y, 3, 3)),
                          hole.drill ? Qs(StdText(*hole.drill)) : QStringLiteral("не помещается"),
                          Qs(FormatNumber(hole.room, 3, 3))});
  }
  return table;
}

std::optional<std::size_t> PaintSheetTable(QPainter& painter, const SheetTable& table, std::size_t first,
                                           double width, double& y, double bottom, bool paint) {
  const QFont titleFont = SheetFont(kTitlePoints, true);
  const QFont cell = SheetFont(kCellPoints);
  const QFont head = SheetFont(kCellPoints, true);
  const QFontMetricsF cellMetrics(cell, painter.device()), headMetrics(head, painter.device());
  const double titleHeight = QFontMetricsF(titleFont, painter.device()).lineSpacing();
  const double row = cellMetrics.lineSpacing() * 1.25;
  const std::size_t wanted = first < table.rows.size() ? 1 : 0;
  if (table.columns.isEmpty() || y + titleHeight + row * static_cast<double>(1 + wanted) > bottom)
    return std::nullopt;
  if (paint) {
    painter.setFont(titleFont);
    painter.setPen(kSheetInk);
    painter.drawText(QRectF(0, y, width, titleHeight), Qt::AlignLeft | Qt::AlignTop,
                     first == 0 ? table.title : table.title + QStringLiteral(" (продолжение)"));
  }
  y += titleHeight;

  // Each column as wide as its widest cell, the room left shared out evenly.
  const double pad = cellMetrics.horizontalAdvance(QLatin1Char('0'));
  std::vector<double> widths;
  for (qsizetype c = 0; c < table.columns.size(); ++c) {
    double w = headMetrics.horizontalAdvance(table.columns[c]);
    for (const QStringList& r : table.rows)
      if (c < r.size()) w = std::max(w, cellMetrics.horizontalAdvance(r[c]));
    widths.push_back(w + 2 * pad);
  }
  double total = 0;
  for (const double w : widths) total += w;
  const double spare = (width - total) / static_cast<double>(widths.size());
  for (double& w : widths) w = std::max(w + spare, 2 * pad);

  const auto paintRow = [&](const QStringList& cells, const QFont& font) {
    if (!paint) {
      y += row;
      return;
    }
    painter.setFont(font);
    double x = 0;
    for (std::size_t c = 0; c < widths.size(); ++c) {
      const QRectF box(x, y, widths[c], row);
      painter.setPen(QPen(kSheetGrey, 0));
      painter.drawRect(box);
      painter.setPen(kSheetInk);
      const QString text =
          static_cast<qsizetype>(c) < cells.size() ? cells[static_cast<qsizetype>(c)] : QString();
      painter.drawText(
          box.adjusted(pad, 0, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter,
          QFontMetricsF(font, painter.device()).elidedText(text, Qt::ElideRight, box.width() - 2 * pad));
      x += widths[c];
    }
    y += row;
  };
  paintRow(table.columns, head);
  std::size_t k = first;
  for (; k < table.rows.size() && y + row <= bottom; ++k) paintRow(table.rows[k], cell);
  return k;
}

bool PaintSheetTables(QPainter& painter, const std::vector<SheetTable>& tables, SheetTablePlace& place,
                      double width, double& y, double bottom, bool paint) {
  const double gap = QFontMetricsF(SheetFont(kCellPoints), painter.device()).lineSpacing() * 0.6;
  while (place.first < tables.size()) {
    const SheetTable& table = tables[place.first];
    const std::optional<std::size_t> next =
        PaintSheetTable(painter, table, place.second, width, y, bottom, paint);
    if (!next) return false;
    place.second = *next;
    if (*next < table.rows.size()) return false;
    place = {place.first + 1, 0};
    y += gap;
  }
  return true;
}

}  // namespace kalmoro
