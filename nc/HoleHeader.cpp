#include "nc/HoleHeader.h"

#include "nc/NcGrammar.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

struct CommentText {
  std::string operator()(const CircleHeader& h) const {
    std::string text(grammar::kCircleHeader);
    text += h.diameter;
    return text;
  }
  std::string operator()(const RectHeader& h) const {
    std::string text(grammar::kRectHeader);
    text += grammar::kRectWidth;
    text += StdText(h.width);
    text += grammar::kRectHeight;
    text += StdText(h.height);
    text += grammar::kRectRadius;
    text += StdText(h.radius);
    return text;
  }
  std::string operator()(const ConeHeader& h) const {
    std::string text(grammar::kConeHeader);
    text += grammar::kConeLower;
    text += StdText(h.lower);
    text += grammar::kConeUpper;
    text += StdText(h.upper);
    text += grammar::kConeHeight;
    text += StdText(h.height);
    text += grammar::kConeAngle;
    text += StdText(h.angle);
    return text;
  }
};

}  // namespace

std::string HeaderLine(const HoleHeader& header) {
  std::string line(grammar::kHeaderOpen);
  line += std::visit(CommentText{}, header);
  line += grammar::kHeaderClose;
  return line;
}

bool FitsHeaderComment(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || c == '(' || c == ')') return false;
  }
  return true;
}

}  // namespace kalmoro
