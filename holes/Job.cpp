#include "holes/Job.h"

#include <cmath>
#include <vector>

#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RectTaperHole.h"
#include "holes/RoundHole.h"
#include "nc/NcWriter.h"
#include "nc/NumberText.h"

namespace kalmoro {

GenResult GenFromHeader(const HoleHeader& header, std::string_view holdCode) {
  const PassOptions& passes = PassesOf(header);
  if (const auto* circle = std::get_if<CircleHeader>(&header))
    return GenCircle(circle->diameter, passes, holdCode, circle->relief);
  if (const auto* rect = std::get_if<RectHeader>(&header))
    return GenRect(StdText(rect->width), StdText(rect->height), StdText(rect->radius), passes, holdCode,
                   rect->relief);
  if (const auto* taper = std::get_if<RectTaperHeader>(&header))
    return GenRectTaper(StdText(taper->width), StdText(taper->height), StdText(taper->radius),
                        StdText(taper->thickness), StdText(taper->angle), taper->corners, passes, holdCode);
  const auto& cone = std::get<ConeHeader>(header);
  // The header drops the angle's sign: it is positive when the lower hole is the wider one.
  const double angle = cone.lower < cone.upper ? -cone.angle : cone.angle;
  return GenCone(StdText(cone.height), StdText(cone.lower), StdText(cone.upper), StdText(angle), passes,
                 holdCode);
}

GenResult GenJob(std::span<const JobHole> holes, const WireCodes& codes, bool roughFirst) {
  if (holes.empty()) return GenResult::Refusal(kMsgJobEmpty);
  if (!IsWireCode(codes.cut) || !IsWireCode(codes.thread)) return GenResult::Refusal(kMsgJobCodes);
  std::vector<JobHoleProgram> programs;
  programs.reserve(holes.size());
  for (const JobHole& hole : holes) {
    if (!(std::fabs(hole.x) <= kMaxJobPosition && std::fabs(hole.y) <= kMaxJobPosition))
      return GenResult::Refusal(kMsgJobPosition);
    programs.push_back({hole.program, hole.x, hole.y});
  }
  try {
    return GenResult::Program(WriteJob(programs, codes, roughFirst));
  } catch (const NcOverflow&) {
    return GenResult::Refusal(kMsgJobTooLarge);
  }
}

}  // namespace kalmoro
