#pragma once

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "FakeDialogs.h"
#include "app/FrmMain.h"
#include "app/ProgramDocument.h"

// A real window on the offscreen screen with fake dialogs; widgets are looked up by object name.
struct TestWindow {
  TestWindow() : window(dialogs) { window.show(); }

  template <typename T = QWidget>
  T* Find(const char* name) const {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget) qFatal("the window has no %s named %s", T::staticMetaObject.className(), name);
    return widget;
  }
  QLineEdit* Field(const char* name) const { return Find<QLineEdit>(name); }
  QPlainTextEdit* Program() const { return Find<QPlainTextEdit>("NcPr"); }
  QTabWidget* Tabs() const { return Find<QTabWidget>("SSTab1"); }

  // Selects a page the way a user does, with a click on its tab.
  void ClickTab(int index) const {
    QTabBar* bar = Tabs()->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  }
  void Click(const char* buttonName) const { QTest::mouseClick(Find(buttonName), Qt::LeftButton); }
  // Types text at the start of the program field.
  void EditProgram(const QString& text) const;
  // Ctrl+Z in the program field.
  void UndoInProgram() const {
    Program()->setFocus();
    QTest::keyClick(Program(), Qt::Key_Z, Qt::ControlModifier);
  }

  FakeDialogs dialogs;
  kalmoro::FrmMain window;
};

// Types the text key by key, one press and release per character. Unlike QTest::keyClicks it also
// types characters outside Latin-1 (Cyrillic letters, an emoji).
inline void TypeText(QWidget* widget, const QString& text) {
  for (const uint codePoint : text.toUcs4()) {
    const QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codePoint), 1);
    const QString upper = character.toUpper();
    const auto key = upper.size() == 1 ? static_cast<Qt::Key>(upper.front().unicode()) : Qt::Key_unknown;
    QTest::sendKeyEvent(QTest::Click, widget, key, character, Qt::NoModifier);
  }
}

inline void TestWindow::EditProgram(const QString& text) const {
  Program()->setFocus();
  QTest::keyClick(Program(), Qt::Key_Home, Qt::ControlModifier);
  TypeText(Program(), text);
}

// The lines of a program as the core writes them: each ended by CR LF.
inline QByteArray CrLfLines(const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) bytes += line.toUtf8() + "\r\n";
  return bytes;
}

// The same lines as the program field shows them.
inline QString EditorLines(const QStringList& lines) {
  return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The bytes of a file, or a marker that cannot be mistaken for a program when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<cannot be read>";
  return file.readAll();
}

// The lines, without their CR LF, of a reference program in tests/data (circle-d10.iso, rect-w20-h10-r2.iso,
// rect-w10-h5-r0.iso, cone-dd1-du0.8-h2.iso), byte for byte as the generator must write it.
inline QStringList ListingLines(const char* name) {
  const QByteArray bytes = ReadAll(QStringLiteral(KALMORO_TEST_DATA "/") + QLatin1String(name));
  QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
  if (lines.size() > 1 && lines.back().isEmpty()) lines.removeLast();
  return lines;
}

// The program of a round hole of diameter 10, the field's initial text.
inline const QStringList kRound10 = ListingLines("circle-d10.iso");

// Points HOME (where the documents folder is looked up) and the settings folder at a scratch folder, and
// keeps a window the test closes from ending the application.
inline void UseScratchHome(const QTemporaryDir& home) {
  qputenv("HOME", QFile::encodeName(home.path()));
  qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(".config")));
  QApplication::setQuitOnLastWindowClosed(false);
}
