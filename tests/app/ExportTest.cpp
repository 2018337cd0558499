// "Экспорт чертежа…": the plan as SVG or PNG and the contours as DXF, chosen by the file's ending; a
// program without moves or a name of another kind writes nothing and says why.
#include <QAction>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TestWindow.h"

class ExportTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { UseScratchHome(m_home); }
  void init() { m_t = std::make_unique<TestWindow>(); }
  void cleanup() { m_t.reset(); }

  void writesTheKindItsNameSays_data();
  void writesTheKindItsNameSays();
  void refusesWhatItCannotDraw_data();
  void refusesWhatItCannotDraw();

 private:
  void Export(const QString& path) {
    m_t->dialogs.setNextExportName(path);
    auto* action = m_t->window.findChild<QAction*>("ActExport");
    QVERIFY(action);
    action->trigger();
  }

  QTemporaryDir m_home;
  std::unique_ptr<TestWindow> m_t;
};

void ExportTest::writesTheKindItsNameSays_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QByteArray>("start");     // the file's first bytes
  QTest::addColumn<QByteArray>("contains");  // and something it holds
  QTest::newRow("svg") << "plan.svg" << QByteArray("<?xml") << QByteArray("<svg");
  QTest::newRow("png") << "plan.png" << QByteArray("\x89PNG\r\n") << QByteArray("IHDR");
  QTest::newRow("dxf") << "contour.dxf" << QByteArray("999\n") << QByteArray("LOWER");
  QTest::newRow("upper-case ending") << "PLAN.SVG" << QByteArray("<?xml") << QByteArray("<svg");
}

void ExportTest::writesTheKindItsNameSays() {
  QFETCH(QString, name);
  QFETCH(QByteArray, start);
  QFETCH(QByteArray, contains);
  m_t->Click("BtnGenArc");
  const QString path = m_home.filePath(name);
  Export(path);
  QVERIFY2(m_t->dialogs.messages().isEmpty(), qPrintable(m_t->dialogs.messages().value(0).text));
  const QByteArray bytes = ReadAll(path);
  QVERIFY2(bytes.startsWith(start), bytes.left(16).toHex().constData());
  QVERIFY(bytes.contains(contains));
  if (name.endsWith(".png")) {
    const QImage image = QImage::fromData(bytes, "PNG");
    QCOMPARE(image.size(), QSize(1200, 900));
    // Not a blank picture: more than one colour is drawn.
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; y += 3)
      for (int x = 0; x < image.width() && !drawn; x += 3) drawn = image.pixel(x, y) != image.pixel(0, 0);
    QVERIFY(drawn);
  }
}

void ExportTest::refusesWhatItCannotDraw_data() {
  QTest::addColumn<QString>("program");
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("reason");
  QTest::newRow("no moves") << "(пусто)"
                            << "empty.svg"
                            << "нет ни одного перемещения";
  QTest::newRow("other ending") << QString() << "plan.pdf"
                                << "должно оканчиваться на .svg, .png или .dxf";
  // A coordinate no machine has: the picture is refused with the words the contour's export uses.
  const QString far = QStringLiteral("%(FAR)\nN1 G90 G01 X1%1.000 Y0\nN2 X0 Y0\n").arg(QString(238, '0'));
  const QString beyond = QStringLiteral("в строке 2 координата 1E+238 мм вне пределов станка");
  for (const char* name : {"far.svg", "far.png", "far.dxf"}) QTest::newRow(name) << far << name << beyond;
}

void ExportTest::refusesWhatItCannotDraw() {
  QFETCH(QString, program);
  QFETCH(QString, name);
  QFETCH(QString, reason);
  if (program.isEmpty())
    m_t->Click("BtnGenArc");
  else
    m_t->Program()->setPlainText(program);
  const QString path = m_home.filePath(name);
  Export(path);
  QVERIFY(!QFileInfo::exists(path));
  QCOMPARE(m_t->dialogs.messages().size(), 1);
  QCOMPARE(m_t->dialogs.messages().front().icon, FakeDialogs::Icon::Error);
  QVERIFY2(m_t->dialogs.messages().front().text.contains(reason),
           qPrintable(m_t->dialogs.messages().front().text));
}

QTEST_MAIN(ExportTest)
#include "ExportTest.moc"
