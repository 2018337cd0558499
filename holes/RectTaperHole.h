#pragma once

#include <string>
#include <string_view>

#include "holes/GenResult.h"
#include "nc/CornerMode.h"
#include "nc/PassOptions.h"

namespace kalmoro {

// Tapered rectangular hole: the bottom W × H with corners of radius R, a plate T thick and the full
// angle A (positive when the hole narrows upwards), the corners cylindrical or conical (TaperedRect.h).
// Written as the cone is: the setup block with the plate as the wire height, the lead-in to the middle of
// the top side with its taper, every point of the contour (corners in chords within 0.002 mm of both
// their arcs) as a straight block with taper words to its upper twin, the exit in five chords with the
// top's taper and the exit line back to no taper. The texts are read as leading-number values; what
// TaperedRectRefusal refuses is refused with its message. With skims or a held slug, every pass the
// options ask for (HoleBlocks.h), the slug held at holdCode; a clockwise skim runs the points backwards.
GenResult GenRectTaper(std::string_view widthText, std::string_view heightText, std::string_view radiusText,
                       std::string_view thicknessText, std::string_view angleText, CornerMode corners,
                       const PassOptions& passes = {}, std::string_view holdCode = kDefaultStopCode);

// The full angle that gives the top width, as the cone page writes a derived angle ("0.0#####"), from
// the texts of the bottom width, the top width and the plate; empty when the plate is 0.
std::string RectTaperAngleText(std::string_view widthText, std::string_view topWidthText,
                               std::string_view thicknessText);

// The top of the hole as a page shows derived values ("0.0##"): its width, height and corner radius.
struct RectTaperTop {
  std::string width, height, radius;
};
RectTaperTop RectTaperTopTexts(std::string_view widthText, std::string_view heightText,
                               std::string_view radiusText, std::string_view thicknessText,
                               std::string_view angleText, CornerMode corners);

}  // namespace kalmoro
