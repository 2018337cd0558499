#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/preview/FieldReading.h"
#include "check/MachineProfile.h"
#include "check/ProgramReader.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QTabBar;
class QToolButton;

namespace kalmoro {

class FieldReader;
class PlanReadout;
class ToolpathScene;
class ToolpathView;

inline constexpr const char* kPreviewTitle = "Траектория";
inline constexpr const char* kShowToolpath = "Показать траекторию";
inline constexpr const char* kNoProblems = "Ошибок нет";
inline constexpr const char* kEmptyProgram = "Программа пуста";

// The toolpath preview: a window of its own beside the main one that shows the program field's
// reading (FieldReader) whenever a new one comes: the path, the problems at their lines, the
// dimensions the contour encodes, the block count and the path lengths. Clicking a problem or the
// drawing puts the field's caret on the line; the caret's line is highlighted.
class ToolpathPreview : public QWidget {
  Q_OBJECT

 public:
  // Makes the preview of a window's program field: F5 anywhere in the window, and an entry added to
  // the field's context menu, open it. The field's context menu lists, after its standard entries, the
  // actions the window added to the field, then the preview's entry. The preview is a child of the window.
  static ToolpathPreview* Attach(QPlainTextEdit& program, FieldReader& reader, QWidget& window);

  ToolpathPreview(QPlainTextEdit& program, FieldReader& reader, QWidget& window);
  ~ToolpathPreview() override;

  // Shows the preview, or raises it when shown, with the program as it stands.
  void Open();
  // Opens the preview with the first problem chosen and the field's caret on its line.
  void OpenAtFirstProblem();
  // Puts the window's commands on the program into the tool row, as the menu of one button.
  void AddCommands(const QList<QAction*>& actions);

  // What the preview shows now, for the window tests.
  const ProgramReading& Reading() const;
  ToolpathView* View() const { return m_view; }

  // The machine the program is checked against and its time estimated with: saved by the user, or the
  // default one (saved false); error names what was wrong with a saved profile that could not be read.
  void SetMachine(const MachineProfile& machine, bool saved, const QString& error = {});
  const MachineProfile& Machine() const;

 signals:
  // The user asked to describe the machine ("Станок…").
  void MachineRequested();

 private:
  // Shows a reading of the field's text; the view keeps its zoom unless the whole text was replaced.
  void Show(const std::shared_ptr<const FieldReading>& read);
  void ShowStatus();
  void FollowCaret();
  void GoToLine(int line);
  void ProblemChosen(QListWidgetItem* item);
  void ShowCursor(QPointF point);
  void DrawingClicked(int move);
  void UndoClickForDoubleClick();

  QPointer<QPlainTextEdit> m_program;
  FieldReader& m_reader;
  QTabBar* m_views;
  ToolpathView* m_view;
  QLabel* m_status;
  QListWidget* m_problems;
  PlanReadout* m_readout;
  QComboBox* m_standardViews;
  QCheckBox* m_wireCentre;
  QToolButton* m_commands = nullptr;
  bool m_placed = false;
  bool m_refit = false;  // the whole text was replaced: a new program is fitted to the view
  int m_characters = 0;  // in the field's document, after its last change
  // Where the caret and the field's scroll stood before a click on the drawing moved them, so that the
  // second click of a double click, which fits the view, can put them back.
  std::optional<std::pair<int, int>> m_beforeClick;
  bool m_machineSaved = false;
  QString m_machineError;
  std::shared_ptr<const FieldReading> m_read;  // what the preview shows; never null
};

}  // namespace kalmoro
