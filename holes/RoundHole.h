#pragma once

#include <string_view>

#include "holes/GenResult.h"
#include "nc/NcWriter.h"

namespace kalmoro {

inline constexpr const char* kMsgDiameterRange = "Введите диаметр в диапазоне 1-999 мм";

// Round hole of the diameter the text holds: lead-in from the centre to the top of the circle, four
// counter-clockwise quarter arcs with left compensation, exit arc of radius 0.35, return to the centre.
GenResult GenCircle(NcWriter& writer, std::string_view diameterText);

}  // namespace kalmoro
