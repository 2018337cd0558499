// What one key costs the window, repaint included: a digit typed into a dimension field (with the
// character check, and on the cone page the solver at the key release) and a key in the program field
// holding the largest program, each followed by Backspace so that the text stays as it was. The floor
// is the same pair of keys in a bare shown QLineEdit, measured in the same run; compare the medians of
// the time per key, e.g. --benchmark_repetitions=5. The CPU time is the window thread's: on the offscreen
// platform (the default unless QT_QPA_PLATFORM says otherwise) the window does all its work in this
// thread, and a shared machine stretches the wall time but not that.
//
// The largest job (as many round holes as the block numbers allow) is typed into with the preview closed
// and open, against the same field without the preview and against a bare shown QPlainTextEdit holding
// the same text: the program field's reading goes on in a worker thread meanwhile, whose CPU time the
// wall time shows and the window thread's does not. BM_JobKeyFollowed waits after each key, untimed,
// until the window shows the reading of the new text, against the bare field with as long a pause;
// BM_JobReadingApplied is what showing a reading costs the window's thread.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCursor>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "LargestJob.h"
#include "SilentDialogs.h"
#include "app/FrmMain.h"
#include "app/ProgramDocument.h"
#include "app/ProgramField.h"
#include "app/preview/FieldReader.h"
#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathPreview.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RoundHole.h"

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

// The window with the largest job in its program field, read, the caret at its end; the preview open
// or not.
struct JobWindow {
  explicit JobWindow(bool preview) : window(g_dialogs) {
    window.show();
    program = window.findChild<QPlainTextEdit*>(QStringLiteral("NcPr"));
    window.Document().SetGenerated(LargestJob().program);
    if (preview) window.findChild<ToolpathPreview*>()->Open();
    WaitForReading();
    program->setFocus();
    program->moveCursor(QTextCursor::End);
    QCoreApplication::processEvents();
  }
  // Until the reading of the text as it stands is back and shown.
  void WaitForReading() {
    // Sleeps until an event comes (the reading reports with one), leaving the cores to the reading.
    while (!window.Document().Reader().LatestIsCurrent())
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
  }
  FrmMain window;
  QPlainTextEdit* program = nullptr;
};

// Keys typed one by one, each after a pause, untimed, in which wait(iteration) runs: a key after a pause
// finds the caches cold, and costs a bare field some times what a key in a run of keys does.
template <typename Wait>
void TypePaused(benchmark::State& state, QWidget* widget, Wait&& wait) {
  bool erase = false;
  for (auto _ : state) {
    if (erase)
      Key(widget, Qt::Key_Backspace, QString());
    else
      Key(widget, Qt::Key_5, QStringLiteral("5"));
    erase = !erase;
    state.PauseTiming();
    wait();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations());
}

// Floor: a bare shown QPlainTextEdit of the program field's size and font holding the largest job, keys
// without a pause (0) or each after 300 ms (1).
void BM_FloorJobKey(benchmark::State& state) {
  FrmMain window(g_dialogs);
  const QPlainTextEdit* field = window.findChild<QPlainTextEdit*>(QStringLiteral("NcPr"));
  QPlainTextEdit edit;
  edit.setFont(field->font());
  edit.setLineWrapMode(QPlainTextEdit::NoWrap);
  edit.resize(field->size());
  edit.setPlainText(ToEditorText(LargestJob().program));
  edit.show();
  edit.setFocus();
  edit.moveCursor(QTextCursor::End);
  QCoreApplication::processEvents();
  if (state.range(0) == 0)
    TypeAndErase(state, &edit);
  else
    TypePaused(state, &edit, [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
  state.counters["blocks"] = static_cast<double>(edit.blockCount());
}
// The untimed pauses would make Google Benchmark's own choice of iterations run for hours.
BENCHMARK(BM_FloorJobKey)->ArgName("pause")->Arg(0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorJobKey)->ArgName("pause")->Arg(1)->Iterations(30)->Unit(benchmark::kMicrosecond);

// Keys at the end of the largest job typed without a pause, the preview closed (0) or open (1). The
// counter gives the readings of a current text that came back meanwhile, per key.
void BM_JobKey(benchmark::State& state) {
  JobWindow job(state.range(0) != 0);
  int readings = 0;
  QObject::connect(&job.window.Document().Reader(), &FieldReader::Read, [&readings] { ++readings; });
  TypeAndErase(state, job.program);
  state.counters["readings"] = benchmark::Counter(readings, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_JobKey)->ArgName("preview")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same keys, each after a pause in which the reading of the text the key before made came back and
// was shown, and at least 300 ms went by: every key meets a window that shows the text as it stands.
void BM_JobKeyFollowed(benchmark::State& state) {
  JobWindow job(state.range(0) != 0);
  TypePaused(state, job.program, [&job] {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    job.WaitForReading();
    std::this_thread::sleep_until(until);
  });
}
BENCHMARK(BM_JobKeyFollowed)
    ->ArgName("preview")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(30)
    ->Unit(benchmark::kMicrosecond);

// What a reading costs the window's thread when it comes back: the verdict takes it, and with the
// preview open (1) the preview's status and drawing. A key that comes meanwhile waits that long.
void BM_JobReadingApplied(benchmark::State& state) {
  JobWindow job(state.range(0) != 0);
  FieldReader& reader = job.window.Document().Reader();
  const std::shared_ptr<const FieldReading> read = reader.Latest();
  for (auto _ : state) {
    emit reader.Read(read);
    QCoreApplication::processEvents();
  }
}
BENCHMARK(BM_JobReadingApplied)
    ->ArgName("preview")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
