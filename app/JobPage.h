#pragma once

#include <QObject>
#include <QString>
#include <deque>
#include <optional>
#include <string_view>

#include "holes/JobList.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QTabWidget;
class QWidget;

namespace kalmoro {

class Dialogs;

inline constexpr const char* kJobCaption = "Задание";
inline constexpr const char* kJobEmptyNote = "В задании нет отверстий";

// The page "Задание" over its widgets in the window's form: the table of the job's holes (number,
// kind, dimensions, X, Y; X and Y edited in place), the buttons that move, remove, copy onto a bolt
// circle and reorder the selected hole, a note with the travel, and whether every hole is roughed first.
// Every change of the table, a job opened from a file included, is a step that "↶" and Ctrl+Z on the page
// take back. The holes themselves and every rule about them are the core's JobList; this class only reads the
// widgets, calls it and shows it.
class JobPage : public QObject {
  Q_OBJECT

 public:
  struct Widgets {
    QTabWidget* tabs;
    QWidget* page;
    QTableWidget* table;
    QPushButton* up;
    QPushButton* down;
    QPushButton* remove;
    QPushButton* undo;
    QPushButton* circle;
    QPushButton* optimise;
    QLineEdit* count;
    QLineEdit* diameter;
    QLineEdit* angle;
    QLineEdit* x;
    QLineEdit* y;
    QLabel* note;
    QCheckBox* roughFirst;  // "Сначала все черновые"
  };

  JobPage(const Widgets& widgets, Dialogs& dialogs, QObject* parent = nullptr);

  // Appends the hole a page generated at X 0, Y 0 and selects it; a refusal is shown in the error box
  // and adds nothing.
  void Add(const GenResult& generated);
  // The job's program, or the refusal of an empty or too large job.
  GenResult Generate(const WireCodes& codes) const { return m_list.Generate(codes); }
  // Fills the table from a job program, each hole's slug held at codes.hold, and says in the note how
  // many of its holes were left out; false, and nothing changed, for a program that is no job.
  bool Restore(std::string_view program, const WireCodes& codes);
  // Whether the job roughs every hole first, as "Сначала все черновые" shows it.
  void SetRoughFirst(bool on);

  const JobList& List() const { return m_list; }
  // Puts the table back as it was before its last change; nothing when there is none.
  void Undo();

 private:
  std::optional<std::size_t> SelectedRow() const;
  void Select(std::size_t row);
  // Puts the list into the table anew; ShowRow writes one row's cells.
  void Refill();
  void ShowRow(int row);
  void CellEdited(QTableWidgetItem* item);
  void MoveUp();
  void MoveDown();
  void Remove();
  void PlaceOnCircle();
  void Optimise();
  // The buttons that act on the selected row are enabled only when they can act.
  void UpdateButtons();
  // After any change: the tab's caption counts the holes, the note gives the travel.
  void ShowChanged();
  void ShowNote(const QString& text, const QString& tip = {});
  void ShowError(const QString& text);
  // Keeps the list as it was before a change, for Undo; `what` names the change ("удаление отверстия 3").
  void Remember(JobList before, const QString& what);

  struct UndoStep {
    JobList list;
    QString what;
    std::size_t bytes;  // the programs the list holds
  };

  Widgets m_w;
  Dialogs& m_dialogs;
  JobList m_list;
  std::deque<UndoStep> m_undo;  // the oldest first
  std::size_t m_undoBytes = 0;
  bool m_filling = false;       // the table is being written, not edited
  bool m_refusalShown = false;  // a refused edit's message is on its way
};

}  // namespace kalmoro
