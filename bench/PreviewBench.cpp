// What the toolpath preview costs with the largest program the block numbers allow: one reading of
// the program field as the worker makes it (the core reader, the machine check, the move polylines), one
// reading made and shown at once as a save or an open asks for it, and one repaint of the drawing, each
// against the floor of the core reader alone on the same text. And a job of many cones of different
// heights painted in 3D, each hole at its own height, against the reader on that job.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "LargestJob.h"
#include "app/preview/FieldReader.h"
#include "app/preview/FieldReading.h"
#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathPreview.h"
#include "app/preview/ToolpathScene.h"
#include "app/preview/ToolpathView.h"
#include "check/ProgramReader.h"
#include "holes/ConeHole.h"
#include "holes/Job.h"
#include "holes/RoundHole.h"

namespace {

using namespace kalmoro;

// The main window's program field and the preview of it, shown on the offscreen platform.
struct Preview {
  Preview()
      : program(new QPlainTextEdit(&window)),
        reader(new FieldReader(*program, &window)),
        preview(ToolpathPreview::Attach(*program, *reader, window)) {
    program->setPlainText(ToEditorText(Largest()));
    window.show();
    preview->Open();
  }
  static const std::string& Largest() {
    static const std::string text = GenCone("20", "869700", "869700", "0").program;
    return text;
  }
  QWidget window;
  QPlainTextEdit* program;
  FieldReader* reader;
  ToolpathPreview* preview;
};

Preview& Shown() {
  static Preview preview;
  return preview;
}

void BM_ReadFloorLargest(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadProgram(Preview::Largest()));
}
BENCHMARK(BM_ReadFloorLargest)->Unit(benchmark::kMillisecond);

// The worker's part after an edit: from the field's text to the reading and the scene.
void BM_FieldReadingLargest(benchmark::State& state) {
  const QString raw = Shown().program->document()->toRawText();
  const MachineProfile machine;
  for (auto _ : state) benchmark::DoNotOptimize(ReadFieldText(raw, machine, 1));
}
BENCHMARK(BM_FieldReadingLargest)->Unit(benchmark::kMillisecond);

// The same for the largest job: as many round holes D10 as its block numbers allow (2 184).
void BM_FieldReadingLargestJob(benchmark::State& state) {
  const QString raw = ToEditorText(LargestJob().program);
  const MachineProfile machine;
  for (auto _ : state) benchmark::DoNotOptimize(ReadFieldText(raw, machine, 1));
  state.counters["holes"] = static_cast<double>(LargestJob().holes);
}
BENCHMARK(BM_FieldReadingLargestJob)->Unit(benchmark::kMillisecond);

// From an edit of the field to the drawing and status, read at once as a save or an open asks for it.
void BM_PreviewUpdateLargest(benchmark::State& state) {
  Preview& shown = Shown();
  QTextCursor end(shown.program->document());
  end.movePosition(QTextCursor::End);
  for (auto _ : state) {
    end.insertText(QStringLiteral(" "));
    end.deletePreviousChar();
    shown.reader->Current();
  }
  state.counters["blocks"] = shown.preview->Reading().blocks;
}
BENCHMARK(BM_PreviewUpdateLargest)->Unit(benchmark::kMillisecond);

// The whole drawing painted again, as after a zoom or a pan (into an image of the view's size: the
// offscreen platform paints nothing for a window it never exposes).
void BM_PreviewRepaintLargest(benchmark::State& state) {
  ToolpathView* view = Shown().preview->View();
  QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    view->Fit();
    view->render(&image);
  }
}
BENCHMARK(BM_PreviewRepaintLargest)->Unit(benchmark::kMillisecond);

// Only the highlight painted again over the cached drawing, as after a caret move.
void BM_PreviewHighlightLargest(benchmark::State& state) {
  ToolpathView* view = Shown().preview->View();
  QImage image(view->size(), QImage::Format_ARGB32_Premultiplied);
  view->render(&image);
  int move = 0;
  for (auto _ : state) {
    view->SetHighlight(move = (move + 7919) % 32000);
    view->render(&image);
  }
}
BENCHMARK(BM_PreviewHighlightLargest)->Unit(benchmark::kMillisecond);

// 60 holes on a grid: cones of H10 and H20 and round holes between them.
const std::string& Job() {
  static const std::string text = [] {
    std::vector<JobHole> holes;
    for (int k = 0; k < 60; ++k) {
      const int column = k % 10, row = k / 10;
      const double x = column * 40.0, y = row * 40.0;
      switch (k % 3) {
        case 0:
          holes.push_back({GenCone("10", "24", "20", "").program, x, y});
          break;
        case 1:
          holes.push_back({GenCone("20", "16", "12", "").program, x, y});
          break;
        default:
          holes.push_back({GenCircle("10").program, x, y});
      }
    }
    return GenJob(holes).program;
  }();
  return text;
}

void BM_ReadFloorJob(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ReadProgram(Job()));
}
BENCHMARK(BM_ReadFloorJob)->Unit(benchmark::kMillisecond);

// The whole 3D drawing of the job painted again, as after a turn.
void BM_PreviewRepaintJob3d(benchmark::State& state) {
  static ToolpathView view;
  view.resize(700, 500);
  view.SetScene(std::make_shared<const ToolpathScene>(ReadProgram(Job()), 0.145));
  view.SetMode(ToolpathView::Mode::Oblique);
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    view.Fit();
    view.render(&image);
  }
}
BENCHMARK(BM_PreviewRepaintJob3d)->Unit(benchmark::kMillisecond);

}  // namespace
