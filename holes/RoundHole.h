#pragma once

#include <optional>
#include <string_view>

#include "holes/GenResult.h"
#include "nc/PassOptions.h"
#include "nc/Relief.h"

namespace kalmoro {

inline constexpr const char* kMsgDiameterRange = "Введите диаметр в диапазоне 1-999 мм";
inline constexpr const char* kMsgDiameterText =
    "Диаметр содержит символы, которые нельзя записать в заголовок программы.";

// Round hole of the diameter the text holds: lead-in from the centre to the top of the circle, four
// counter-clockwise quarter arcs with left compensation, exit arc of radius 0.35, return to the centre;
// with skims or a held slug, every pass the options ask for (HoleBlocks.h), the slug held at holdCode.
// The header repeats the text as it stands, so a text with a line end, a parenthesis or a ":" (which
// would begin the passes' suffix) is refused. A die opening with a land gets a relief pass after its
// passes: the cone of lower diameter D + 2·Below and upper D − 2·Above over the plate, which passes
// through the opening's circle at the land's depth; the setup block then carries the plate as the wire
// height. ReliefRefusal's refusals, against the machine's full taper angle maxTaperAngle.
GenResult GenCircle(std::string_view diameterText, const PassOptions& passes = {},
                    std::string_view holdCode = kDefaultStopCode,
                    const std::optional<Relief>& relief = std::nullopt, double maxTaperAngle = 30);

}  // namespace kalmoro
