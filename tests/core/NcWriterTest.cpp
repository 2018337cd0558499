#include "nc/NcWriter.h"

#include <gtest/gtest.h>

namespace kalmoro {
namespace {

// A writer in the state a generator leaves before its lead-in: two blocks written, arc mode on.
NcWriter AfterTwoBlocks(NumberFormat format = kPointFormat) {
  NcWriter w(format);
  w.SetBlockNum(2);
  w.SetArcMode(true);
  w.SetLastPoint(0, 0);
  return w;
}

TEST(GenN, FistRestartsNumbering) {
  NcWriter w;
  w.SetBlockNum(117);
  w.GenN(true);
  w.GenN(false);
  EXPECT_EQ(w.Text(), "N1N2");
  EXPECT_EQ(w.BlockNum(), 2);
}

TEST(GenL, MoveToLastPointIsDroppedWithoutUsingANumber) {
  NcWriter w = AfterTwoBlocks();
  w.GenL(0, 5, true);
  EXPECT_EQ(w.Text(), "N3G01X0.000Y5.000\r\n");
  w.GenL(0, 5, true);
  EXPECT_EQ(w.Text(), "N3G01X0.000Y5.000\r\n") << "a move to where the tool stands must write nothing";
  EXPECT_EQ(w.BlockNum(), 3);
  w.GenL(0, 0, true);
  EXPECT_EQ(w.Text(), "N3G01X0.000Y5.000\r\nN4X0.000Y0.000\r\n") << "G01 is modal: written once";
}

TEST(GenL, DroppedAfterResetToOrigin) {
  NcWriter w = AfterTwoBlocks();
  w.SetLastPoint(0, 0);
  w.GenL(0, 0, true);
  w.GenL(-0.0, 0, true);  // negative zero equals zero
  EXPECT_EQ(w.Text(), "");
  EXPECT_EQ(w.BlockNum(), 2);
}

TEST(GenA, ModalWordsSwitchBetweenArcAndLine) {
  NcWriter w;
  w.GenL(1, 0, true);  // arc mode off: no G01
  w.GenA(0, 1, 0, 0, true);
  w.GenA(-1, 0, 0, 0, true);
  w.GenL(-1, -1, true);
  w.GenA(-1, -1, 0, 0, true);  // an arc to the point where the tool stands is still written
  EXPECT_EQ(w.Text(),
            "N1X1.000Y0.000\r\n"
            "N2G03X0.000Y1.000I0.000J0.000\r\n"
            "N3X-1.000Y0.000I0.000J0.000\r\n"
            "N4G01X-1.000Y-1.000\r\n"
            "N5G03X-1.000Y-1.000I0.000J0.000\r\n");
  EXPECT_EQ(w.LastX(), -1);
  EXPECT_EQ(w.LastY(), -1);
}

TEST(GenLU, TaperWordsFollowEvenWhenTheMoveIsDropped) {
  NcWriter w = AfterTwoBlocks();
  w.GenLU(0, 0.5, 0, -0.1, true);
  w.GenLU(0, 0.5, 0.25, -0.125, true);
  w.GenLU(0, 0.5, 1, 2, false);
  EXPECT_EQ(w.Text(),
            "N3G01X0.000Y0.500U0.000V-0.100\r\n"
            "U0.250V-0.125\r\n"
            "U1.000V2.000");
  EXPECT_EQ(w.BlockNum(), 3);
}

TEST(GenN, OverflowAt32767LeavesEverythingAsItWas) {
  NcWriter w;
  w.SetBlockNum(32766);
  w.GenN(false);
  EXPECT_EQ(w.Text(), "N32767");
  EXPECT_THROW(w.GenN(false), NcOverflow);
  EXPECT_EQ(w.Text(), "N32767");
  EXPECT_EQ(w.BlockNum(), 32767);
  EXPECT_THROW(w.GenL(1, 1, true), NcOverflow);
  EXPECT_THROW(w.GenA(1, 1, 0, 0, true), NcOverflow);
  EXPECT_EQ(w.Text(), "N32767") << "a refused block must append nothing";
  EXPECT_EQ(w.LastX(), 0);
  w.GenN(true);
  EXPECT_EQ(w.Text(), "N32767N1");
}

TEST(GenA, CommaFormatRendersCoordinatesWithComma) {
  NcWriter w(kCommaFormat);
  w.GenA(-5, 0, 0, 0, true);
  EXPECT_EQ(w.Text(), "N1G03X-5,000Y0,000I0,000J0,000\r\n");
}

TEST(Coord, RoundingRules) {
  NcWriter w;
  EXPECT_EQ(w.Coord(-0.0), "0.000");
  EXPECT_EQ(w.Coord(-1e-16), "-0.000");
  EXPECT_EQ(w.Coord(0.0005), "0.001");
  EXPECT_EQ(w.Coord(2.0625), "2.063");
  EXPECT_EQ(w.Coord(-2.0625), "-2.063");
  EXPECT_EQ(w.Coord(1.0005), "1.001") << "half-way is decided on the 15-digit text, not the binary value";
}

}  // namespace
}  // namespace kalmoro
