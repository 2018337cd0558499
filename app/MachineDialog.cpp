#include "app/MachineDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <span>
#include <string>

#include "app/DialogParts.h"
#include "app/PassDialog.h"

#include "nc/NumberText.h"
#include "save/FileReplace.h"

namespace kalmoro {
namespace {

// A profile file is a few hundred bytes; a larger one is not a profile.
constexpr qint64 kMaxProfileBytes = qint64{64} * 1024;

struct KeyText {
  const char* key;
  const char* label;
};

// The machine's keys, in the dialog's first column, and the passes' keys in its second.
const KeyText kKeys[] = {
    {"wire_diameter", "Диаметр проволоки, мм"},
    {"spark_gap", "Искровой зазор (на сторону), мм"},
    {"max_taper_angle", "Наибольший угол конуса, °"},
    {"travel_x", "Ход стола по X, мм"},
    {"travel_y", "Ход стола по Y, мм"},
    {"travel_u", "Ход конусной головки по U, мм"},
    {"travel_v", "Ход конусной головки по V, мм"},
    {"cutting_rate", "Скорость резания, мм²/мин"},
    {"height", "Высота заготовки, мм"},
    {"cut_wire", "Код обрезки проволоки после отверстия задания"},
    {"thread_wire", "Код заправки проволоки у следующего отверстия"},
};
const KeyText kPassKeys[] = {
    {"rough_stock", "Припуск после чернового, мм"},
    {"skim1_gap", "Зазор 1-го чистового, мм"},
    {"skim1_stock", "Припуск после 1-го чистового, мм"},
    {"skim1_time", "Время 1-го чистового к черновому"},
    {"skim2_gap", "Зазор 2-го чистового, мм"},
    {"skim2_stock", "Припуск после 2-го чистового, мм"},
    {"skim2_time", "Время 2-го чистового к черновому"},
    {"skim3_gap", "Зазор 3-го чистового, мм"},
    {"skim3_stock", "Припуск после 3-го чистового, мм"},
    {"skim3_time", "Время 3-го чистового к черновому"},
    {"skim4_gap", "Зазор 4-го чистового, мм"},
    {"skim4_time", "Время 4-го чистового к черновому"},
    {"hold_slug", "Код остановки, чтобы закрепить вырубку"},
};

QString Number(double value) {
  return QString::fromStdString(FormatNumber(value, 0, 6));
}

QString Number(const std::optional<double>& value) {
  return value ? Number(*value) : QString();
}

// The text of the value a key holds in a profile, as the profile file writes it; empty for travel not
// given.
QString ValueOf(const MachineProfile& p, std::string_view key) {
  if (key == "wire_diameter") return Number(p.wireDiameter);
  if (key == "spark_gap") return Number(p.sparkGap);
  if (key == "max_taper_angle") return Number(p.maxTaperAngle);
  if (key == "travel_x") return Number(p.travelX);
  if (key == "travel_y") return Number(p.travelY);
  if (key == "travel_u") return Number(p.travelU);
  if (key == "travel_v") return Number(p.travelV);
  if (key == "cutting_rate") return Number(p.cuttingRate);
  if (key == "height") return Number(p.height);
  if (key == "cut_wire") return QString::fromStdString(p.wire.cut);
  if (key == "thread_wire") return QString::fromStdString(p.wire.thread);
  if (key == "hold_slug") return QString::fromStdString(p.wire.hold);
  if (key == "rough_stock") return Number(p.stock[0]);
  // skimK_gap, skimK_stock, skimK_time
  if (key.size() > 6 && key.starts_with("skim")) {
    const auto k = static_cast<std::size_t>(key[4] - '1');
    const std::string_view what = key.substr(6);
    if (k < kMaxSkims && what == "gap") return Number(p.skimGap[k]);
    if (k + 1 < kMaxSkims && what == "stock") return Number(p.stock[k + 1]);
    if (k < kMaxSkims && what == "time") return Number(p.skimTime[k]);
  }
  return {};
}

}  // namespace

QString MachineProfilePath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/kalmoro/machine.ini");
}

StoredMachine LoadMachineProfile() {
  StoredMachine stored;
  QFile file(MachineProfilePath());
  if (!file.exists()) return stored;
  if (!file.open(QIODevice::ReadOnly)) {
    stored.error = QStringLiteral("machine.ini: не удалось прочитать файл (%1)").arg(file.errorString());
    return stored;
  }
  if (file.size() > kMaxProfileBytes) {
    stored.error = QStringLiteral("machine.ini: файл слишком велик для профиля станка");
    return stored;
  }
  const QByteArray bytes = file.readAll();
  const MachineProfileReading reading =
      ParseMachineProfile(std::string_view(bytes.constData(), bytes.size()));
  if (!reading.profile) {
    stored.error = QStringLiteral("machine.ini, ") + QString::fromStdString(MachineProfileErrorText(reading));
    return stored;
  }
  stored.profile = *reading.profile;
  stored.saved = true;
  return stored;
}

