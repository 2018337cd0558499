#pragma once

#include <QString>

#include "check/MachineCheck.h"
#include "check/ProgramReader.h"

// The preview's line on the time of each pass, for a program whose holes are cut in more than one pass.
namespace kalmoro {

// "Проходы: 1 (D0) ≈ 2.4 мин · 2 (D1) ≈ 1.2 мин · освобождение (D1) ≈ 2.5 мин · всего ≈ 6.1 мин": each pass
// by its number, summed over the holes of a job; empty when every hole is cut in one pass.
QString PassTimesText(const ProgramReading& reading, const CuttingTime& time);

}  // namespace kalmoro
