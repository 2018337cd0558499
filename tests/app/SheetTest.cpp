// The setup sheet: the drawing's scale, the program split into pages with nothing lost, the PDF read
// back with poppler's tools, and the window's "Печать…" and "Лист наладки в PDF…".
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <limits>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "TestWindow.h"
#include "app/SetupSheet.h"
#include "app/SheetPlan.h"
#include "app/preview/ToolpathScene.h"
#include "check/MachineCheck.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"

Q_DECLARE_METATYPE(std::optional<double>)

using namespace kalmoro;

namespace {

// What a poppler tool prints for a PDF, or nothing when the tool is not installed.
std::optional<QString> Poppler(const QString& tool, const QStringList& arguments) {
  const QString program = QStandardPaths::findExecutable(tool);
  if (program.isEmpty()) return std::nullopt;
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

bool WriteFile(const QString& path, const std::string& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) &&
         file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

int PageCount(const QString& pdf) {
  const std::optional<QString> info = Poppler(QStringLiteral("pdfinfo"), {pdf});
  if (!info) return -1;
  for (const QString& line : info->split(QLatin1Char('\n')))
    if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
  return 0;
}

// A white page of a sheet at 300 dpi, width × height millimetres.
QImage Page(double width, double height) {
  constexpr double kDotsPerMm = 300 / 25.4;
  QImage page(static_cast<int>(width * kDotsPerMm), static_cast<int>(height * kDotsPerMm),
              QImage::Format_RGB32);
  page.setDotsPerMeterX(static_cast<int>(kDotsPerMm * 1000));
  page.setDotsPerMeterY(static_cast<int>(kDotsPerMm * 1000));
  page.fill(Qt::white);
  return page;
}

// A job of a round hole, a rectangle and a cone: travel, stops and hole numbers on the plan.
std::string ThreeHoleJob() {
  const std::vector<JobHole> holes = {{GenCircle("10").program, 20, 0},
                                      {GenRect("20", "10", "2").program, -30, 15},
                                      {GenCone("20", "24", "20", "").program, 0, 40}};
  return GenJob(holes).program;
}

// The share of the points where the page is inked, as a black-and-white print shows it.
double Inked(const QImage& page, const std::vector<QPointF>& points) {
  int inked = 0;
  for (const QPointF& p : points) inked += qGray(page.pixel(p.toPoint())) < 200 ? 1 : 0;
  return static_cast<double>(inked) / static_cast<double>(points.size());
}

// The program's lines, split as a reader splits them.
QStringList Lines(const std::string& program) {
  QString text = QString::fromStdString(program);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = text.split(QLatin1Char('\n'));
  if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// The sheet of a program read and checked against the default machine, as the window reads it.
SheetContent Sheet(std::string program, const QString& fileName) {
  ProgramReading reading = ReadProgram(program);
  CheckMachine(reading, MachineProfile());
  return {std::move(program), std::move(reading), fileName, QDate(2025, 5, 8), MachineProfile()};
}

}  // namespace

class SheetTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseScratchHome(m_home); }
  void cleanup() { m_t.reset(); }

  void scaleIsTheFirstStandardOneThatFits_data();
  void scaleIsTheFirstStandardOneThatFits();
  void paginationKeepsEveryCharacter_data();
  void paginationKeepsEveryCharacter();

  void pdfHasTheSheetAndEveryLine_data();
  void pdfHasTheSheetAndEveryLine();
  void pdfRefusesOtherNamesAndKeepsTheOldFile();

  void planPartsKeepApart_data();
  void planPartsKeepApart();
  void upperContourIsDashedAsTheLegendShows();

  void windowWritesThePdfBesideTheProgram();
  void windowRefusesAnEmptyProgram_data();
  void windowRefusesAnEmptyProgram();
  void printPreviewShowsTheSheet();

 private:
  QTemporaryDir m_home;
  std::unique_ptr<TestWindow> m_t;
};

