#include "app/OpeningPages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Guarded.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

inline constexpr const char* kMsgReliefAndTaper =
    "Освобождение и уклон не совмещаются: выключите одно из них («Матрица…» или «Уклон…»).";

std::string Utf8(const QLineEdit* field) {
  return field->text().toStdString();
}

QString Text(double value) {
  return QString::fromStdString(StdText(value));
}

DieChoice WithRelief(DieChoice die, const std::optional<Relief>& relief) {
  die.fromPunch = false;
  die.relief = relief.has_value();
  if (relief) {
    die.land = StdText(relief->land);
    die.angle = StdText(relief->angle);
    die.thickness = StdText(relief->thickness);
  }
  return die;
}

}  // namespace

OpeningPages::OpeningPages(const Widgets& widgets, Dialogs& dialogs, QWidget& window)
    : QObject(&window), m_w(widgets), m_dialogs(dialogs), m_window(window) {
  const auto guarded = [this](auto body) { return [this, body] { RunGuarded(m_dialogs, body); }; };
  connect(m_w.roundDie, &QPushButton::clicked, this, guarded([this] { EditDie(true); }));
  connect(m_w.rectDie, &QPushButton::clicked, this, guarded([this] { EditDie(false); }));
  connect(m_w.taper, &QPushButton::clicked, this, guarded([this] { EditTaper(); }));
  // A size typed over the die's leaves the punch: the page says so at once.
  connect(m_w.diameter, &QLineEdit::textChanged, this, [this] {
    if (m_filling || !m_roundDie.fromPunch) return;
    m_roundDie.fromPunch = false;
    ShowSummaries();
  });
  for (QLineEdit* field : {m_w.width, m_w.height, m_w.radius})
    connect(field, &QLineEdit::textChanged, this, [this] {
      if (!m_filling && m_rectDie.fromPunch) m_rectDie.fromPunch = false;
      ShowSummaries();  // a top width's angle follows the bottom's
    });
  ShowSummaries();
}

GenResult OpeningPages::Round(const PassOptions& passes, const MachineProfile& machine) const {
  return GenCircle(Utf8(m_w.diameter), passes, machine.wire.hold, m_roundDie.ReliefOf(),
                   machine.maxTaperAngle);
}

GenResult OpeningPages::Rect(const PassOptions& passes, const MachineProfile& machine) const {
  const std::string width = Utf8(m_w.width), height = Utf8(m_w.height), radius = Utf8(m_w.radius);
  if (m_taper.on) {
    if (m_rectDie.relief) return GenResult::Refusal(kMsgReliefAndTaper);
    return GenRectTaper(width, height, radius, m_taper.thickness, m_taper.AngleText(width), m_taper.corners,
                        passes, machine.wire.hold);
  }
  return GenRect(width, height, radius, passes, machine.wire.hold, m_rectDie.ReliefOf(),
                 machine.maxTaperAngle);
}

void OpeningPages::Show(const CircleHeader& circle) {
  m_filling = true;
  m_w.diameter->setText(QString::fromStdString(circle.diameter));
  m_filling = false;
  m_roundDie = WithRelief(m_roundDie, circle.relief);
  ShowSummaries();
}

void OpeningPages::Show(const RectHeader& rect) {
  m_filling = true;
  m_w.width->setText(Text(rect.width));
  m_w.height->setText(Text(rect.height));
  m_w.radius->setText(Text(rect.radius));
  m_filling = false;
  m_rectDie = WithRelief(m_rectDie, rect.relief);
  m_taper.on = false;
  ShowSummaries();
}

void OpeningPages::Show(const RectTaperHeader& taper) {
  m_filling = true;
  m_w.width->setText(Text(taper.width));
  m_w.height->setText(Text(taper.height));
  m_w.radius->setText(Text(taper.radius));
  m_filling = false;
  m_rectDie = WithRelief(m_rectDie, std::nullopt);
  // The header's own angle and plate, so that the page writes the same header again.
  m_taper.on = true;
  m_taper.thickness = StdText(taper.thickness);
  m_taper.angle = StdText(taper.angle);
  m_taper.fromTopWidth = false;
  m_taper.corners = taper.corners;
  ShowSummaries();
}

void OpeningPages::EditDie(bool round) {
  auto* dialog = new DieDialog(round ? m_roundDie : m_rectDie, round, &m_window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog, round] {
    RunGuarded(m_dialogs, [&] {
      (round ? m_roundDie : m_rectDie) = dialog->Chosen();
      FillDie(round);
      ShowSummaries();
    });
  });
  dialog->open();
}

void OpeningPages::EditTaper() {
  auto* dialog = new TaperDialog(m_taper, {Utf8(m_w.width), Utf8(m_w.height), Utf8(m_w.radius)}, &m_window);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  connect(dialog, &QDialog::accepted, this, [this, dialog] {
    m_taper = dialog->Chosen();
    ShowSummaries();
  });
  dialog->open();
}

void OpeningPages::FillDie(bool round) {
  const DieChoice& die = round ? m_roundDie : m_rectDie;
  if (!die.fromPunch) return;
  const DieResult made = die.Die(round);
  if (!made.die) return;
  // The sizes as the command line writes them for the same punch.
  m_filling = true;
  if (round) {
    m_w.diameter->setText(Text(made.die->width));
  } else {
    m_w.width->setText(Text(made.die->width));
    m_w.height->setText(Text(made.die->height));
    m_w.radius->setText(Text(made.die->radius));
  }
  m_filling = false;
}

void OpeningPages::ShowSummaries() {
  // A note takes the two lines of its place; a longer one is cut with "…" and shown whole as its tip.
  const auto show = [](QLabel* note, const QString& text, const QString& details) {
    const int room = 2 * note->contentsRect().width() - note->fontMetrics().averageCharWidth() * 4;
    const QString shown = note->fontMetrics().elidedText(text, Qt::ElideRight, room);
    note->setText(shown);
    note->setToolTip(!details.isEmpty() ? details : shown != text ? text : QString());
  };
  show(m_w.roundDieNote, DieSummary(m_roundDie, true), DieDetails(m_roundDie, true));
  show(m_w.rectDieNote, DieSummary(m_rectDie, false), DieDetails(m_rectDie, false));
  show(m_w.taperNote, TaperSummary(m_taper, Utf8(m_w.width)), {});
}

}  // namespace kalmoro
