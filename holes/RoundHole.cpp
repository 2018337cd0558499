#include "holes/RoundHole.h"

#include <string>

#include "HoleBlocks.h"
#include "nc/NumberText.h"

namespace kalmoro {

GenResult GenCircle(std::string_view diameterText) {
  const double r = LeadingValue(diameterText) / 2;
  if (!(r >= 1.0 / 2 && r <= 999.0 / 2)) return GenResult::Refusal(kMsgDiameterRange);
  if (!FitsHeaderComment(diameterText)) return GenResult::Refusal(kMsgDiameterText);

  NcWriter w;
  w.GenHeader(CircleHeader{std::string(diameterText)});
  WriteOpening(w);
  w.GenL(0, r, true);
  w.GenFixed(FixedWord::CompensationLeft);
  w.GenA(-r, 0, 0, 0, false);
  w.EndWithD0();
  w.GenA(0, -r, 0, 0, true);
  w.GenA(r, 0, 0, 0, true);
  w.GenA(0, r, 0, 0, true);
  WriteExitArc(w, r);
  WriteClosing(w);
  return GenResult::Program(w.TakeText());
}

}  // namespace kalmoro