void SheetTest::scaleIsTheFirstStandardOneThatFits_data() {
  QTest::addColumn<double>("width");
  QTest::addColumn<double>("height");
  QTest::addColumn<std::optional<double>>("reduction");
  QTest::addColumn<QString>("text");
  const double inf = std::numeric_limits<double>::infinity();
  // The area is 180 × 150 mm.
  QTest::newRow("small hole, true size") << 10.0 << 10.0 << std::optional(1.0) << "М 1:1";
  QTest::newRow("exactly the area") << 180.0 << 150.0 << std::optional(1.0) << "М 1:1";
  QTest::newRow("a hair too wide") << 180.01 << 10.0 << std::optional(2.0) << "М 1:2";
  QTest::newRow("too tall for half") << 10.0 << 301.0 << std::optional(2.5) << "М 1:2.5";
  QTest::newRow("a point") << 0.0 << 0.0 << std::optional(1.0) << "М 1:1";
  QTest::newRow("a metre") << 1000.0 << 500.0 << std::optional(10.0) << "М 1:10";
  QTest::newRow("beyond the drawing standards") << 1e6 << 1e6 << std::optional(1e4) << "М 1:10000";
  QTest::newRow("too large for any scale") << 1e300 << 1.0 << std::optional<double>() << "";
  QTest::newRow("not finite") << inf << 1.0 << std::optional<double>() << "";
  QTest::newRow("not a number") << std::nan("") << 1.0 << std::optional<double>() << "";
}

void SheetTest::scaleIsTheFirstStandardOneThatFits() {
  QFETCH(double, width);
  QFETCH(double, height);
  QFETCH(std::optional<double>, reduction);
  QFETCH(QString, text);
  const std::optional<double> got = DrawingReduction(width, height, 180, 150);
  QCOMPARE(got, reduction);
  if (got) QCOMPARE(ScaleText(*got), text);
  // No area holds nothing.
  QCOMPARE(DrawingReduction(width, height, 0, 150), std::optional<double>());
}

void SheetTest::paginationKeepsEveryCharacter_data() {
  QTest::addColumn<QByteArray>("program");
  QTest::addColumn<int>("columns");
  QTest::addColumn<int>("rows");
  QTest::addColumn<int>("pages");
  QByteArray long500;
  for (int k = 1; k <= 500; ++k) long500 += "N" + QByteArray::number(k) + "G01X1.000Y2.000\r\n";
  QTest::newRow("500 short lines") << long500 << 80 << 70 << 8;
  QTest::newRow("one row a page") << QByteArray("N1\r\nN2\r\nN3") << 10 << 1 << 3;
  QTest::newRow("lines wrapped") << QByteArray("0123456789ABCDEFGHIJ\nK\n") << 7 << 3 << 2;
  QTest::newRow("every line end") << QByteArray("a\r\nb\nc\rd\r\n\r\ne") << 5 << 4 << 2;
  QTest::newRow("empty lines kept") << QByteArray("\n\n\nx\n") << 5 << 10 << 1;
  QTest::newRow("Cyrillic by characters") << QByteArray("(КРУГ D10)\r\n") << 4 << 10 << 1;
  QTest::newRow("emoji never split") << QByteArray(
                                            "a\xF0\x9F\x98\x80"
                                            "b\xF0\x9F\x98\x80")
                                     << 2 << 10 << 1;
  QTest::newRow("empty text") << QByteArray() << 10 << 10 << 0;
}

void SheetTest::paginationKeepsEveryCharacter() {
  QFETCH(QByteArray, program);
  QFETCH(int, columns);
  QFETCH(int, rows);
  QFETCH(int, pages);
  const std::string text = program.toStdString();
  const std::vector<SheetPage> got = PaginateProgram(text, columns, rows);
  QCOMPARE(static_cast<int>(got.size()), pages);
  // Put back together, the rows give the lines, in order, whole.
  const QStringList lines = Lines(text);
  QStringList joined;
  int lastLine = 0;
  for (std::size_t p = 0; p < got.size(); ++p) {
    QVERIFY(!got[p].empty());
    QVERIFY(static_cast<int>(got[p].size()) <= rows);
    if (p + 1 < got.size()) QCOMPARE(static_cast<int>(got[p].size()), rows);
    for (const SheetRow& row : got[p]) {
      QVERIFY2(row.text.size() <= columns || row.text.size() == 2, qPrintable(row.text));
      QVERIFY(row.text.isEmpty() || !row.text.back().isHighSurrogate());
      if (row.continued) {
        QCOMPARE(row.line, lastLine);
        joined.back() += row.text;
      } else {
        QCOMPARE(row.line, lastLine + 1);
        lastLine = row.line;
        joined.append(row.text);
      }
    }
  }
  QCOMPARE(joined, lines);
}

