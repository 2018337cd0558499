#include "app/JobPage.h"

#include <QCheckBox>
#include <QFont>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <array>
#include <string>

#include "FieldBinding.h"
#include "app/Dialogs.h"
#include "app/Guarded.h"
#include "app/PassDialog.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

enum Column { kNumberColumn, kKindColumn, kSizeColumn, kXColumn, kYColumn, kColumns };

QString Text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

std::string Utf8(const QLineEdit* field) {
  return field->text().toStdString();
}

QString Millimetres(double value) {
  return Text(FormatNumber(value, 1, 1)) + QStringLiteral(" мм");
}

QString Number(std::size_t row) {
  return Text(std::to_string(row + 1));
}

// Steps kept to undo: the newest this many, and no more than this many bytes of hole programs in all (a
// job of 10 000 holes holds a few megabytes).
constexpr std::size_t kMaxUndoSteps = 100;
constexpr std::size_t kMaxUndoBytes = std::size_t{64} << 20;

std::size_t ProgramBytes(const JobList& list) {
  std::size_t bytes = 0;
  for (const JobListHole& hole : list.Holes()) bytes += hole.hole.program.size();
  return bytes;
}

}  // namespace

JobPage::JobPage(const Widgets& widgets, Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_w(widgets), m_dialogs(dialogs) {
  QTableWidget& table = *m_w.table;
  table.setColumnCount(kColumns);
  table.setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Вид"), QStringLiteral("Размеры"),
                                   QStringLiteral("X"), QStringLiteral("Y")});
  table.horizontalHeaderItem(kSizeColumn)
      ->setToolTip(QStringLiteral("Круглое: D диаметр; прямоугольное: ширина×высота R радиус;\n"
                                  "коническое: D нижний / D верхний, H высота. Всё в мм"));
  table.horizontalHeaderItem(kXColumn)->setToolTip(QStringLiteral("Центр отверстия X, мм: можно править"));
  table.horizontalHeaderItem(kYColumn)->setToolTip(QStringLiteral("Центр отверстия Y, мм: можно править"));
  // A pixel smaller than the window's text, so that the five columns share the narrow table with the
  // scroll bar's room kept: the kinds' names fit theirs, and a dimension or a position too long for its
  // column has its whole text as the tool tip.
  QFont font = table.font();
  if (font.pixelSize() > 1) font.setPixelSize(font.pixelSize() - 1);
  table.setFont(font);
  table.verticalHeader()->hide();
  table.verticalHeader()->setDefaultSectionSize(table.fontMetrics().height() + 4);
  table.horizontalHeader()->setFixedHeight(table.fontMetrics().height() + 6);
  table.horizontalHeader()->setMinimumSectionSize(16);
  table.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  table.setWordWrap(false);
  const int width = table.width() - 2 * table.frameWidth() - table.verticalScrollBar()->sizeHint().width();
  const std::array<int, kColumns - 1> widths = {30, 84, 65, 55};
  int left = width;
  for (int c = 0; c < kColumns - 1; ++c) {
    table.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    left -= widths[static_cast<std::size_t>(c)];
  }
  table.setColumnWidth(kYColumn, left);

  const auto guarded = [this](void (JobPage::*handler)()) {
    return [this, handler] { RunGuarded(m_dialogs, [&] { (this->*handler)(); }); };
  };
  connect(&table, &QTableWidget::itemChanged, this,
          [this](QTableWidgetItem* item) { RunGuarded(m_dialogs, [&] { CellEdited(item); }); });
  connect(&table, &QTableWidget::itemSelectionChanged, this, guarded(&JobPage::UpdateButtons));
  connect(m_w.up, &QPushButton::clicked, this, guarded(&JobPage::MoveUp));
  connect(m_w.down, &QPushButton::clicked, this, guarded(&JobPage::MoveDown));
  connect(m_w.remove, &QPushButton::clicked, this, guarded(&JobPage::Remove));
  connect(m_w.undo, &QPushButton::clicked, this, guarded(&JobPage::Undo));
  // Ctrl+Z anywhere on the page but in a field, whose own undo comes first.
  auto* undo = new QShortcut(QKeySequence::Undo, m_w.page, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
  connect(undo, &QShortcut::activated, this, guarded(&JobPage::Undo));
  connect(m_w.circle, &QPushButton::clicked, this, guarded(&JobPage::PlaceOnCircle));
  connect(m_w.optimise, &QPushButton::clicked, this, guarded(&JobPage::Optimise));
  BindFieldCheck(*m_w.count, false);
  BindFieldCheck(*m_w.diameter, false);
  for (QLineEdit* field : {m_w.angle, m_w.x, m_w.y}) BindFieldCheck(*field, true);
  for (QLineEdit* field : {m_w.count, m_w.diameter, m_w.angle, m_w.x, m_w.y})
    connect(field, &QLineEdit::returnPressed, this, guarded(&JobPage::PlaceOnCircle));
  connect(m_w.roughFirst, &QCheckBox::toggled, this, [this](bool on) { m_list.SetRoughFirst(on); });
  ShowChanged();
}

