#include "holes/RectHole.h"

#include "HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The smallest corner radius whose arcs keep a radius in words of three decimals.
constexpr double kMinRadius = 0.001;

}  // namespace

GenResult GenRect(std::string_view widthText, std::string_view heightText, std::string_view radiusText) {
  const double width = LeadingValue(widthText);
  const double height = LeadingValue(heightText);
  const double r = LeadingValue(radiusText);
  if (!(width >= 1 && height >= 1 && width <= 999 && height <= 999)) return GenResult::Refusal(kMsgRectRange);
  if (r != 0 && !(r >= kMinRadius)) return GenResult::Refusal(kMsgRectRadiusSmall);
  if (!(2 * r <= height && 2 * r <= width)) return GenResult::Refusal(kMsgRectRadius);

  NcWriter w;
  w.GenHeader(RectHeader{width, height, r});
  WriteOpening(w);

  const double hw = width / 2;
  const double hh = height / 2;
  const bool corners = r != 0;
  w.GenL(0, hh, true);
  w.GenFixed(FixedWord::CompensationLeft);
  // " D0" goes on the first contour block written. The move along the top side vanishes when
  // 2·R = W; the top-left corner arc, always written then, carries it instead.
  const auto numberBefore = w.BlockNum();
  w.GenL(-(hw - r), hh, false);
  if (w.BlockNum() != numberBefore) {
    w.EndWithD0();
    if (corners) w.GenA(-hw, hh - r, -(hw - r), hh - r, true);
  } else {
    w.GenA(-hw, hh - r, -(hw - r), hh - r, false);
    w.EndWithD0();
  }
  w.GenL(-hw, -(hh - r), true);
  if (corners) w.GenA(-(hw - r), -hh, -(hw - r), -(hh - r), true);
  w.GenL(hw - r, -hh, true);
  if (corners) w.GenA(hw, -(hh - r), hw - r, -(hh - r), true);
  w.GenL(hw, hh - r, true);
  if (corners) w.GenA(hw - r, hh, hw - r, hh - r, true);
  w.GenL(0, hh, true);
  WriteExitArc(w, hh);
  WriteClosing(w);
  return GenResult::Program(w.TakeText());
}

}  // namespace kalmoro
