#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "holes/GenResult.h"
#include "nc/HoleHeader.h"
#include "nc/NcWriter.h"
#include "nc/Relief.h"

// The blocks every hole program shares: the opening after the header, and each pass — the lead-in from
// the centre, compensation on, the contour (with the slug held in the rough pass), the exit back into the
// hole, compensation off, the return to the centre.
namespace kalmoro {

// Radius of the exit arc and distance of the exit line from the Y axis, in mm.
inline constexpr double kExitRadius = 0.35;

// One move of a hole's contour, which runs counter-clockwise from the top point (0, top) and back to it:
// straight, or an arc about (i, j); u, v are a cone's taper words at its end.
struct ContourStep {
  bool arc = false;
  double x = 0, y = 0;
  double i = 0, j = 0;
  double u = 0, v = 0;
};

struct HoleContour {
  double top = 0;
  std::vector<ContourStep> steps;
  // A cone: every move carries taper words; the lead-in sets the top point's (topU, topV), and the exit
  // arc is five chords whose upper twin, on the circle of upperTop, keeps that taper.
  bool tapered = false;
  double topU = 0, topV = 0;
  double upperTop = 0;
  std::optional<double> wireHeight;  // the setup block's R word
  std::size_t bytesPerPass = 1024;   // room to reserve for the text of one pass
};

// The length of the contour on the lower path (X, Y), in mm.
double ContourLength(const HoleContour& contour);

// The whole program: the header line, the opening, every pass the header's options ask for (each after
// its comment when there are skims; a clockwise skim with G02 and G42, its moves in reverse order and its
// exit mirrored; register Dk on its first contour block), the rough pass held at the stop with holdCode,
// then, for a die opening with a land, the relief pass (after its comment, counter-clockwise, with the
// last pass's register, so that it pivots on the finished land), and M02. Refuses the options
// PassOptionsError refuses, a stop not shorter than the contour by kMinStop, and a program of more than 32767
// blocks.
GenResult WriteHoleProgram(const HoleHeader& header, const HoleContour& contour, std::string_view holdCode,
                           const HoleContour* relief = nullptr);

// The contour of a cone of the given diameters (lower at least 0.002 mm) over a height: the lower
// circle in straight blocks a chord tolerance of 0.002 mm from it, each with taper words to the upper
// circle. Nothing when the lower circle needs more blocks than a program holds.
std::optional<HoleContour> ConeContour(double lower, double upper, double height);

// The contour of a tapered rectangle TaperedRectRefusal accepts: its corners in chords within 0.002 mm
// of their lower and upper arcs, every point with taper words to its upper twin.
struct TaperedRect;
HoleContour TaperedContour(const TaperedRect& rect);

// The relief pass's contour of a die opening (round: `width` is its diameter): the cone, or the tapered
// rectangle with the corners ReliefCorners gives, through the opening's contour at the land's depth. Or
// the refusal: ReliefRefusal's, corners neither mode keeps, a contour of too many blocks.
std::variant<HoleContour, std::string> ReliefHoleContour(double width, double height, double radius,
                                                         bool round, const Relief& relief,
                                                         double maxTaperAngle);

}  // namespace kalmoro
