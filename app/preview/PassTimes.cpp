#include "app/preview/PassTimes.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <string>

#include "app/preview/PassStyle.h"
#include "app/preview/ScenePass.h"

namespace kalmoro {
namespace {

QString About(double minutes) {
  const QString text = QString::fromStdString(MinutesText(minutes));
  return (text.startsWith(QLatin1Char('<')) ? QString() : QStringLiteral("≈ ")) + text +
         QStringLiteral(" мин");
}

}  // namespace

QString PassTimesText(const ProgramReading& reading, const CuttingTime& time) {
  const bool apart = std::any_of(reading.passes.begin(), reading.passes.end(),
                                 [](const PassReading& p) { return p.count > 1 || p.relief; });
  if (!apart) return {};
  // Each style of pass with the minutes of all its holes, and the register of the first of them.
  std::array<double, kPassStyles> minutes{};
  std::array<int, kPassStyles> registers{};
  std::array<bool, kPassStyles> present{};
  for (const PassTime& t : time.passes) {
    if (t.pass >= reading.passes.size()) continue;
    const PassReading& p = reading.passes[t.pass];
    ScenePass pass;
    pass.number = p.number;
    pass.relief = p.relief;
    const auto style = static_cast<std::size_t>(PassStyleOf(pass));
    minutes[style] += t.Total();
    if (!present[style]) registers[style] = (p.relief ? p.count : p.number) - 1;
    present[style] = true;
  }
  QStringList parts;
  for (std::size_t style = 1; style < kPassStyles; ++style) {
    if (!present[style]) continue;
    const QString d = QString::fromStdString("D" + std::to_string(registers[style]));
    const QString name = static_cast<int>(style) == kPassStyles - 1
                             ? QStringLiteral("освобождение")
                             : QString::fromStdString(std::to_string(style));
    parts << QStringLiteral("%1 (%2) %3").arg(name, d, About(minutes[style]));
  }
  return QStringLiteral("Проходы: ") + parts.join(QStringLiteral(" · ")) + QStringLiteral(" · всего ") +
         About(time.Total());
}

}  // namespace kalmoro