MachineDialog::MachineDialog(const StoredMachine& stored, const WindowChoice& choice, QWidget* parent)
    : QDialog(parent), m_choice(choice) {
  setObjectName(QStringLiteral("MachineDialog"));
  setWindowTitle(QString::fromUtf8(kMachineTitle));
  const MachineProfile defaults;
  auto* columns = new QHBoxLayout;
  for (const auto& keys : {std::span<const KeyText>(kKeys), std::span<const KeyText>(kPassKeys)}) {
    auto* form = new QFormLayout;
    for (const KeyText& k : keys) {
      auto* edit = new QLineEdit(this);
      edit->setObjectName(QString::fromLatin1(k.key));
      const QString fallback = ValueOf(defaults, k.key);
      edit->setPlaceholderText(!fallback.isEmpty() ? fallback + QStringLiteral(" (по умолчанию)")
                                                   : QStringLiteral("не задан: не проверяется"));
      if (stored.saved) edit->setText(ValueOf(stored.profile, k.key));
      form->addRow(QString::fromUtf8(k.label), edit);
      m_fields.push_back({k.key, edit, QString::fromUtf8(k.label)});
    }
    columns->addLayout(form);
  }
  m_state = new QLabel(this);
  m_state->setObjectName(QStringLiteral("State"));
  m_state->setWordWrap(true);
  if (!stored.error.isEmpty()) {
    m_state->setText(QStringLiteral("Профиль не прочитан, действуют значения по умолчанию: ") + stored.error);
  } else if (stored.saved) {
    m_state->setText(QStringLiteral("Профиль: ") + QDir::toNativeSeparators(MachineProfilePath()));
  } else {
    m_state->setText(QStringLiteral("Профиль не сохранён: действуют значения по умолчанию."));
  }
  m_error = ErrorLabel(this);
  QDialogButtonBox* buttons = AcceptCancelButtons(this, QStringLiteral("Сохранить"), QStringLiteral("Save"),
                                                  false, [this] { Save(); });

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_state);
  layout->addLayout(columns);
  auto* passes = new QLabel(
      QStringLiteral("Проходы новых программ (сохраняются с профилем): ") + PassSummary(choice.passes) +
          (choice.roughFirst ? QStringLiteral("; в задании сначала все черновые") : QString()),
      this);
  passes->setObjectName(QStringLiteral("Passes"));
  passes->setWordWrap(true);
  layout->addWidget(passes);
  layout->addWidget(new QLabel(
      QStringLiteral(
          "Пустое поле — значение по умолчанию; ход осей без значения не проверяется.\n"
          "Коды обрезки и заправки — слово M с номером до 999 (M00, M01, M21…), не конец программы."),
      this));
  layout->addWidget(m_error);
  layout->addWidget(buttons);
}

void MachineDialog::Save() {
  // The fields become a profile text and go through the same reader as the file, so the dialog and
  // scripts agree on what a profile may hold.
  std::string text = "[machine]\n";
  std::vector<const Field*> atLine = {nullptr, nullptr};  // line numbers from 1; line 1 is the section
  for (const Field& f : m_fields) {
    const QString value = TypedNumber(f.edit->text());
    if (value.isEmpty()) continue;
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char(';'))) {
      m_error->setText(QStringLiteral("«%1»: значение не число").arg(f.label));
      m_error->show();
      f.edit->setFocus();
      return;
    }
    text += std::string(f.key) + " = " + value.toStdString() + "\n";
    atLine.push_back(&f);
  }
  const MachineProfileReading reading = ParseMachineProfile(text);
  if (!reading.profile) {
    const Field* field = reading.line > 0 && static_cast<std::size_t>(reading.line) < atLine.size()
                             ? atLine[reading.line]
                             : nullptr;
    m_error->setText(field
                         ? QStringLiteral("«%1»: %2").arg(field->label, QString::fromStdString(reading.error))
                         : QString::fromStdString(reading.error));
    m_error->show();
    if (field) field->edit->setFocus();
    return;
  }
  MachineProfile profile = *reading.profile;
  profile.passes = m_choice.passes;
  profile.roughFirst = m_choice.roughFirst;
  const QString path = MachineProfilePath();
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
    m_error->setText(QStringLiteral("Не удалось создать папку «%1»")
                         .arg(QDir::toNativeSeparators(QFileInfo(path).absolutePath())));
    m_error->show();
    return;
  }
  const SaveResult saved =
      ReplaceFileContents(QFile::encodeName(path).toStdString(), MachineProfileText(profile));
  if (!saved.Saved()) {
    m_error->setText(QString::fromStdString(saved.message));
    m_error->show();
    return;
  }
  m_saved = profile;
  accept();
}

}  // namespace kalmoro
