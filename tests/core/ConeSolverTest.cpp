#include "fields/ConeSolver.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace kalmoro {

// Given or derived, in failure messages.
void PrintTo(ConeSource source, std::ostream* os) {
  *os << (source == ConeSource::Given ? "given" : "derived");
}

namespace {

using F = ConeField;

// What the user does in a cone field.
enum class Act {
  Type,      // keys one by one, each appending its character to the text, each with a key release
  TypeOver,  // the same into the selected whole text: the first key replaces it
  Erase,     // the whole text deleted with one key
  Release,   // a key that leaves the text as it is (an arrow key)
  Paste,     // the text replaced with the mouse: no key release
};

struct Action {
  Act act;
  F field;
  std::string text = {};
};

using Script = std::vector<Action>;

Script operator+(Script a, const Script& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Selects the whole text of a field and types a new one over it.
Script Set(F field, const std::string& text) {
  return {{Act::TypeOver, field, text}};
}

// A disabled angle field takes no typing, no paste and sends no key releases.
void Perform(PlainConeFields& fields, const Action& action) {
  if (action.field == F::Ang && !fields.AngEnabled()) return;
  switch (action.act) {
    case Act::Type:
    case Act::TypeOver:
      for (std::size_t i = 0; i < action.text.size(); ++i) {
        const bool replace = action.act == Act::TypeOver && i == 0;
        fields.SetText(action.field, (replace ? std::string() : fields.Text(action.field)) + action.text[i]);
        OnConeKeyRelease(fields, action.field);
      }
      break;
    case Act::Erase:
      fields.SetText(action.field, "");
      OnConeKeyRelease(fields, action.field);
      break;
    case Act::Release:
      OnConeKeyRelease(fields, action.field);
      break;
    case Act::Paste:
      fields.SetText(action.field, action.text);
      break;
  }
}

// The state expected after a script; unset members are not checked.
struct Want {
  std::optional<std::string> h = {}, dUp = {}, dDown = {}, ang = {};
  std::optional<ConeSource> hColor = {}, dUpColor = {}, dDownColor = {}, angColor = {};
  std::optional<bool> angEnabled = {};
  std::optional<ConePicture> picture = {};
};

struct SolverCase {
  const char* name;
  Script script;
  Want want;
};

const ConeSource kGiven = ConeSource::Given;
const ConeSource kAuto = ConeSource::Derived;
const std::string kHuge(400, '9');  // beyond the range of a double: no full conversion

const Script kLower20Upper10Height50 = Set(F::DDown, "20") + Set(F::DUp, "10") + Set(F::H, "50");
// Lower diameter and height given, upper diameter automatic, angle open.
const Script kLower10Height10 = Set(F::DDown, "10") + Set(F::H, "10");

const SolverCase kCases[] = {
    {"StartState", {}, {"0", "0", "0", "0", kAuto, kAuto, kAuto, kAuto, true, ConePicture::None}},
    {"LowerFirstKey",
     Set(F::DDown, "2"),
     {.dDown = "2",
      .ang = "0.0",
      .dDownColor = kGiven,
      .angColor = kAuto,
      .angEnabled = true,
      .picture = ConePicture::UpperNarrower}},
    {"LowerSecondKey",
     Set(F::DDown, "20"),
     {.dDown = "20",
      .ang = "0.0",
      .dDownColor = kGiven,
      .angColor = kAuto,
      .angEnabled = true,
      .picture = ConePicture::UpperNarrower}},
    {"HeightFirstKeyDerivesAngle",
     Set(F::DDown, "20") + Set(F::DUp, "10") + Set(F::H, "5"),
     {.ang = "90.0", .angColor = kAuto, .angEnabled = false}},
    {"HeightSecondKeyDerivesAngle",
     kLower20Upper10Height50,
     {.h = "50",
      .ang = "11.421186",
      .hColor = kGiven,
      .angColor = kAuto,
      .angEnabled = false,
      .picture = ConePicture::UpperNarrower}},
    {"WideningConeNegativeAngle",
     Set(F::DDown, "10") + Set(F::DUp, "20") + Set(F::H, "50"),
     {.ang = "-11.421186", .angEnabled = false, .picture = ConePicture::UpperWider}},
    {"EqualDiameters",
     Set(F::DDown, "10") + Set(F::DUp, "10") + Set(F::H, "5"),
     {.ang = "0.0", .angEnabled = false, .picture = ConePicture::Equal}},
    {"AngleFirstKeyDerivesUpper", kLower10Height10 + Set(F::Ang, "1"), {.dUp = "10.175", .dUpColor = kAuto}},
    {"AngleSecondKeyDerivesUpper",
     kLower10Height10 + Set(F::Ang, "10"),
     {.dUp = "11.75",
      .dDown = "10",
      .dUpColor = kAuto,
      .dDownColor = kGiven,
      .angColor = kGiven,
      .angEnabled = true,
      .picture = ConePicture::UpperWider}},
    {"AngleDerivesLower",
     Set(F::DUp, "10") + Set(F::H, "10") + Set(F::Ang, "10"),
     {.dUp = "10", .dDown = "11.75", .dDownColor = kAuto, .picture = ConePicture::UpperNarrower}},
    {"NegativeAngleMakesUpperSmaller", kLower10Height10 + Set(F::Ang, "-10"), {.dUp = "8.25"}},
    {"ZeroAngleMakesUpperEqual",
     kLower10Height10 + Set(F::Ang, "5") + Set(F::Ang, "0"),
     {.dUp = "10.0", .angColor = kAuto}},
    {"NegativeDiameterLosesItsSign",
     kLower10Height10 + Set(F::Ang, "-170"),
     {.dUp = "218.601", .picture = ConePicture::UpperWider}},
    {"HeightKeyAfterDerivedUpper",
     kLower10Height10 + Set(F::Ang, "10") + Script{{Act::Release, F::H}},
     {.dUp = "11.75", .ang = "-10.001289", .angColor = kAuto, .angEnabled = false}},
    {"TypedAngleLostWhenDiameterTyped",
     Set(F::H, "10") + Set(F::Ang, "10") + Script{{Act::Type, F::DDown, "1"}},
     {.dUp = "0", .dDown = "01", .ang = "0.0", .angColor = kAuto, .angEnabled = true}},
    {"NoHeightNoDiameter",
     Set(F::DDown, "10") + Set(F::Ang, "10"),
     {.dUp = "0", .ang = "10", .angColor = kGiven}},
    {"BothDiametersAutomatic",
     Set(F::H, "10") + Set(F::Ang, "10"),
     {.dUp = "0", .dDown = "0", .ang = "10", .angColor = kGiven}},
    {"BothDiametersGiven",
     Set(F::DDown, "10") + Set(F::DUp, "20") + Script{{Act::Paste, F::H, "10"}} + Set(F::Ang, "10"),
     {.dUp = "20", .dDown = "10", .ang = "10"}},
    {"DerivedAngleTakesNoTyping",
     kLower20Upper10Height50 + Set(F::Ang, "5"),
     {.ang = "11.421186", .angEnabled = false}},
    {"EmptiedDiameterResetsAngle",
     kLower20Upper10Height50 + Script{{Act::Erase, F::DUp}},
     {.dUp = "",
      .ang = "0.0",
      .dUpColor = kAuto,
      .angColor = kAuto,
      .angEnabled = true,
      .picture = ConePicture::UpperNarrower}},
    {"EmptiedHeightResetsAngle",
     kLower20Upper10Height50 + Script{{Act::Erase, F::H}},
     {.h = "", .ang = "0.0", .hColor = kAuto, .angEnabled = true}},
    {"EmptiedAngleIsAutomatic",
     Set(F::H, "10") + Set(F::Ang, "10") + Script{{Act::Erase, F::Ang}},
     {.ang = "", .angColor = kAuto}},
    {"PasteRecomputesNothing",
     kLower20Upper10Height50 + Script{{Act::Paste, F::DUp, "30"}},
     {.dUp = "30",
      .ang = "11.421186",
      .dUpColor = kGiven,
      .angEnabled = false,
      .picture = ConePicture::UpperNarrower}},
    {"NextKeyAfterPasteRecomputes",
     kLower20Upper10Height50 + Script{{Act::Paste, F::DUp, "30"}, {Act::Release, F::DDown}},
     {.ang = "-11.421186", .picture = ConePicture::UpperWider}},
    // A step that fails leaves its value at 0 and the rest goes on.
    {"UnconvertibleHeightGivesZeroAngle",
     Set(F::DDown, "20") + Set(F::DUp, "10") + Script{{Act::Paste, F::H, kHuge}, {Act::Release, F::H}},
     {.ang = "0.0", .hColor = kGiven, .angEnabled = false}},
    {"UnconvertibleAngleGivesEqualDiameter",
     kLower10Height10 + Set(F::Ang, "5") + Set(F::Ang, "-"),
     {.dUp = "10.0", .ang = "-", .angColor = kAuto}},
    {"UnconvertibleGivenDiameterWritesNothing",
     Script{{Act::Paste, F::DDown, kHuge}, {Act::Release, F::DDown}} + Set(F::H, "10") + Set(F::Ang, "5"),
     {.dUp = "0", .dDownColor = kGiven, .angColor = kGiven}},
};

void PrintTo(const SolverCase& c, std::ostream* os) {
  *os << c.name;
}

class SolverTest : public testing::TestWithParam<SolverCase> {};

TEST_P(SolverTest, KeyByKey) {
  const SolverCase& c = GetParam();
  PlainConeFields fields;
  for (const Action& action : c.script) Perform(fields, action);

  const Want& w = c.want;
  const auto check = [&](F field, const char* label, const std::optional<std::string>& text,
                         const std::optional<ConeSource>& color) {
    if (text) {
      EXPECT_EQ(fields.Text(field), *text) << label << " text";
    }
    if (color) {
      EXPECT_EQ(fields.Source(field), *color) << label << " given or derived";
    }
  };
  check(F::H, "ConH", w.h, w.hColor);
  check(F::DUp, "ConDUp", w.dUp, w.dUpColor);
  check(F::DDown, "ConDDown", w.dDown, w.dDownColor);
  check(F::Ang, "ConAng", w.ang, w.angColor);
  if (w.angEnabled) {
    EXPECT_EQ(fields.AngEnabled(), *w.angEnabled) << "ConAng enabled state";
  }
  if (w.picture) {
    EXPECT_EQ(fields.Picture(), *w.picture) << "picture";
  }
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, SolverTest, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<SolverCase>& info) { return info.param.name; });

// Every write into a field passes the field check; only the angle keeps a sign.
TEST(PlainConeFieldsTest, WritesPassTheFieldCheck) {
  PlainConeFields fields;
  fields.SetText(F::DUp, "-218,601");
  fields.SetText(F::Ang, "1,5-");
  fields.SetText(F::H, "1a2.5.");
  EXPECT_EQ(fields.Text(F::DUp), "218.601");
  EXPECT_EQ(fields.Text(F::Ang), "-1.5");
  EXPECT_EQ(fields.Text(F::H), "12.5");
}

}  // namespace
}  // namespace kalmoro
