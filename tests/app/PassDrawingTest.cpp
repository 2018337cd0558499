// The passes of a hole as the preview draws them and the setup sheet lists them: each pass apart with
// its register, the wire's centre where that register puts it, the slug's stop on the contour, every hole
// at its height in 3D; and pictures of programs no machine can cut refused.
#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "app/SheetTable.h"
#include "app/preview/PassStyle.h"
#include "app/preview/PassTimes.h"
#include "app/preview/ToolpathScene.h"
#include "app/preview/ToolpathView.h"
#include "check/MachineCheck.h"
#include "check/StartHoles.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

using namespace kalmoro;

Q_DECLARE_METATYPE(kalmoro::PassOptions)

namespace {

double Radius(QPointF p) {
  return std::hypot(p.x(), p.y());
}

QImage PlanOf(std::shared_ptr<const ToolpathScene> scene) {
  ToolpathView view;
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(640, 480);
  view.SetScene(std::move(scene));
  view.Fit();
  QImage image(view.size(), QImage::Format_RGB32);
  QPainter painter(&image);
  view.render(&painter);
  return image;
}

// A job of a round hole without R and a cone with its own, the round one with two skims.
std::vector<JobHole> MixedHoles() {
  return {{GenCircle("10", {2, 0, SkimDirection::Alternate}).program, 0, 0},
          {GenCone("2", "1", "0.8", "5.72481").program, 40, 0}};
}

}  // namespace

class PassDrawingTest : public QObject {
  Q_OBJECT

 private slots:
  void passesAreDrawnApartWithTheirRegisters_data();
  void passesAreDrawnApartWithTheirRegisters();
  void sheetTablesGiveTheRegistersAndTheStartHoles_data();
  void sheetTablesGiveTheRegistersAndTheStartHoles();
  void holesWithoutHeightStandAtTheProfilesIn3d();
  void taperedCornersAreDrawnAsTheirWordsPutThem_data();
  void taperedCornersAreDrawnAsTheirWordsPutThem();
};

void PassDrawingTest::passesAreDrawnApartWithTheirRegisters_data() {
  QTest::addColumn<PassOptions>("options");
  QTest::addColumn<bool>("relief");
  for (int skims = 0; skims <= kMaxSkims; ++skims)
    for (const double stop : {0.0, 3.0})
      for (const SkimDirection way : {SkimDirection::Alternate, SkimDirection::Same}) {
        if (skims == 0 && way == SkimDirection::Same) continue;
        const std::string name = "skims " + std::to_string(skims) + (stop > 0 ? ", stop" : "") +
                                 (way == SkimDirection::Same ? ", same way" : "");
        QTest::newRow(name.c_str()) << PassOptions{skims, stop, way} << false;
      }
  QTest::newRow("land with relief after two skims") << PassOptions{2, 3, SkimDirection::Alternate} << true;
}