void JobPage::SetRoughFirst(bool on) {
  m_list.SetRoughFirst(on);
  ShowChanged();
}

void JobPage::Add(const GenResult& generated) {
  JobList before = m_list;
  const std::string error = m_list.Add(generated);
  if (!error.empty()) {
    ShowError(Text(error));
    return;
  }
  Remember(std::move(before), QStringLiteral("добавление отверстия ") + Number(m_list.Size() - 1));
  const int row = static_cast<int>(m_list.Size()) - 1;
  {
    const QSignalBlocker blocker(m_w.table);
    m_w.table->setRowCount(row + 1);
    ShowRow(row);
  }
  Select(static_cast<std::size_t>(row));
  ShowChanged();
}

bool JobPage::Restore(std::string_view program, const WireCodes& codes) {
  JobList before = m_list;
  const std::optional<std::size_t> leftOut = m_list.Restore(program, codes);
  if (!leftOut) return false;
  // The table it replaces comes back with Undo.
  if (before.Size() > 0) Remember(std::move(before), QStringLiteral("задание из файла"));
  Refill();
  ShowChanged();
  if (*leftOut > 0)
    ShowNote(QStringLiteral("Не восстановлено отверстий: %1").arg(Text(std::to_string(*leftOut))),
             QStringLiteral("Строки отверстий, в заголовке которых не круглое, прямоугольное,\n"
                            "коническое или прямоугольное с уклоном отверстие, или по заголовку\n"
                            "которых программа не строится, или с центром дальше ±99999.999 мм, пропущены."));
  return true;
}

std::optional<std::size_t> JobPage::SelectedRow() const {
  const QModelIndexList rows = m_w.table->selectionModel()->selectedRows();
  if (rows.isEmpty()) return std::nullopt;
  return static_cast<std::size_t>(rows.front().row());
}

void JobPage::Select(std::size_t row) {
  const int r = static_cast<int>(row);
  m_w.table->setCurrentCell(r, kNumberColumn,
                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_w.table->scrollToItem(m_w.table->item(r, kNumberColumn));
}

void JobPage::Refill() {
  const QSignalBlocker blocker(m_w.table);
  m_w.table->clearSelection();
  m_w.table->setRowCount(static_cast<int>(m_list.Size()));
  for (int row = 0; row < m_w.table->rowCount(); ++row) ShowRow(row);
}

void JobPage::ShowRow(int row) {
  const JobListHole& hole = m_list.Holes().at(static_cast<std::size_t>(row));
  const std::array<std::string, kColumns> texts = {std::to_string(row + 1), HoleKindText(hole.header),
                                                   HoleSizeText(hole.header), PositionText(hole.hole.x),
                                                   PositionText(hole.hole.y)};
  m_filling = true;
  for (int column = 0; column < kColumns; ++column) {
    QTableWidgetItem* item = m_w.table->item(row, column);
    if (!item) {
      item = new QTableWidgetItem;
      const bool position = column == kXColumn || column == kYColumn;
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled |
                     (position ? Qt::ItemIsEditable : Qt::NoItemFlags));
      item->setTextAlignment(Qt::AlignVCenter | (column == kKindColumn     ? Qt::AlignLeft
                                                 : column == kNumberColumn ? Qt::AlignHCenter
                                                                           : Qt::AlignRight));
      m_w.table->setItem(row, column, item);
    }
    item->setText(Text(texts[static_cast<std::size_t>(column)]));
  }
  // The kind's tip says which passes the hole is cut in.
  m_w.table->item(row, kKindColumn)
      ->setToolTip(QStringLiteral("Проходы: ") + PassSummary(PassesOf(hole.header)));
  // Dimensions and positions too long for their column have their whole text as the tip.
  for (const int column : {kSizeColumn, kXColumn, kYColumn}) {
    QTableWidgetItem* item = m_w.table->item(row, column);
    const int room = m_w.table->columnWidth(column) - 6;
    item->setToolTip(m_w.table->fontMetrics().horizontalAdvance(item->text()) > room ? item->text()
                                                                                     : QString());
  }
  m_filling = false;
}

