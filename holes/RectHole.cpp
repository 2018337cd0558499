#include "holes/RectHole.h"

#include <string>

#include "holes/HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {

GenResult GenRect(NcWriter& w, std::string_view widthText, std::string_view heightText,
                  std::string_view radiusText) {
  w.SetLastPoint(0, 0);
  const double width = LeadingValue(widthText);
  const double height = LeadingValue(heightText);
  const double r = LeadingValue(radiusText);
  if (!(width >= 1 && height >= 1 && width <= 999 && height <= 999)) return GenResult::Refusal(kMsgRectRange);
  if (!(2 * r <= height && 2 * r <= width)) return GenResult::Refusal(kMsgRectRadius);

  NcWriter p = w.StartProgram("%(RECTANGLE: W=" + StdText(width) + ":H=" + StdText(height) +
                              ":R=" + StdText(r) + ")\r\n");
  WriteOpening(p, "G92X0.000Y0.000");

  const double hw = width / 2;
  const double hh = height / 2;
  const bool corners = r != 0;
  p.GenL(0, hh, true);
  WriteFixedBlock(p, "G41");
  // " D0" goes on the first contour block written. The move along the top side vanishes when
  // 2·R = W; the top-left corner arc, always written then, carries it instead.
  const auto numberBefore = p.BlockNum();
  p.GenL(-(hw - r), hh, false);
  if (p.BlockNum() != numberBefore) {
    p.Append(" D0\r\n");
    if (corners) p.GenA(-hw, hh - r, -(hw - r), hh - r, true);
  } else {
    p.GenA(-hw, hh - r, -(hw - r), hh - r, false);
    p.Append(" D0\r\n");
  }
  p.GenL(-hw, -(hh - r), true);
  if (corners) p.GenA(-(hw - r), -hh, -(hw - r), -(hh - r), true);
  p.GenL(hw - r, -hh, true);
  if (corners) p.GenA(hw, -(hh - r), hw - r, -(hh - r), true);
  p.GenL(hw, hh - r, true);
  if (corners) p.GenA(hw - r, hh, hw - r, hh - r, true);
  p.GenL(0, hh, true);
  WriteExitArc(p, hh);
  WriteClosing(p);
  w = std::move(p);
  return GenResult::Program(w.Text());
}

}  // namespace kalmoro
