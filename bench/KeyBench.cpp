// What one key costs the window, repaint included: a digit typed into a dimension field (with the
// character check, and on the cone page the solver at the key release) and a key in the program field
// holding the largest program, each followed by Backspace so that the text stays as it was. The floor
// is the same pair of keys in a bare shown QLineEdit, measured in the same run; compare the medians of
// the time per key, e.g. --benchmark_repetitions=5. The time is the thread's CPU time: on the offscreen
// platform (the default unless QT_QPA_PLATFORM says otherwise) the window does all its work in this
// thread, and a shared machine stretches the wall time but not that.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <memory>

#include "SilentDialogs.h"
#include "app/FrmMain.h"
#include "app/ProgramField.h"
#include "app/preview/ProgramText.h"
#include "holes/ConeHole.h"

namespace {

using namespace kalmoro;

// Nothing is shown or asked while measuring.
bench::SilentDialogs g_dialogs;

// One press and release, as the keyboard sends them, then every event they posted (the repaint too).
void Key(QWidget* widget, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(widget, &release);
  QCoreApplication::processEvents();
}

// A digit and Backspace: two keys per iteration, so a key takes half the time shown.
void TypeAndErase(benchmark::State& state, QWidget* widget) {
  for (auto _ : state) {
    Key(widget, Qt::Key_5, QStringLiteral("5"));
    Key(widget, Qt::Key_Backspace, QString());
  }
  state.SetItemsProcessed(2 * state.iterations());  // keys per second
}

// Floor: a bare QLineEdit, shown, with the focus.
void BM_FloorLineEditKey(benchmark::State& state) {
  QLineEdit edit(QStringLiteral("10"));
  edit.show();
  edit.setFocus();
  edit.end(false);
  QCoreApplication::processEvents();
  TypeAndErase(state, &edit);
}
BENCHMARK(BM_FloorLineEditKey)->Unit(benchmark::kMicrosecond);

// A key in a dimension field of the window: the round page's diameter, or the cone page's height.
void BM_FieldKey(benchmark::State& state) {
  const bool cone = state.range(0) != 0;
  FrmMain window(g_dialogs);
  window.show();
  auto* tabs = window.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
  tabs->setCurrentIndex(cone ? 2 : 0);
  auto* field = window.findChild<QLineEdit*>(cone ? QStringLiteral("ConH") : QStringLiteral("ArcDiam"));
  field->setFocus();
  field->end(false);
  QCoreApplication::processEvents();
  TypeAndErase(state, field);
}
BENCHMARK(BM_FieldKey)->ArgName("cone")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A key at the end of the largest program (the cone of 32 765 blocks) in the program field.
void BM_ProgramKey(benchmark::State& state) {
  FrmMain window(g_dialogs);
  window.show();
  auto* program = window.findChild<QPlainTextEdit*>(QStringLiteral("NcPr"));
  ProgramField(*program).Replace(GenCone("20", "869700", "869700", "0").program);
  program->setFocus();
  program->moveCursor(QTextCursor::End);
  QCoreApplication::processEvents();
  TypeAndErase(state, program);
}
BENCHMARK(BM_ProgramKey)->Unit(benchmark::kMicrosecond);

}  // namespace