void JobPage::CellEdited(QTableWidgetItem* item) {
  if (m_filling || (item->column() != kXColumn && item->column() != kYColumn)) return;
  const auto row = static_cast<std::size_t>(item->row());
  if (row >= m_list.Size()) return;
  const JobHole& hole = m_list.Holes()[row].hole;
  const bool isX = item->column() == kXColumn;
  const QString typed = item->text();
  const std::optional<double> value = ParsePosition(typed.toStdString());
  if (value && *value != (isX ? hole.x : hole.y)) {
    JobList before = m_list;
    m_list.SetPosition(row, isX ? *value : hole.x, isX ? hole.y : *value);
    Remember(std::move(before), QStringLiteral("правка координаты отверстия ") + Number(row));
  }
  // The cell shows the position as the list holds it: the one typed, or the old one back.
  ShowRow(static_cast<int>(row));
  if (value) {
    ShowChanged();
    return;
  }
  // Said once the editor has closed: a box that opens while the table still commits the edit would
  // take its focus and have the edit committed a second time.
  if (m_refusalShown) return;
  m_refusalShown = true;
  QMetaObject::invokeMethod(
      this,
      [this, typed] {
        m_refusalShown = false;
        RunGuarded(m_dialogs, [&] {
          ShowError(QStringLiteral("«%1» — не координата. ").arg(typed) +
                    QString::fromUtf8(kMsgJobPositionText));
        });
      },
      Qt::QueuedConnection);
}

void JobPage::MoveUp() {
  const std::optional<std::size_t> row = SelectedRow();
  if (!row || *row == 0) return;
  Remember(m_list, QStringLiteral("перемещение отверстия ") + Number(*row));
  m_list.MoveUp(*row);
  ShowRow(static_cast<int>(*row) - 1);
  ShowRow(static_cast<int>(*row));
  Select(*row - 1);
  ShowChanged();
}

void JobPage::MoveDown() {
  const std::optional<std::size_t> row = SelectedRow();
  if (!row || *row + 1 >= m_list.Size()) return;
  Remember(m_list, QStringLiteral("перемещение отверстия ") + Number(*row));
  m_list.MoveDown(*row);
  ShowRow(static_cast<int>(*row));
  ShowRow(static_cast<int>(*row) + 1);
  Select(*row + 1);
  ShowChanged();
}

void JobPage::Remove() {
  const std::optional<std::size_t> row = SelectedRow();
  if (!row) return;
  Remember(m_list, QStringLiteral("удаление отверстия ") + Number(*row));
  m_list.Remove(*row);
  {
    const QSignalBlocker blocker(m_w.table);
    m_w.table->removeRow(static_cast<int>(*row));
    // The numbers below it move up by one; nothing else of those rows changes.
    for (int r = static_cast<int>(*row); r < m_w.table->rowCount(); ++r)
      m_w.table->item(r, kNumberColumn)->setText(Text(std::to_string(r + 1)));
  }
  if (m_list.Size() > 0)
    Select(std::min(*row, m_list.Size() - 1));
  else
    m_w.table->clearSelection();
  ShowChanged();
}

void JobPage::PlaceOnCircle() {
  const std::optional<std::size_t> row = SelectedRow();
  if (!row) {
    ShowError(QStringLiteral("Выберите в таблице отверстие, копии которого нужно расставить по окружности."));
    return;
  }
  const BoltCircleTexts texts{Utf8(m_w.count), Utf8(m_w.diameter), Utf8(m_w.angle), Utf8(m_w.x), Utf8(m_w.y)};
  JobList before = m_list;
  const std::string error = m_list.PlaceOnCircle(*row, texts);
  if (!error.empty()) {
    ShowError(Text(error));
    return;
  }
  Remember(std::move(before), QStringLiteral("расстановка по окружности"));
  Refill();
  Select(*row);
  ShowChanged();
}