// Over D10 holes with 0–4 skims, with and without a stop: a legend entry for each pass (and the stop), the
// stop's mark on the contour the stop's length before it closes, each pass's wire centre its register
// (from the machine's profile) inside the contour, the time of each pass in the readout; a single pass
// without a stop drawn as it always was, pixel for pixel.
void PassDrawingTest::passesAreDrawnApartWithTheirRegisters() {
  QFETCH(PassOptions, options);
  QFETCH(bool, relief);
  MachineProfile machine;
  machine.wireDiameter = 0.3;  // not the default, so that the registers come from this profile
  const GenResult made =
      GenCircle("10", options, "M00", relief ? std::optional(Relief{3, 1, 20}) : std::nullopt);
  QVERIFY2(made.Ok(), made.error.c_str());
  const ProgramReading reading = ReadProgram(made.program);
  QVERIFY(reading.problems.empty());
  const auto scene = std::make_shared<const ToolpathScene>(reading, machine);
  const std::size_t passes = static_cast<std::size_t>(options.Passes()) + (relief ? 1 : 0);
  QCOMPARE(scene->Passes().size(), passes);
  QCOMPARE(scene->PassesApart(), passes > 1);

  const std::vector<LegendEntry> legend = PassLegend(*scene);
  QCOMPARE(legend.size(), (passes > 1 ? passes : 0) + (options.stop > 0 ? 1 : 0));
  if (passes > 1) {
    QCOMPARE(legend.front().text, QStringLiteral("Проход 1 (D0)"));
    QCOMPARE(legend[passes - 1].text, relief ? QStringLiteral("Освобождение (D%1)").arg(options.skims)
                                             : QStringLiteral("Проход %1 (D%2)").arg(passes).arg(passes - 1));
  }

  // The stop: on the circle, the stop's length of arc before the rough contour closes (it runs
  // counter-clockwise from its first point).
  QCOMPARE(scene->SlugStops().size(), std::size_t{options.stop > 0 ? 1u : 0u});
  if (options.stop > 0) {
    const QPointF at = scene->SlugStops().front().at;
    const PassReading& rough = reading.passes.front();
    const QPointF start = scene->Points(static_cast<int>(rough.contourFirst), false).front();
    QVERIFY2(std::abs(Radius(at) - 5) < 1e-3, "the stop stands on the contour");
    double before = std::atan2(start.y(), start.x()) - std::atan2(at.y(), at.x());
    before = std::remainder(before, 2 * std::numbers::pi);
    if (before < 0) before += 2 * std::numbers::pi;
    QVERIFY2(std::abs(before * 5 - options.stop) < 2e-3, StdText(before * 5).c_str());
  }

  // Each pass's wire centre: its contour's reach less its register, inside the hole whatever its way.
  QCOMPARE(scene->WireCentres().size(), passes);
  for (std::size_t k = 0; k < passes; ++k) {
    const int pass = scene->WireCentrePass(k);
    QCOMPARE(pass, static_cast<int>(k));
    const PassReading& p = reading.passes[k];
    const double offset = RegisterOf(machine, p.relief ? p.count : p.number, p.count).offset;
    double contour = 0, centre = 0;
    for (std::size_t m = p.contourFirst; m < p.contourFirst + p.contourCount; ++m)
      for (const QPointF& q : scene->Points(static_cast<int>(m), false))
        contour = std::max(contour, Radius(q));
    for (const QPointF& q : scene->WireCentres()[k]) centre = std::max(centre, Radius(q));
    QVERIFY2(std::abs(contour - centre - offset) < 2e-4,
             ("pass " + std::to_string(k + 1) + ": " + StdText(contour - centre) +
              " from the contour, register " + StdText(offset))
                 .c_str());
  }

  // The readout: each pass's time and the total, once the holes have more than one pass.
  const QString times = PassTimesText(reading, EstimateCuttingTime(reading, machine));
  QCOMPARE(times.count(QStringLiteral("(D")), passes > 1 ? static_cast<qsizetype>(passes) : 0);

  if (passes == 1 && options.stop == 0) {
    // The plan as before passes were drawn: the wire centre offset by the same register, to the left.
    QCOMPARE(PlanOf(scene), PlanOf(std::make_shared<const ToolpathScene>(reading, machine.WireOffset())));
  }
}

void PassDrawingTest::sheetTablesGiveTheRegistersAndTheStartHoles_data() {
  QTest::addColumn<QByteArray>("program");
  QTest::addColumn<int>("holes");
  for (int skims = 0; skims <= kMaxSkims; ++skims)
    QTest::newRow(("round, skims " + std::to_string(skims)).c_str())
        << QByteArray::fromStdString(GenCircle("10", {skims, 2, SkimDirection::Alternate}).program) << 1;
  QTest::newRow("job") << QByteArray::fromStdString(GenJob(MixedHoles()).program) << 2;
  QTest::newRow("rough-first job") << QByteArray::fromStdString(GenJob(MixedHoles(), {}, true).program) << 2;
}

// The sheet's register of every pass is RegisterTable's for its hole's count of passes, each hole's passes
// together and in order (a rough-first job's too); one start hole per hole where StartHoles puts it, with
// its drill or, for the job's 1 mm cone, none.
void PassDrawingTest::sheetTablesGiveTheRegistersAndTheStartHoles() {
  QFETCH(QByteArray, program);
  QFETCH(int, holes);
  MachineProfile machine;
  machine.sparkGap = 0.03;
  const ProgramReading reading = ReadProgram(program.toStdString());
  QVERIFY2(reading.problems.empty(), reading.problems.empty() ? "" : reading.problems.front().text.c_str());
  const SheetTable passes = PassTable(reading, machine);
  QCOMPARE(passes.rows.size(), reading.passes.size());
  const int job = reading.job ? 1 : 0;
  const qsizetype reg = passes.columns.indexOf(QStringLiteral("Регистр"));
  const qsizetype offset = passes.columns.indexOf(QStringLiteral("Смещение, мм"));
  QVERIFY(reg >= 0 && offset >= 0);
  std::size_t row = 0;
  for (int hole = 0; hole < holes; ++hole) {
    int count = 0;
    for (const PassReading& p : reading.passes) count += p.hole == (job ? hole : -1) ? 1 : 0;
    const std::vector<PassRegister> table = RegisterTable(machine, count);
    for (int k = 0; k < count; ++k, ++row) {
      const QStringList& cells = passes.rows[row];
      if (job) QCOMPARE(cells.front().toStdString(), std::to_string(hole + 1));
      QCOMPARE(cells[reg], QStringLiteral("D%1").arg(k));
      QCOMPARE(cells[offset].toStdString(), FormatNumber(table[static_cast<std::size_t>(k)].offset, 3, 4));
    }
  }

  const SheetTable starts = StartHoleTable(reading);
  const std::vector<StartHole> expected = StartHoles(reading);
  QCOMPARE(starts.rows.size(), static_cast<std::size_t>(holes));
  for (std::size_t k = 0; k < expected.size(); ++k) {
    QCOMPARE(starts.rows[k][1].toStdString(), FormatNumber(expected[k].at.x, 3, 3));
    QCOMPARE(starts.rows[k][3].toStdString(),
             expected[k].drill ? StdText(*expected[k].drill) : "не помещается");
  }
}

