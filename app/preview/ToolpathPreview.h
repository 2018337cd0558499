#pragma once

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "check/MachineProfile.h"
#include "check/ProgramReader.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QTabBar;

namespace kalmoro {

class PlanReadout;
class ToolpathScene;
class ToolpathView;

inline constexpr const char* kPreviewTitle = "Траектория";
inline constexpr const char* kShowToolpath = "Показать траекторию";
inline constexpr const char* kNoProblems = "Ошибок нет";
inline constexpr const char* kEmptyProgram = "Программа пуста";

// The toolpath preview: a window of its own beside the main one that reads the program field
// through the core reader whenever its text changes and shows the path, the problems at their
// lines, the dimensions the contour encodes, the block count and the path lengths. Clicking a
// problem or the drawing puts the field's caret on the line; the caret's line is highlighted.
class ToolpathPreview : public QWidget {
  Q_OBJECT

 public:
  // Makes the preview of a window's program field: F5 anywhere in the window, and an entry added to
  // the field's context menu, open it. The preview is a child of the window.
  static ToolpathPreview* Attach(QPlainTextEdit& program, QWidget& window);

  ToolpathPreview(QPlainTextEdit& program, QWidget& window);
  ~ToolpathPreview() override;

  // Shows the preview, or raises it when shown, with the program as it stands.
  void Open();
  // Reads the program field now and shows what it holds.
  void UpdateNow();

  // What the preview shows now, for the window tests.
  const ProgramReading& Reading() const { return m_reading; }
  ToolpathView* View() const { return m_view; }

  // The machine the program is checked against and its time estimated with: saved by the user, or the
  // default one (saved false); error names what was wrong with a saved profile that could not be read.
  void SetMachine(const MachineProfile& machine, bool saved, const QString& error = {});
  const MachineProfile& Machine() const { return m_machine; }

 signals:
  // The user asked to describe the machine ("Станок…").
  void MachineRequested();

 private:
  void ScheduleUpdate();
  void ShowStatus();
  void FollowCaret();
  void GoToLine(int line);
  void ProblemChosen(QListWidgetItem* item);
  void ShowCursor(QPointF point);
  void DrawingClicked(int move);
  void UndoClickForDoubleClick();

  QPointer<QPlainTextEdit> m_program;
  QTabBar* m_views;
  ToolpathView* m_view;
  QLabel* m_status;
  QListWidget* m_problems;
  PlanReadout* m_readout;
  QComboBox* m_standardViews;
  QCheckBox* m_wireCentre;
  QTimer m_timer;
  bool m_stale = true;
  bool m_placed = false;
  bool m_refit = false;  // the whole text was replaced: a new program is fitted to the view
  int m_characters = 0;  // in the field's document, after its last change
  // Where the caret and the field's scroll stood before a click on the drawing moved them, so that the
  // second click of a double click, which fits the view, can put them back.
  std::optional<std::pair<int, int>> m_beforeClick;
  MachineProfile m_machine;
  bool m_machineSaved = false;
  QString m_machineError;
  ProgramReading m_reading;
  std::shared_ptr<const ToolpathScene> m_scene;
  std::vector<int> m_lineStarts;  // where each program line starts in the field's document
};

}  // namespace kalmoro
