#include "app/preview/ToolpathPreview.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QTabBar>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "app/preview/FieldReader.h"
#include "app/preview/PassTimes.h"
#include "app/preview/PlanReadout.h"
#include "app/preview/PreviewPlacement.h"
#include "app/preview/ProgramText.h"
#include "app/preview/ToolpathScene.h"
#include "app/preview/ToolpathView.h"
#include "check/MachineCheck.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

QString Length(double millimetres) {
  return QString::fromStdString(FormatNumber(millimetres, 3, 3)) + QStringLiteral(" мм");
}

QString Coord(double millimetres) {
  return QString::fromStdString(FormatNumber(millimetres, 3, 3));
}

// "10.000 × 5.000 мм (X −5.000…5.000, Y −2.500…2.500)"
QString Extents(const Box& box) {
  if (box.Empty()) return QStringLiteral("—");
  return QStringLiteral("%1 × %2 мм (X %3…%4, Y %5…%6)")
      .arg(Coord(box.Width()), Coord(box.Height()), Coord(box.minX), Coord(box.maxX), Coord(box.minY),
           Coord(box.maxY));
}

// Notes are told apart from problems in the list: another word in front, another colour.
const QColor kNoteColor(0x2b, 0x5c, 0x9e);

}  // namespace

ToolpathPreview* ToolpathPreview::Attach(QPlainTextEdit& program, FieldReader& reader, QWidget& window) {
  auto* preview = new ToolpathPreview(program, reader, window);
  auto* shortcut = new QShortcut(QKeySequence(Qt::Key_F5), &window);
  connect(shortcut, &QShortcut::activated, preview, &ToolpathPreview::Open);

  // The field's own menu: its standard entries, the window's commands on the program, the preview.
  program.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&program, &QWidget::customContextMenuRequested, preview, [&program, preview](const QPoint& at) {
    QMenu* menu = program.createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSeparator();
    menu->addActions(program.actions());
    menu->addSeparator();
    // The key is shown, not bound: F5 is the window's shortcut.
    menu->addAction(QString::fromUtf8(kShowToolpath) + QStringLiteral("\tF5"), preview,
                    &ToolpathPreview::Open);
    menu->popup(program.viewport()->mapToGlobal(at));
  });
  return preview;
}

