#include "app/QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace kalmoro {
namespace {

// A label shows CR LF as a line break plus a stray CR glyph on some platforms: give it plain breaks.
QString DisplayLines(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

// A message box is a window of its own and does not inherit the window's font: give it the window's
// family, keeping the platform's size.
void UseWindowFontFamily(QMessageBox& box, const QWidget* window) {
  if (!window) return;
  QFont font = box.font();
  font.setFamilies(window->font().families());
  box.setFont(font);
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text) {
  QMessageBox box(icon, title, DisplayLines(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  UseWindowFontFamily(box, parent);
  box.exec();
}

}  // namespace

void KeepDialogStateOutOfHome() {
  // A "folder" that is a device: no settings file can be made below it, and none is read.
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
    QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
}

void QtDialogs::ShowError(const QString& title, const QString& text) {
  ShowBox(m_parent, QMessageBox::Critical, title, text);
}

void QtDialogs::ShowInfo(const QString& title, const QString& text) {
  ShowBox(m_parent, QMessageBox::NoIcon, title, text);
}

bool QtDialogs::AskYesNo(const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Question, title, DisplayLines(text), QMessageBox::Yes | QMessageBox::No,
                  m_parent);
  box.setTextFormat(Qt::PlainText);
  UseWindowFontFamily(box, m_parent);
  box.setDefaultButton(QMessageBox::No);  // replacing a file is never the default
  return box.exec() == QMessageBox::Yes;
}

bool QtDialogs::AskProceed(const QString& title, const QString& text, const QString& action) {
  QMessageBox box(QMessageBox::Warning, title, DisplayLines(text), QMessageBox::NoButton, m_parent);
  box.setTextFormat(Qt::PlainText);
  UseWindowFontFamily(box, m_parent);
  QPushButton* proceed = box.addButton(action, QMessageBox::AcceptRole);
  // In Russian whether or not Qt's own texts are installed: it is the answer that loses nothing.
  QPushButton* cancel = box.addButton(QStringLiteral("Отмена"), QMessageBox::RejectRole);
  box.setDefaultButton(cancel);
  box.setEscapeButton(cancel);
  box.exec();
  return box.clickedButton() == proceed;
}

SaveAnswer QtDialogs::AskSaveDiscardCancel(const QString& title, const QString& text) {
  QMessageBox box(QMessageBox::Question, title, DisplayLines(text),
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, m_parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(QMessageBox::Save);
  box.setEscapeButton(QMessageBox::Cancel);
  switch (box.exec()) {
    case QMessageBox::Save:
      return SaveAnswer::Save;
    case QMessageBox::Discard:
      return SaveAnswer::Discard;
    default:
      return SaveAnswer::Cancel;
  }
}

namespace {

// Opens a file dialog in the start folder, or on the start file, and gives the file chosen.
std::optional<QString> Run(QFileDialog& dialog, const QString& start) {
  if (!start.isEmpty() && QFileInfo(start).isDir())
    dialog.setDirectory(start);
  else if (!start.isEmpty())
    dialog.selectFile(start);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
  return files.front();
}

}  // namespace

std::optional<QString> QtDialogs::GetSaveFileName(const QString& start) {
  QFileDialog dialog(m_parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilter(QString::fromLatin1(kIsoFilter));
  // The window asks its own question, naming the file with ".iso" added.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  return Run(dialog, start);
}

std::optional<QString> QtDialogs::GetOpenFileName(const QString& start) {
  QFileDialog dialog(m_parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  // Programs from other systems often have other names (".nc", ".txt", none at all).
  dialog.setNameFilters({QStringLiteral("Программы (%1)").arg(QString::fromLatin1(kIsoFilter)),
                         QStringLiteral("Все файлы (*)")});
  return Run(dialog, start);
}

std::optional<QString> QtDialogs::GetExportFileName(const QString& start) {
  QFileDialog dialog(m_parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QStringList filters = {QStringLiteral("Рисунок SVG (*.svg)"), QStringLiteral("Рисунок PNG (*.png)"),
                               QStringLiteral("Чертёж DXF R12 (*.dxf)")};
  dialog.setNameFilters(filters);
  dialog.setDefaultSuffix(QStringLiteral("svg"));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, filters](const QString& filter) {
    static const QStringList suffixes = {QStringLiteral("svg"), QStringLiteral("png"), QStringLiteral("dxf")};
    dialog.setDefaultSuffix(suffixes.value(filters.indexOf(filter), suffixes.front()));
  });
  return Run(dialog, start);
}

std::optional<QString> QtDialogs::GetPdfFileName(const QString& start) {
  QFileDialog dialog(m_parent);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setNameFilters({QStringLiteral("Документ PDF (*.pdf)")});
  dialog.setDefaultSuffix(QStringLiteral("pdf"));
  return Run(dialog, start);
}

}  // namespace kalmoro