void SheetTest::pdfHasTheSheetAndEveryLine_data() {
  QTest::addColumn<QByteArray>("program");
  QTest::addColumn<QString>("scale");
  QTest::addColumn<QString>("verdict");
  QTest::addColumn<QString>("lengths");
  QTest::newRow("round hole") << QByteArray::fromStdString(GenCircle("10").program) << "М 1:1"
                              << "Ошибок нет"
                              << "Длина контура: 31.416 мм";
  QTest::newRow("large rectangle") << QByteArray::fromStdString(GenRect("400", "100", "5").program)
                                   << "М 1:2.5"
                                   << "Ошибок нет"
                                   << "Подвод и отвод:";
  QTest::newRow("cone") << QByteArray::fromStdString(GenCone("10", "10", "8", "11.421186").program) << "М 1:1"
                        << "Ошибок нет"
                        << "Длина контура: нижнего";
  std::string many = GenCircle("10").program;
  for (int k = 0; k < 300; ++k) many += "(ПРИМЕЧАНИЕ " + std::to_string(k) + ")\r\n";
  // Comment lines are no blocks: the program is clean.
  QTest::newRow("long program") << QByteArray::fromStdString(many) << "М 1:1"
                                << "Ошибок нет"
                                << "Длина контура:";
  QTest::newRow("coordinate beyond any scale")
      << QByteArray("N1G92X0Y0\r\nN2G01X1" + QByteArray(20, '0') + ".000Y0\r\nN3M02\r\n") << ""
      << "ошибок:"
      << "Чертёж не помещается";
  QTest::newRow("no moves") << QByteArray("(ТОЛЬКО ТЕКСТ)\r\n") << ""
                            << "ошибок:"
                            << "нет перемещений";
}

