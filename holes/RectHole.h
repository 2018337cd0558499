#pragma once

#include <optional>
#include <string_view>

#include "holes/GenResult.h"
#include "nc/PassOptions.h"
#include "nc/Relief.h"

namespace kalmoro {

inline constexpr const char* kMsgRectRange = "Введите Ширину и Высоту в диапазоне 1-999 мм";
inline constexpr const char* kMsgRectRadius = "Двойная величина радиуса превышает Ширину или Высоту";
// A corner radius the three-decimal words cannot draw: its arcs would start, end and turn at one point.
inline constexpr const char* kMsgRectRadiusSmall = "Радиус должен быть равен 0 или не меньше 0.001 мм";

// Rectangular hole centred on the start point, corners rounded with the given radius (0: sharp; a
// negative radius or one below 0.001 mm is refused); with skims or a held slug, every pass the options
// ask for (HoleBlocks.h), the slug held at holdCode. A die opening with a land gets a relief pass after
// its passes: the tapered rectangle W + 2·Below × H + 2·Below at the bottom, W − 2·Above × H − 2·Above at
// the top over the plate, its corners as ReliefCorners says, which passes through the opening's contour
// at the land's depth; the setup block then carries the plate as the wire height. ReliefRefusal's
// refusals (against the machine's full taper angle maxTaperAngle), and corners neither mode can keep.
GenResult GenRect(std::string_view widthText, std::string_view heightText, std::string_view radiusText,
                  const PassOptions& passes = {}, std::string_view holdCode = kDefaultStopCode,
                  const std::optional<Relief>& relief = std::nullopt, double maxTaperAngle = 30);

}  // namespace kalmoro
