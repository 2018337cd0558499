#include "DrawingExport.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <memory>

#include "app/preview/ToolpathScene.h"
#include "app/preview/ToolpathView.h"
#include "export/ContourDxf.h"
#include "save/FileReplace.h"

namespace kalmoro {
namespace {

// The plan drawn by an unshown view of the export's size, fitted to the contours.
void PaintPlan(const ProgramReading& reading, QPaintDevice& device) {
  ToolpathView view;
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(kExportWidth, kExportHeight);
  view.SetScene(std::make_shared<const ToolpathScene>(reading));
  view.SetMode(ToolpathView::Mode::Plan);
  view.Fit();
  QPainter painter(&device);
  view.render(&painter);
}

QByteArray SvgBytes(const ProgramReading& reading, const QString& title) {
  QBuffer buffer;
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(QSize(kExportWidth, kExportHeight));
  svg.setViewBox(QRect(0, 0, kExportWidth, kExportHeight));
  svg.setTitle(title);
  svg.setDescription(QStringLiteral("Kalmoro"));
  PaintPlan(reading, svg);
  return buffer.data();
}

QByteArray PngBytes(const ProgramReading& reading) {
  QImage image(kExportWidth, kExportHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  PaintPlan(reading, image);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return {};
  return bytes;
}

}  // namespace

std::optional<QString> ExportDrawing(const ProgramReading& reading, const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != QLatin1String("svg") && suffix != QLatin1String("png") && suffix != QLatin1String("dxf"))
    return QStringLiteral("Чертёж не записан: имя файла «%1» должно оканчиваться на .svg, .png или .dxf.")
        .arg(path);
  if (reading.moves.empty())
    return QStringLiteral("Чертёж не записан: в программе нет ни одного перемещения.");

  const std::string name = QFile::encodeName(path).toStdString();
  SaveResult saved;
  if (suffix == QLatin1String("dxf")) {
    saved = SaveContourDxf(reading, name);
  } else {
    // A coordinate no machine has cannot be fitted to a picture; refused as the contour's export refuses it.
    if (const std::optional<std::string> beyond = BeyondAnyMachine(reading))
      return QStringLiteral("Чертёж не записан в файл «%1»: %2.").arg(path, QString::fromStdString(*beyond));
    const QByteArray bytes = suffix == QLatin1String("svg")
                                 ? SvgBytes(reading, QFileInfo(path).completeBaseName())
                                 : PngBytes(reading);
    if (bytes.isEmpty()) return QStringLiteral("Не удалось нарисовать чертёж для файла «%1».").arg(path);
    saved = ReplaceFileContents(name,
                                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }
  if (!saved.Saved()) return QString::fromStdString(saved.message);
  return std::nullopt;
}

}  // namespace kalmoro
