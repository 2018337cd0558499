#include "holes/RoundHole.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "TestText.h"

namespace kalmoro {
namespace {

TEST(GenCircle, DiameterTenByteForByte) {
  const GenResult result = GenCircle("10");
  ASSERT_TRUE(result.Ok()) << result.error;
  EXPECT_EQ(result.program, test::Listing("circle-d10.iso"));
}

struct LineCase {
  const char* diameter;
  std::vector<std::pair<std::size_t, std::string>> lines;  // index from 0, text
};

TEST(GenCircle, BoundsAndHeaderKeepTheFieldText) {
  const LineCase cases[] = {
      {"1", {{3, "N3G01X0.000Y0.500"}, {9, "N9X-0.350Y0.150I0.000J0.150"}, {10, "N10G01X-0.350Y0.000"}}},
      {"999", {{9, "N9X-0.350Y499.150I0.000J499.150"}, {13, "N13M02"}}},
      {"10.", {{0, "%(CIRCLE: D10.)"}, {3, "N3G01X0.000Y5.000"}}},
      {"010", {{0, "%(CIRCLE: D010)"}, {5, "N5G03X-5.000Y0.000I0.000J0.000 D0"}}},
      {"10.0005", {{0, "%(CIRCLE: D10.0005)"}, {3, "N3G01X0.000Y5.000"}}},
      {"2.5", {{5, "N5G03X-1.250Y0.000I0.000J0.000 D0"}}},
  };
  for (const auto& c : cases) {
    const GenResult result = GenCircle(c.diameter);
    ASSERT_TRUE(result.Ok()) << c.diameter;
    const auto lines = test::Lines(result.program);
    ASSERT_EQ(lines.size(), 14u) << c.diameter;
    for (const auto& [index, text] : c.lines) EXPECT_EQ(lines[index], text) << "diameter " << c.diameter;
  }
}

TEST(GenCircle, RefusalsCarryTheirMessageAndNoProgram) {
  const std::string tooLong(400, '9');
  const struct {
    std::string text;
    const char* message;
  } cases[] = {
      {"", kMsgDiameterRange},
      {"0", kMsgDiameterRange},
      {"0.99", kMsgDiameterRange},
      {"999.01", kMsgDiameterRange},
      {"1000", kMsgDiameterRange},
      {".", kMsgDiameterRange},
      {tooLong, kMsgDiameterRange},
      // The header repeats the text: nothing may end the comment or the line early.
      {"10)\r\nM02\r\n(", kMsgDiameterText},
      {"10\n", kMsgDiameterText},
      {"10(", kMsgDiameterText},
  };
  for (const auto& c : cases) {
    const GenResult result = GenCircle(c.text);
    EXPECT_EQ(result.error, c.message) << "'" << c.text << "'";
    EXPECT_EQ(result.program, "") << "a refusal carries no program";
  }
}

}  // namespace
}  // namespace kalmoro