void SheetTest::pdfHasTheSheetAndEveryLine() {
  QFETCH(QByteArray, program);
  QFETCH(QString, scale);
  QFETCH(QString, verdict);
  QFETCH(QString, lengths);
  const QString path = m_home.filePath(QStringLiteral("sheet.pdf"));
  const SheetContent sheet = Sheet(program.toStdString(), QStringLiteral("/tmp/part.iso"));
  const std::optional<QString> error = WriteSetupSheetPdf(sheet, path);
  QVERIFY2(!error, qPrintable(error.value_or(QString())));
  QVERIFY(QFile(path).size() > 1000);
  const int pages = PageCount(path);
  if (pages < 0) QSKIP("poppler-utils is not installed");
  QVERIFY(pages >= 2);

  const std::optional<QString> first = Poppler(
      QStringLiteral("pdftotext"), {QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
  QVERIFY(first);
  for (const QString& expected :
       {QStringLiteral("Лист наладки"), QStringLiteral("/tmp/part.iso"), QStringLiteral("08.05.2025"),
        QStringLiteral("Кадров:"), QStringLiteral("Время резания ≈"), QStringLiteral("оценка"), verdict,
        lengths, QStringLiteral("лист 1 из %1").arg(pages)})
    QVERIFY2(first->contains(expected), qPrintable(expected + QStringLiteral(" not in:\n") + *first));
  if (!scale.isEmpty()) QVERIFY2(first->contains(scale), qPrintable(*first));

  // The program pages hold every line, in order: none lost, none cut.
  const std::optional<QString> rest = Poppler(
      QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("2"), path, QStringLiteral("-")});
  QVERIFY(rest);
  qsizetype at = 0;
  for (const QString& line : Lines(program.toStdString())) {
    const qsizetype found = rest->indexOf(line, at);
    QVERIFY2(found >= 0, qPrintable(QStringLiteral("line «%1» missing after offset %2").arg(line).arg(at)));
    at = found + line.size();
  }
  QVERIFY(rest->contains(QStringLiteral("лист %1 из %1").arg(pages)));
}

void SheetTest::pdfRefusesOtherNamesAndKeepsTheOldFile() {
  const SheetContent sheet = Sheet(GenCircle("10").program, QString());
  // A program's name: the sheet must not overwrite it.
  const QString program = m_home.filePath(QStringLiteral("part.iso"));
  {
    QFile file(program);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("N1\r\n");
  }
  const std::optional<QString> error = WriteSetupSheetPdf(sheet, program);
  QVERIFY(error);
  QVERIFY2(error->contains(QStringLiteral("должно оканчиваться на .pdf")), qPrintable(*error));
  QCOMPARE(ReadAll(program), QByteArray("N1\r\n"));

  const std::optional<QString> missing =
      WriteSetupSheetPdf(sheet, m_home.filePath(QStringLiteral("no-such-folder/sheet.pdf")));
  QVERIFY(missing);
  QVERIFY2(missing->contains(QStringLiteral("sheet.pdf")), qPrintable(*missing));
}

void SheetTest::planPartsKeepApart_data() {
  QTest::addColumn<QByteArray>("program");
  QTest::addColumn<double>("width");  // of the plan's area on paper, mm
  QTest::newRow("round hole, full width") << QByteArray::fromStdString(GenCircle("10").program) << 180.0;
  QTest::newRow("cone, full width") << QByteArray::fromStdString(GenCone("20", "24", "20", "").program)
                                    << 180.0;
  QTest::newRow("cone, narrow: the legend wraps")
      << QByteArray::fromStdString(GenCone("20", "24", "20", "").program) << 70.0;
  QTest::newRow("job, full width") << QByteArray::fromStdString(ThreeHoleJob()) << 180.0;
  QTest::newRow("job, narrow") << QByteArray::fromStdString(ThreeHoleJob()) << 60.0;
  QTest::newRow("large rectangle, reduced")
      << QByteArray::fromStdString(GenRect("400", "100", "5").program) << 180.0;
}

// The caption with the scale, every legend entry, the drawing and the scale bar each have a place of their
// own inside the plan's frame.
void SheetTest::planPartsKeepApart() {
  QFETCH(QByteArray, program);
  QFETCH(double, width);
  QImage page = Page(width + 10, 160);
  QPainter painter(&page);
  const double dots = page.dotsPerMeterX() / 1000.0;
  const QRectF area(5 * dots, 5 * dots, width * dots, 150 * dots);
  const SheetPlanLayout layout =
      PaintSheetPlan(painter, ToolpathScene(ReadProgram(program.toStdString())), area);
  painter.end();
  QVERIFY2(!layout.caption.isEmpty() && !layout.drawing.isEmpty() && !layout.scaleBar.isEmpty(),
           "the plan must be drawn");
  QVERIFY(layout.legend.size() >= 3);
  std::vector<std::pair<QString, QRectF>> parts = {
      {"the caption", layout.caption}, {"the drawing", layout.drawing}, {"the scale bar", layout.scaleBar}};
  for (std::size_t k = 0; k < layout.legend.size(); ++k)
    parts.emplace_back(QString("legend entry %1").arg(k + 1), layout.legend[k]);
  for (std::size_t a = 0; a < parts.size(); ++a) {
    QVERIFY2(area.contains(parts[a].second),
             qPrintable(parts[a].first + " must lie inside the plan's frame"));
    for (std::size_t b = a + 1; b < parts.size(); ++b)
      QVERIFY2(!parts[a].second.intersects(parts[b].second),
               qPrintable(parts[a].first + " and " + parts[b].first + " must not overlap"));
  }
}

// On a black-and-white print the lower contour is a solid line and the upper one dashed, in the drawing
// and in the legend's samples alike.
void SheetTest::upperContourIsDashedAsTheLegendShows() {
  QImage page = Page(190, 160);
  QPainter painter(&page);
  const double dots = page.dotsPerMeterX() / 1000.0;
  const SheetPlanLayout layout =
      PaintSheetPlan(painter, ToolpathScene(ReadProgram(GenCone("20", "24", "20", "").program)),
                     QRectF(5 * dots, 5 * dots, 180 * dots, 150 * dots));
  painter.end();
  QVERIFY2(std::abs(layout.toDevice.m11() - dots) < 0.01, "the cone is drawn at 1:1");
  // Round each contour, the quarter at the top where the lead-in and the exit run left out, and along the
  // legend's samples (the lower contour's first, then the upper one's, 24 screen pixels long).
  std::vector<QPointF> lower, upper, lowerSample, upperSample;
  for (int k = 0; k < 720; ++k) {
    const QPointF direction(std::cos(std::numbers::pi * (0.75 + 1.5 * k / 720)),
                            std::sin(std::numbers::pi * (0.75 + 1.5 * k / 720)));
    lower.push_back(layout.toDevice.map(12 * direction));
    upper.push_back(layout.toDevice.map(10 * direction));
  }
  for (double x = 0.15; x < 0.85; x += 0.01) {
    lowerSample.push_back(layout.legend[0].bottomLeft() +
                          QPointF(x * 24 * 300 / 96, -layout.legend[0].height() / 2));
    upperSample.push_back(layout.legend[1].bottomLeft() +
                          QPointF(x * 24 * 300 / 96, -layout.legend[1].height() / 2));
  }
  for (const auto& [what, points, solid] : {std::tuple{"the lower contour", lower, true},
                                            {"the upper contour", upper, false},
                                            {"the lower contour's sample", lowerSample, true},
                                            {"the upper contour's sample", upperSample, false}}) {
    const double share = Inked(page, points);
    QVERIFY2(solid ? share > 0.97 : share > 0.4 && share < 0.85,
             qPrintable(
                 QString("%1 must be %2: %3 of it inked").arg(what, solid ? "solid" : "dashed").arg(share)));
  }
}

void SheetTest::windowWritesThePdfBesideTheProgram() {
  m_t = std::make_unique<TestWindow>();
  const QString iso = m_home.filePath(QStringLiteral("hole.iso"));
  QVERIFY(WriteFile(iso, GenCircle("12").program));
  QVERIFY(m_t->window.Document().Open(iso));
  const QString pdf = m_home.filePath(QStringLiteral("hole-sheet.pdf"));
  QFile::remove(pdf);
  m_t->dialogs.setNextPdfName(pdf);
  m_t->window.findChild<QAction*>(QStringLiteral("ActSheetPdf"))->trigger();
  QVERIFY2(m_t->dialogs.messages().isEmpty(), qPrintable(m_t->dialogs.messages().value(0).text));
  QCOMPARE(m_t->dialogs.pdfStarts(), QStringList{m_home.filePath(QStringLiteral("hole.pdf"))});
  QVERIFY(ReadAll(pdf).startsWith("%PDF-"));

  // Cancelled: nothing written.
  QFile::remove(pdf);
  m_t->window.findChild<QAction*>(QStringLiteral("ActSheetPdf"))->trigger();
  QVERIFY(!QFileInfo::exists(pdf));
  QVERIFY(m_t->dialogs.messages().isEmpty());
}

void SheetTest::windowRefusesAnEmptyProgram_data() {
  QTest::addColumn<QString>("action");
  QTest::newRow("print") << "ActPrint";
  QTest::newRow("pdf") << "ActSheetPdf";
}

void SheetTest::windowRefusesAnEmptyProgram() {
  QFETCH(QString, action);
  m_t = std::make_unique<TestWindow>();
  m_t->Program()->clear();
  m_t->window.findChild<QAction*>(action)->trigger();
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QVERIFY2(m_t->dialogs.messages().front().text.contains(QStringLiteral("Программа пуста")),
           qPrintable(m_t->dialogs.messages().front().text));
  QVERIFY(m_t->dialogs.pdfStarts().isEmpty());
  QVERIFY(!m_t->window.findChild<QPrintPreviewDialog*>());
}

void SheetTest::printPreviewShowsTheSheet() {
  m_t = std::make_unique<TestWindow>();
  m_t->Click("BtnGenArc");
  auto* print = m_t->window.findChild<QAction*>(QStringLiteral("ActPrint"));
  QCOMPARE(print->shortcut(), QKeySequence(QKeySequence::Print));
  print->trigger();
  auto* dialog = m_t->window.findChild<QPrintPreviewDialog*>();
  QVERIFY(dialog);
  QTRY_VERIFY(dialog->isVisible());
  auto* pages = dialog->findChild<QPrintPreviewWidget*>();
  QVERIFY(pages);
  // The round hole's sheet and one page of its program.
  QTRY_COMPARE(pages->pageCount(), 2);
  QCOMPARE(dialog->printer()->pageLayout().pageSize().id(), QPageSize::A4);
  dialog->reject();
  QTRY_VERIFY(!m_t->window.findChild<QPrintPreviewDialog*>());
}

QTEST_MAIN(SheetTest)
#include "SheetTest.moc"
