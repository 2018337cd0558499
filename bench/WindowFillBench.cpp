// How long the program field takes to show the largest program a generator writes (the cone of
// 32 765 blocks, 1.39 MB), as one undoable replacement, against a bare QPlainTextEdit::setPlainText
// of the same text into a fresh editor measured in the same run. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise; compare medians, e.g. --benchmark_repetitions=5.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <fstream>
#include <memory>
#include <string>

#include "SilentDialogs.h"
#include "app/FrmMain.h"
#include "app/ProgramField.h"
#include "app/preview/ProgramText.h"

namespace {

using namespace kalmoro;

// Nothing is shown or asked while measuring.
bench::SilentDialogs g_dialogs;

QPlainTextEdit* ProgramOf(FrmMain& window) {
  return window.findChild<QPlainTextEdit*>(QStringLiteral("NcPr"));
}

// The largest program, made the way a user makes it: the cone page's fields, then its button.
const std::string& Largest() {
  static const std::string program = [] {
    FrmMain window(g_dialogs);
    const auto set = [&](const char* name, const char* text) {
      window.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(QString::fromLatin1(text));
    };
    set("ConH", "20");
    set("ConDDown", "869700");
    set("ConDUp", "869700");
    set("ConAng", "0");
    window.findChild<QPushButton*>(QStringLiteral("BtnGenCone"))->click();
    return ProgramField(*ProgramOf(window)).Program();
  }();
  return program;
}

// The resident set in kB, read from /proc (Linux).
long ResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == "VmRSS:") {
      long kb = 0;
      status >> kb;
      return kb;
    }
  return 0;
}

// Floor: the text as the field shows it, set into a fresh shown editor.
void BM_FloorSetPlainText(benchmark::State& state) {
  const QString text = ToEditorText(Largest());
  for (auto _ : state) {
    state.PauseTiming();
    auto edit = std::make_unique<QPlainTextEdit>();
    edit->show();
    QCoreApplication::processEvents();
    state.ResumeTiming();
    edit->setPlainText(text);
    state.PauseTiming();
    edit.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(Largest().size()) * state.iterations());
}
BENCHMARK(BM_FloorSetPlainText)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a click on "Создать программу" costs after the generator: the core's text (CR LF) turned into
// the field's text and put in place of the start text of a fresh window as one undo step.
void BM_Fill(benchmark::State& state) {
  const std::string& program = Largest();
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<FrmMain>(g_dialogs);
    window->show();
    QCoreApplication::processEvents();
    ProgramField field(*ProgramOf(*window));
    state.ResumeTiming();
    field.Replace(program);
    state.PauseTiming();
    window.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(program.size()) * state.iterations());
}
BENCHMARK(BM_Fill)->Unit(benchmark::kMillisecond)->UseRealTime();

// The fill as it was before the replacement became undoable, for comparison: two QString::replace
// passes for the line ends, then setPlainText, which empties the undo history.
void BM_FillBySetPlainText(benchmark::State& state) {
  const std::string& program = Largest();
  for (auto _ : state) {
    state.PauseTiming();
    auto window = std::make_unique<FrmMain>(g_dialogs);
    window->show();
    QCoreApplication::processEvents();
    QPlainTextEdit* edit = ProgramOf(*window);
    state.ResumeTiming();
    QString text = QString::fromUtf8(program.data(), static_cast<qsizetype>(program.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    edit->setPlainText(text);
    state.PauseTiming();
    window.reset();
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(program.size()) * state.iterations());
}
BENCHMARK(BM_FillBySetPlainText)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same program over itself: the old text goes into the undo history instead of being dropped.
// Counter kept_kB: memory the history keeps per replacement of the largest program.
void BM_Refill(benchmark::State& state) {
  const std::string& program = Largest();
  FrmMain window(g_dialogs);
  window.show();
  ProgramField field(*ProgramOf(window));
  field.Replace(program);
  const long before = ResidentKb();
  for (auto _ : state) field.Replace(program);
  state.counters["kept_kB"] =
      static_cast<double>(ResidentKb() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Refill)->Unit(benchmark::kMillisecond)->UseRealTime();

// Ctrl+Z of a fill: the start text comes back.
void BM_UndoFill(benchmark::State& state) {
  const std::string& program = Largest();
  FrmMain window(g_dialogs);
  window.show();
  QPlainTextEdit* edit = ProgramOf(window);
  ProgramField field(*edit);
  for (auto _ : state) {
    state.PauseTiming();
    field.Replace(program);
    state.ResumeTiming();
    edit->undo();
  }
}
BENCHMARK(BM_UndoFill)->Unit(benchmark::kMillisecond)->UseRealTime();

// The conversion alone, and the same by two QString::replace passes for comparison.
void BM_ToEditorText(benchmark::State& state) {
  const std::string& program = Largest();
  for (auto _ : state) benchmark::DoNotOptimize(ToEditorText(program));
  state.SetBytesProcessed(static_cast<std::int64_t>(program.size()) * state.iterations());
}
BENCHMARK(BM_ToEditorText)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ToEditorTextByReplace(benchmark::State& state) {
  const std::string& program = Largest();
  for (auto _ : state) {
    QString text = QString::fromUtf8(program.data(), static_cast<qsizetype>(program.size()));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(program.size()) * state.iterations());
}
BENCHMARK(BM_ToEditorTextByReplace)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
