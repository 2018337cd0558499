#pragma once

#include <string>

#include "nc/NumberText.h"
#include "nc/Toolpath.h"

// Wording shared by the checks of a reading.
namespace kalmoro {

// A length in a message: up to three decimals, trailing zeros dropped ("0.2", "5.001").
inline std::string Num(double value) {
  return FormatNumber(value, 0, 3);
}

// "Кадр N57: " before a problem of a numbered block; nothing for a block without its number.
inline std::string BlockPrefix(const Move& m) {
  return m.block > 0 ? "Кадр N" + std::to_string(m.block) + ": " : std::string();
}

}  // namespace kalmoro
