#pragma once

#include <string_view>

#include "holes/GenResult.h"
#include "nc/PassOptions.h"

namespace kalmoro {

inline constexpr const char* kMsgConeHeight = "Введите Высоту";
inline constexpr const char* kMsgConeLower = "Нижний диаметр не должен быть равен нулю.";
inline constexpr const char* kMsgConeUpper = "Верхний диаметр не должен быть равен нулю.";
inline constexpr const char* kMsgConeAngle = "Слишком большой угол";

// Conical hole: the lower circle as straight tapered blocks (chord tolerance 0.002 mm) with U/V words
// pointing to the upper circle. The texts are read as leading-number values. Besides the four checks
// above, values a program cannot carry are refused with messages of their own: a height below 0.001 mm,
// a negative upper diameter, a lower one below 0.002 mm, numbers of 1e12 mm and more, and lower
// diameters that would need more than 32767 blocks. With skims or a held slug, every pass the options ask
// for (HoleBlocks.h), the slug held at holdCode; a clockwise skim runs the chords in reverse order.
GenResult GenCone(std::string_view heightText, std::string_view lowerText, std::string_view upperText,
                  std::string_view angleText, const PassOptions& passes = {},
                  std::string_view holdCode = kDefaultStopCode);

}  // namespace kalmoro