// In 3D a hole whose program gives no R word stands at the profile's height, and the skims of a rough-first
// job at their hole's: the round hole of the job at the profile's 12 mm, the cone at its own 2.
void PassDrawingTest::holesWithoutHeightStandAtTheProfilesIn3d() {
  MachineProfile machine;
  machine.height = 12;
  const ProgramReading single = ReadProgram(GenCircle("10").program);
  QVERIFY(!single.wireHeight);
  const ToolpathScene alone(single, machine);
  for (int m = 0; m < alone.MoveCount(); ++m) QCOMPARE(alone.HeightOf(m), 12.0);
  QCOMPARE(alone.AtProfileHeight(), std::vector<long>{0});
  QCOMPARE(ToolpathScene(single).MaxHeight(), 0.0);  // no profile, no height: as before

  const ProgramReading job = ReadProgram(GenJob(MixedHoles(), {}, true).program);
  QVERIFY(job.job && job.job->holes[0].skimPart);
  const ToolpathScene scene(job, machine);
  for (const PassReading& p : job.passes)
    for (std::size_t m = p.firstMove; m < p.firstMove + p.moveCount; ++m)
      QCOMPARE(scene.HeightOf(static_cast<int>(m)), p.hole == 0 ? 12.0 : 2.0);
  QCOMPARE(scene.AtProfileHeight(), std::vector<long>{1});
}

void PassDrawingTest::taperedCornersAreDrawnAsTheirWordsPutThem_data() {
  QTest::addColumn<bool>("conical");
  QTest::addColumn<double>("upperRadius");
  const double taper = 20 * std::tan(0.5 * std::numbers::pi / 180);
  QTest::newRow("cylindrical") << false << 2.0;
  QTest::newRow("conical") << true << 2 - taper;
}

// The tapered rectangle 20×10 R2, 20 high, 1°: the upper contour's corners in the 3D view keep the lower
// radius (cylinders) or shrink by the taper (cones), about a centre the taper moved inwards.
void PassDrawingTest::taperedCornersAreDrawnAsTheirWordsPutThem() {
  QFETCH(bool, conical);
  QFETCH(double, upperRadius);
  const GenResult made =
      GenRectTaper("20", "10", "2", "20", "1", conical ? CornerMode::Conical : CornerMode::Cylindrical);
  QVERIFY2(made.Ok(), made.error.c_str());
  const ProgramReading reading = ReadProgram(made.program);
  QVERIFY(reading.problems.empty());
  const ToolpathScene scene(reading);
  const double taper = 20 * std::tan(0.5 * std::numbers::pi / 180);
  // The upper corner at the top left: its centre where the taper moves the lower one (−8, 3).
  const QPointF centre(-8 + (conical ? 0 : taper), 3 - (conical ? 0 : taper));
  int points = 0;
  for (int m = 0; m < scene.MoveCount(); ++m) {
    if (!scene.Compensated(m)) continue;
    for (const QPointF& p : scene.Points(m, true)) {
      if (p.x() >= centre.x() || p.y() <= centre.y()) continue;  // the top left corner only
      ++points;
      QVERIFY2(std::abs(std::hypot(p.x() - centre.x(), p.y() - centre.y()) - upperRadius) < 2e-3,
               (StdText(p.x()) + ", " + StdText(p.y())).c_str());
    }
  }
  QVERIFY(points >= 3);
}

QTEST_MAIN(PassDrawingTest)
#include "PassDrawingTest.moc"
