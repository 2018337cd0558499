#include "holes/RectHole.h"

#include <gtest/gtest.h>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "TestText.h"
#include "nc/NumberText.h"

namespace kalmoro {
namespace {

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

std::string Rect(const char* w, const char* h, const char* r) {
  const GenResult result = GenRect(w, h, r);
  EXPECT_TRUE(result.Ok()) << w << " " << h << " " << r << ": " << result.error;
  return result.program;
}

TEST(GenRect, WorkedListingsByteForByte) {
  EXPECT_EQ(Rect("20", "10", "2"), test::Listing("rect-w20-h10-r2.iso"));
  EXPECT_EQ(Rect("10", "5", "0"), test::Listing("rect-w10-h5-r0.iso"));
}

TEST(GenRect, TwiceRadiusEqualsHeightJoinsCornerArcs) {
  EXPECT_EQ(Rect("20", "10", "5"),
            Join({"%(RECTANGLE: W=20:H=10:R=5)", "N1G92X0.000Y0.000", "N2G60", "N3G01X0.000Y5.000", "N4G41",
                  "N5X-5.000Y5.000 D0", "N6G03X-10.000Y0.000I-5.000J0.000", "N7X-5.000Y-5.000I-5.000J0.000",
                  "N8G01X5.000Y-5.000", "N9G03X10.000Y0.000I5.000J0.000", "N10X5.000Y5.000I5.000J0.000",
                  "N11G01X0.000Y5.000", "N12G03X-0.350Y4.650I0.000J4.650", "N13G01X-0.350Y0.000", "N14G40",
                  "N15X0.000Y0.000", "N16M02"}));
}

TEST(GenRect, TwiceRadiusEqualsWidthPutsD0OnTheFirstCornerArc) {
  // The move along the top side vanishes; " D0" must not stand alone on a line without a number.
  EXPECT_EQ(
      Rect("10", "20", "5"),
      Join({"%(RECTANGLE: W=10:H=20:R=5)", "N1G92X0.000Y0.000", "N2G60", "N3G01X0.000Y10.000", "N4G41",
            "N5G03X-5.000Y5.000I0.000J5.000 D0", "N6G01X-5.000Y-5.000", "N7G03X0.000Y-10.000I0.000J-5.000",
            "N8X5.000Y-5.000I0.000J-5.000", "N9G01X5.000Y5.000", "N10G03X0.000Y10.000I0.000J5.000",
            "N11X-0.350Y9.650I0.000J9.650", "N12G01X-0.350Y0.000", "N13G40", "N14X0.000Y0.000", "N15M02"}));
}

TEST(GenRect, SquareWithFullRadiusIsACircleOfFourArcs) {
  std::string circle = test::Listing("circle-d10.iso");
  circle.replace(0, circle.find("\r\n"), "%(RECTANGLE: W=10:H=10:R=5)");
  EXPECT_EQ(Rect("10", "10", "5"), circle) << "the blocks of the round hole of diameter 10";
}

TEST(GenRect, HeaderWritesTheNumbersReadNotTheTexts) {
  const auto lines = test::Lines(Rect("012.50", "5.", ".5"));
  EXPECT_EQ(lines[0], "%(RECTANGLE: W=12.5:H=5:R=0.5)");
  EXPECT_EQ(test::Lines(Rect("999", "1", ""))[0], "%(RECTANGLE: W=999:H=1:R=0)");
  EXPECT_EQ(test::Lines(Rect("1", "999", "."))[0], "%(RECTANGLE: W=1:H=999:R=0)");
}

TEST(GenRect, RefusalsInOrderWithNothingWritten) {
  struct Case {
    const char *w, *h, *r, *message;
  };
  const Case cases[] = {
      {"0.5", "10", "0", kMsgRectRange},
      {"10", "1000", "0", kMsgRectRange},
      {"", "5", "0", kMsgRectRange},
      {"0.999", "5", "0", kMsgRectRange},
      {"10", "999.001", "0", kMsgRectRange},
      {"0", "5", "100", kMsgRectRange},  // range before radius
      {"20", "10", "5.5", kMsgRectRadius},
      {"10", "20", "5.01", kMsgRectRadius},
      // A negative radius only a direct caller can pass; one too small for words of three decimals.
      {"20", "10", "-2", kMsgRectRadiusSmall},
      {"20", "10", "0.0009", kMsgRectRadiusSmall},
  };
  for (const auto& c : cases) {
    const GenResult result = GenRect(c.w, c.h, c.r);
    EXPECT_EQ(result.error, c.message) << c.w << " " << c.h << " " << c.r;
    EXPECT_EQ(result.program, "") << "a refusal carries no program";
  }
}

// One motion block read back: end point and, for an arc, its centre.
struct Move {
  bool arc = false;
  double x = 0, y = 0, i = 0, j = 0;
};

double Word(const std::string& line, char letter) {
  return test::Word(line, letter).value_or(NAN);
}

std::vector<Move> Moves(const std::string& program) {
  std::vector<Move> moves;
  bool arc = false;
  for (const auto& line : test::Lines(program)) {
    if (line.find("G03") != std::string::npos) arc = true;
    if (line.find("G01") != std::string::npos) arc = false;
    if (line.find('X') == std::string::npos || line.find("G92") != std::string::npos) continue;
    Move m{arc, Word(line, 'X'), Word(line, 'Y'), 0, 0};
    if (arc) {
      m.i = Word(line, 'I');
      m.j = Word(line, 'J');
    }
    moves.push_back(m);
  }
  return moves;
}

TEST(GenRect, GeometryOfManyRectangles) {
  // Every arc starts and ends at the same distance from its centre, every line is parallel to an axis,
  // the contour closes at the middle of the top side and block numbers run without gaps.
  int checked = 0;
  for (double width = 1; width <= 999; width += 37.25) {
    for (double height = 1; height <= 999; height += 53.5) {
      const double limit = std::min(width, height) / 2;
      for (const double r : {0.0, limit / 3, limit / 2, limit}) {
        const GenResult result = GenRect(StdText(width), StdText(height), StdText(r));
        ASSERT_TRUE(result.Ok()) << width << " " << height << " " << r;
        const auto lines = test::Lines(result.program);
        for (std::size_t n = 1; n < lines.size(); ++n) {
          std::string number = "N";
          number += std::to_string(n);  // (not "N" + ...: a false -Wrestrict of g++ 12)
          ASSERT_TRUE(lines[n].starts_with(number)) << result.program;
          ASSERT_TRUE(lines[n].find(' ') == std::string::npos || lines[n].ends_with(" D0"))
              << "a blank only before D0: " << lines[n];
        }
        const auto moves = Moves(result.program);
        double x = 0, y = 0;
        int arcs = 0;
        for (const auto& m : moves) {
          if (m.arc) {
            ++arcs;
            EXPECT_NEAR(std::hypot(x - m.i, y - m.j), std::hypot(m.x - m.i, m.y - m.j), 0.0015);
          } else {
            EXPECT_TRUE(std::abs(m.x - x) < 1e-9 || std::abs(m.y - y) < 1e-9) << result.program;
          }
          x = m.x;
          y = m.y;
        }
        EXPECT_EQ(arcs, r == 0 ? 1 : 5);
        EXPECT_NEAR(x, 0, 1e-9);
        EXPECT_NEAR(y, 0, 1e-9);
        const std::size_t top = moves.size() - 4;  // the last contour move, before exit arc, line, return
        EXPECT_NEAR(moves[top].x, 0, 1e-9);
        EXPECT_NEAR(moves[top].y, height / 2, 0.0006);
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 1000);
}

}  // namespace
}  // namespace kalmoro
