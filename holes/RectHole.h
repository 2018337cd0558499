#pragma once

#include <string_view>

#include "holes/GenResult.h"

namespace kalmoro {

inline constexpr const char* kMsgRectRange = "Введите Ширину и Высоту в диапазоне 1-999 мм";
inline constexpr const char* kMsgRectRadius = "Двойная величина радиуса превышает Ширину или Высоту";

// Rectangular hole centred on the start point, corners rounded with the given radius (0: sharp).
GenResult GenRect(std::string_view widthText, std::string_view heightText, std::string_view radiusText);

}  // namespace kalmoro