void JobPage::Optimise() {
  const std::optional<std::size_t> selected = SelectedRow();
  const double before = m_list.Travel();
  Remember(m_list, QStringLiteral("оптимизация порядка"));
  const std::vector<std::size_t> order = m_list.Optimise();
  const double after = m_list.Travel();
  Refill();
  // The selected hole stays selected where it went.
  for (std::size_t k = 0; selected && k < order.size(); ++k)
    if (order[k] == *selected) Select(k);
  ShowChanged();
  ShowNote(QStringLiteral("Переходы: %1 → %2").arg(Millimetres(before), Millimetres(after)));
}

void JobPage::Remember(JobList before, const QString& what) {
  const std::size_t bytes = ProgramBytes(before);
  m_undo.push_back({std::move(before), what, bytes});
  m_undoBytes += bytes;
  // The newest step is kept whatever its size.
  while (m_undo.size() > 1 && (m_undo.size() > kMaxUndoSteps || m_undoBytes > kMaxUndoBytes)) {
    m_undoBytes -= m_undo.front().bytes;
    m_undo.pop_front();
  }
}

void JobPage::Undo() {
  if (m_undo.empty()) return;
  UndoStep step = std::move(m_undo.back());
  m_undo.pop_back();
  m_undoBytes -= step.bytes;
  const std::optional<std::size_t> selected = SelectedRow();
  // "Сначала все черновые" is a setting, not a change of the table: it stays as the user left it.
  const bool roughFirst = m_list.RoughFirst();
  m_list = std::move(step.list);
  m_list.SetRoughFirst(roughFirst);
  Refill();
  if (m_list.Size() > 0) Select(std::min(selected.value_or(0), m_list.Size() - 1));
  ShowChanged();
  ShowNote(QStringLiteral("Отменено: ") + step.what);
}

void JobPage::UpdateButtons() {
  const std::optional<std::size_t> row = SelectedRow();
  m_w.undo->setEnabled(!m_undo.empty());
  m_w.undo->setToolTip(m_undo.empty() ? QStringLiteral("Отменить последнее изменение задания (Ctrl+Z)")
                                      : QStringLiteral("Отменить: %1 (Ctrl+Z)").arg(m_undo.back().what));
  m_w.up->setEnabled(row && *row > 0);
  m_w.down->setEnabled(row && *row + 1 < m_list.Size());
  m_w.remove->setEnabled(row.has_value());
  m_w.circle->setEnabled(row.has_value());
  // The first hole stays first: two holes have one order only.
  m_w.optimise->setEnabled(m_list.Size() >= 3);
}

void JobPage::ShowChanged() {
  const int tab = m_w.tabs->indexOf(m_w.page);
  const std::size_t holes = m_list.Size();
  QString caption = QString::fromUtf8(kJobCaption);
  if (holes > 0) caption += QStringLiteral("\n(%1)").arg(Text(std::to_string(holes)));
  m_w.tabs->setTabText(tab, caption);
  {
    // A job opened or a change taken back brings its own setting.
    const QSignalBlocker blocker(m_w.roughFirst);
    m_w.roughFirst->setChecked(m_list.RoughFirst());
  }
  if (holes == 0)
    ShowNote(QString::fromUtf8(kJobEmptyNote));
  else
    ShowNote(QStringLiteral("Отверстий: %1, переходы: %2")
                 .arg(Text(std::to_string(holes)), Millimetres(m_list.Travel())));
  UpdateButtons();
}

void JobPage::ShowNote(const QString& text, const QString& tip) {
  const QString shown =
      m_w.note->fontMetrics().elidedText(text, Qt::ElideRight, m_w.note->contentsRect().width());
  m_w.note->setText(shown);
  m_w.note->setToolTip(!tip.isEmpty() ? tip : shown != text ? text : QString());
}

void JobPage::ShowError(const QString& text) {
  m_dialogs.ShowError(QString::fromUtf8(kErrorTitle), text);
}

}  // namespace kalmoro