ToolpathPreview::ToolpathPreview(QPlainTextEdit& program, FieldReader& reader, QWidget& window)
    : QWidget(&window, Qt::Window),
      m_program(&program),
      m_reader(reader),
      m_read(std::make_shared<const FieldReading>()) {
  setObjectName(QStringLiteral("ToolpathPreview"));
  setWindowTitle(QString::fromUtf8(kPreviewTitle));
  setFont(window.font());
  // Typing goes on in the program field while the preview follows it.
  setAttribute(Qt::WA_ShowWithoutActivating);

  m_views = new QTabBar(this);
  m_views->setObjectName(QStringLiteral("Views"));
  m_views->addTab(QStringLiteral("План"));
  m_views->addTab(QStringLiteral("3D"));
  m_views->setDrawBase(false);
  auto* fit = new QToolButton(this);
  fit->setObjectName(QStringLiteral("Fit"));
  fit->setText(QStringLiteral("Вписать"));
  fit->setToolTip(QStringLiteral("Вписать рисунок в окно (то же — двойной щелчок по рисунку)"));
  m_standardViews = new QComboBox(this);
  m_standardViews->setObjectName(QStringLiteral("StandardViews"));
  m_standardViews->addItems({QStringLiteral("Изометрия"), QStringLiteral("Сверху"), QStringLiteral("Спереди"),
                             QStringLiteral("Сбоку")});
  m_standardViews->setToolTip(QStringLiteral("Стандартный вид; перетаскивание поворачивает рисунок"));
  m_standardViews->setVisible(false);
  m_wireCentre = new QCheckBox(QStringLiteral("Центр проволоки"), this);
  m_wireCentre->setObjectName(QStringLiteral("WireCentre"));
  m_wireCentre->setChecked(true);
  m_wireCentre->setToolTip(
      QStringLiteral("Путь центра проволоки: контур, смещённый внутрь на радиус проволоки с зазором"));
  auto* machine = new QToolButton(this);
  machine->setObjectName(QStringLiteral("Machine"));
  machine->setText(QStringLiteral("Станок…"));
  machine->setToolTip(QStringLiteral("Проволока, зазор, предел конусности, ход осей и скорость резания"));
  m_commands = new QToolButton(this);
  m_commands->setObjectName(QStringLiteral("Commands"));
  m_commands->setText(QStringLiteral("Программа ▾"));
  // The arrow is in the text: the style's own one would stand over it.
  m_commands->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
  m_commands->setToolTip(
      QStringLiteral("Открыть, сохранить, напечатать лист наладки, экспортировать чертёж"));
  m_commands->setPopupMode(QToolButton::InstantPopup);
  m_commands->setMenu(new QMenu(m_commands));
  m_commands->hide();
  auto* top = new QHBoxLayout;
  top->addWidget(m_views);
  top->addWidget(m_standardViews);
  top->addStretch();
  top->addWidget(m_wireCentre);
  top->addWidget(m_commands);
  top->addWidget(machine);
  top->addWidget(fit);

  m_view = new ToolpathView(this);
  m_view->setObjectName(QStringLiteral("ToolpathView"));
  m_status = new QLabel(this);
  m_status->setObjectName(QStringLiteral("Status"));
  m_status->setTextFormat(Qt::RichText);
  m_status->setWordWrap(true);
  m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
  m_problems = new QListWidget(this);
  m_problems->setObjectName(QStringLiteral("Problems"));
  m_problems->setFixedHeight(m_problems->fontMetrics().height() * 4 + 10);
  m_problems->setToolTip(QStringLiteral("Щелчок по ошибке ставит курсор программы на её строку"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(top);
  layout->addWidget(m_view, 1);
  m_readout = new PlanReadout(this);
  layout->addWidget(m_readout);
  layout->addWidget(m_status);
  layout->addWidget(m_problems);
  // Small enough for a laptop beside the main window, large enough that the drawing, the legend and
  // the scale bar keep apart and no line of text breaks inside a word.
  m_view->setMinimumSize(380, 260);
  setMinimumSize(layout->minimumSize().expandedTo(QSize(620, 560)));
  resize(700, 680);

  connect(&reader, &FieldReader::Read, this, [this](const std::shared_ptr<const FieldReading>& read) {
    if (isVisible()) Show(read);
  });
  m_characters = program.document()->characterCount();
  connect(program.document(), &QTextDocument::contentsChange, this, [this](int from, int removed, int added) {
    // Replacing the whole text (a program generated or opened) is a new program: fit it to the view.
    // QTextDocument counts one character more than the text holds.
    if (from == 0 && removed >= m_characters - 1 && added > 0) m_refit = true;
    m_characters = m_program ? m_program->document()->characterCount() : 0;
    m_beforeClick.reset();
  });
  connect(&program, &QPlainTextEdit::cursorPositionChanged, this, &ToolpathPreview::FollowCaret);
  connect(m_views, &QTabBar::currentChanged, this, [this](int index) {
    m_view->SetMode(index == 1 ? ToolpathView::Mode::Oblique : ToolpathView::Mode::Plan);
    m_standardViews->setVisible(index == 1);
    m_readout->Clear();
  });
  connect(m_standardViews, &QComboBox::activated, this, [this](int index) {
    constexpr ToolpathView::StandardView kViews[] = {
        ToolpathView::StandardView::Isometric, ToolpathView::StandardView::Top,
        ToolpathView::StandardView::Front, ToolpathView::StandardView::Side};
    if (index >= 0 && index < 4) m_view->SetStandardView(kViews[index]);
  });
  connect(m_wireCentre, &QCheckBox::toggled, m_view, &ToolpathView::SetWireCentreShown);
  connect(machine, &QToolButton::clicked, this, &ToolpathPreview::MachineRequested);
  connect(fit, &QToolButton::clicked, m_view, &ToolpathView::Fit);
  connect(m_view, &ToolpathView::MoveClicked, this, &ToolpathPreview::DrawingClicked);
  connect(m_view, &ToolpathView::DoubleClicked, this, &ToolpathPreview::UndoClickForDoubleClick);
  connect(m_view, &ToolpathView::CursorMoved, this, &ToolpathPreview::ShowCursor);
  connect(m_view, &ToolpathView::CursorLeft, m_readout, &PlanReadout::ClearCursor);
  connect(m_view, &ToolpathView::Measured, m_readout, &PlanReadout::ShowMeasure);
  connect(m_problems, &QListWidget::itemClicked, this, &ToolpathPreview::ProblemChosen);
  connect(m_problems, &QListWidget::itemActivated, this, &ToolpathPreview::ProblemChosen);
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(close, &QShortcut::activated, this, &QWidget::close);
}

ToolpathPreview::~ToolpathPreview() = default;

void ToolpathPreview::Open() {
  if (!m_placed && parentWidget()) {
    // Beside the main window where the screen has room, else where it covers the least of it. The
    // preview's frame is not known before it is first shown: the main window's frame stands for it.
    m_placed = true;
    if (const QScreen* screen = parentWidget()->screen()) {
      const QRect main = parentWidget()->frameGeometry();
      const QRect inner = parentWidget()->geometry();
      const QMargins frame(inner.left() - main.left(), inner.top() - main.top(), main.right() - inner.right(),
                           main.bottom() - inner.bottom());
      const QSize decoration(frame.left() + frame.right(), frame.top() + frame.bottom());
      const QRect placed =
          PlacePreview(screen->availableGeometry(), main, size() + decoration, minimumSize() + decoration);
      resize(placed.size() - decoration);
      move(placed.topLeft());
    }
  }
  show();
  raise();
  const std::shared_ptr<const FieldReading> current = m_reader.Current();
  if (current != m_read)
    Show(current);
  else
    FollowCaret();  // the caret may have moved while the preview was closed
}

void ToolpathPreview::OpenAtFirstProblem() {
  Open();
  for (int row = 0; row < m_problems->count(); ++row) {
    QListWidgetItem* item = m_problems->item(row);
    const bool note = item->data(Qt::UserRole + 1).toBool();
    if (!item->data(Qt::UserRole).isValid() || note) continue;
    m_problems->setCurrentItem(item);
    m_problems->scrollToItem(item);
    ProblemChosen(item);
    return;
  }
}

void ToolpathPreview::AddCommands(const QList<QAction*>& actions) {
  m_commands->menu()->addActions(actions);
  m_commands->setVisible(!m_commands->menu()->isEmpty());
}

const ProgramReading& ToolpathPreview::Reading() const {
  return m_read->reading;
}

const MachineProfile& ToolpathPreview::Machine() const {
  return m_reader.Machine();
}

void ToolpathPreview::Show(const std::shared_ptr<const FieldReading>& read) {
  if (!read) return;
  m_read = read;
  m_view->SetScene(m_read->scene ? m_read->scene : std::make_shared<const ToolpathScene>());
  m_readout->Clear();
  if (std::exchange(m_refit, false)) m_view->Fit();
  ShowStatus();
  FollowCaret();
}

void ToolpathPreview::SetMachine(const MachineProfile& machine, bool saved, const QString& error) {
  m_machineSaved = saved;
  m_machineError = error;
  m_reader.SetMachine(machine);
  // A change of machine is rare and asked for: the preview shows its checks at once.
  if (isVisible()) Show(m_reader.Current());
}

void ToolpathPreview::ShowCursor(QPointF point) {
  // A cone's upper point above the cursor: the same direction from the axis, at the upper radius.
  std::optional<double> upperScale;
  if (const ProgramReading& r = m_read->reading; r.encoded) {
    if (const auto* cone = std::get_if<ConeHeader>(&r.encoded->dimensions); cone && cone->lower > 0)
      upperScale = cone->upper / cone->lower;
  }
  m_readout->ShowCursor(point, upperScale);
}

void ToolpathPreview::DrawingClicked(int move) {
  const ToolpathScene* scene = m_read->scene.get();
  if (!m_program || !scene || move < 0 || move >= scene->MoveCount()) {
    m_beforeClick.reset();
    return;
  }
  const std::pair<int, int> before{m_program->textCursor().position(),
                                   m_program->verticalScrollBar()->value()};
  GoToLine(scene->LineOf(move));
  m_beforeClick = before;
}

void ToolpathPreview::UndoClickForDoubleClick() {
  if (!m_program || !m_beforeClick) return;
  const auto [position, scroll] = *std::exchange(m_beforeClick, std::nullopt);
  QTextCursor cursor(m_program->document());
  cursor.setPosition(std::clamp(position, 0, m_program->document()->characterCount() - 1));
  m_program->setTextCursor(cursor);
  m_program->verticalScrollBar()->setValue(scroll);
}

void ToolpathPreview::ShowStatus() {
  const ProgramReading& r = m_read->reading;
  m_problems->clear();
  if (r.empty) {
    // Nothing typed yet is nothing wrong.
    m_status->setText(
        QStringLiteral("<span style=\"color:#7a7f88\">%1</span>").arg(QString::fromUtf8(kEmptyProgram)));
    auto* item = new QListWidgetItem(QString::fromUtf8(kEmptyProgram), m_problems);
    item->setFlags(Qt::NoItemFlags);
    item->setForeground(QColor(0x7a, 0x7f, 0x88));
    return;
  }
  QString verdict = QString::fromStdString(ProblemCountText(ProblemCount(r)));
  verdict[0] = verdict[0].toUpper();
  verdict = QStringLiteral("<b style=\"color:%1\">%2</b>")
                .arg(ProblemCount(r) == 0 ? QStringLiteral("#1a7f37") : QStringLiteral("#c62828"), verdict);
  const QString hole = QString::fromStdString(HoleText(r));
  const FieldReading::Figures& f = m_read->figures;
  // Only a tapered program has an upper contour of its own.
  QString lengths = r.tapered ? QStringLiteral("Длина пути: нижний контур %1, верхний контур %2")
                                    .arg(Length(f.lowerLength), Length(f.upperLength))
                              : QStringLiteral("Длина пути: %1").arg(Length(f.lowerLength));
  QString extents;
  if (f.contour) {
    extents = r.tapered ? QStringLiteral("<br>Габариты: нижний контур %1; верхний %2")
                              .arg(Extents(f.lowerBounds), Extents(f.upperBounds))
                        : QStringLiteral("<br>Габариты контура: %1").arg(Extents(f.lowerBounds));
  }
  QString time = QString::fromStdString(CuttingTimeText(f.time));
  time[0] = time[0].toUpper();
  const QString machine =
      !m_machineError.isEmpty()
          ? QStringLiteral("станок по умолчанию: профиль не прочитан (%1)").arg(m_machineError)
          : (m_machineSaved ? QStringLiteral("станок из профиля") : QStringLiteral("станок по умолчанию"));
  m_status->setText(verdict + QStringLiteral(" · кадров: %1 · ").arg(r.blocks) + hole.toHtmlEscaped() +
                    QStringLiteral("<br>") + lengths + extents + QStringLiteral("<br>") +
                    time.toHtmlEscaped() + QStringLiteral(" · ") + machine.toHtmlEscaped());
  if (const QString passes = PassTimesText(r, f.time); !passes.isEmpty())
    m_status->setText(m_status->text() + QStringLiteral("<br>") + passes.toHtmlEscaped());

  for (const Problem& p : r.problems) {
    const bool note = p.kind == ProblemKind::Note;
    auto* item =
        new QListWidgetItem(QStringLiteral("%1 %2: %3")
                                .arg(note ? QStringLiteral("Примечание, строка") : QStringLiteral("Строка"))
                                .arg(p.line)
                                .arg(QString::fromStdString(p.text)),
                            m_problems);
    item->setData(Qt::UserRole, p.line);
    item->setData(Qt::UserRole + 1, note);
    if (note) item->setForeground(kNoteColor);
  }
  if (r.problemsLeftOut > 0) {
    auto* item = new QListWidgetItem(QStringLiteral("и ещё %1").arg(r.problemsLeftOut), m_problems);
    item->setFlags(Qt::NoItemFlags);
  }
  if (ProblemCount(r) == 0) {
    auto* item = new QListWidgetItem(QString::fromUtf8(kNoProblems), m_problems);
    item->setFlags(Qt::NoItemFlags);
  }
}

void ToolpathPreview::FollowCaret() {
  if (!isVisible() || !m_program || !m_read->scene) return;
  m_view->SetHighlight(m_read->scene->MoveAtLine(m_read->LineAt(m_program->textCursor().position())));
}

void ToolpathPreview::ProblemChosen(QListWidgetItem* item) {
  const QVariant line = item ? item->data(Qt::UserRole) : QVariant();
  if (line.isValid()) GoToLine(line.toInt());
}

void ToolpathPreview::GoToLine(int line) {
  if (!m_program || line < 1 || m_read->lineStarts.empty()) return;
  const int start = m_read->StartOf(line);
  QTextCursor cursor(m_program->document());
  cursor.setPosition(std::clamp(start, 0, m_program->document()->characterCount() - 1));
  m_program->setTextCursor(cursor);
  m_program->centerCursor();
  m_program->window()->activateWindow();
  m_program->setFocus(Qt::OtherFocusReason);
}

}  // namespace kalmoro
