#include "nc/NcWriter.h"

#include <gtest/gtest.h>

namespace kalmoro {
namespace {

// A writer as a generator leaves it before its lead-in: setup and G60 written, arc mode on, the
// tool at the origin.
NcWriter AfterOpening() {
  NcWriter w;
  w.GenSetup();
  w.GenFixed(FixedWord::G60);
  w.SetArcMode(true);
  return w;
}

// The text a writer holds so far, taken from a copy of it.
std::string Written(NcWriter w) {
  return w.TakeText();
}

// The text the writer appended after the given length.
std::string Appended(const NcWriter& w, std::size_t from) {
  return Written(w).substr(from);
}

TEST(NcWriter, HeaderSetupAndFixedBlocks) {
  NcWriter w;
  w.GenHeader(RectHeader{12.5, 7, 0});
  w.GenSetup(2.1234);
  w.GenFixed(FixedWord::G60);
  w.GenFixed(FixedWord::CompensationLeft);
  w.GenFixed(FixedWord::CompensationOff);
  w.GenFixed(FixedWord::ProgramEnd);
  EXPECT_EQ(Written(w),
            "%(RECTANGLE: W=12.5:H=7:R=0)\r\n"
            "N1G92X0.000Y0.000W0.000R2.123\r\n"
            "N2G60\r\nN3G41\r\nN4G40\r\nN5M02\r\n");
  NcWriter circle;
  circle.GenHeader(CircleHeader{"010."});
  circle.GenHeader(ConeHeader{1.5, 0.8, 2, 5.72481});
  circle.GenSetup();
  EXPECT_EQ(Written(circle),
            "%(CIRCLE: D010.)\r\n%(CONE: D-DOWN=1.5:D-UP=0.8:H=2:ANG=5.72481)\r\nN1G92X0.000Y0.000\r\n");
}

TEST(NcWriter, HeaderRefusesTextThatWouldEndTheComment) {
  for (const char* text : {"10)", "10\r\nM02", "10\n", "(10", "1\t0"}) {
    NcWriter w;
    EXPECT_THROW(w.GenHeader(CircleHeader{text}), std::invalid_argument) << "text " << text;
    EXPECT_EQ(Written(w), "") << "nothing written for " << text;
  }
}

TEST(NcWriter, SetupRestartsNumbering) {
  NcWriter w = AfterOpening();
  const std::size_t start = Written(w).size();
  w.GenFixed(FixedWord::CompensationLeft);
  w.GenSetup();
  w.GenFixed(FixedWord::G60);
  EXPECT_EQ(Appended(w, start), "N3G41\r\nN1G92X0.000Y0.000\r\nN2G60\r\n");
  EXPECT_EQ(w.BlockNum(), 2);
}

TEST(GenL, MoveToLastPointIsDroppedWithoutUsingANumber) {
  NcWriter w = AfterOpening();
  const std::size_t start = Written(w).size();
  w.GenL(0, 5, true);
  EXPECT_EQ(Appended(w, start), "N3G01X0.000Y5.000\r\n");
  w.GenL(0, 5, true);
  EXPECT_EQ(Appended(w, start), "N3G01X0.000Y5.000\r\n")
      << "a move to where the tool stands must write nothing";
  EXPECT_EQ(w.BlockNum(), 3);
  w.GenL(0, 0, true);
  EXPECT_EQ(Appended(w, start), "N3G01X0.000Y5.000\r\nN4X0.000Y0.000\r\n") << "G01 is modal: written once";
}

TEST(GenL, MoveToTheOriginFromTheStartIsDropped) {
  NcWriter w = AfterOpening();
  const std::string before = Written(w);
  w.GenL(0, 0, true);
  w.GenL(-0.0, 0, true);  // negative zero equals zero
  EXPECT_EQ(Written(w), before);
  EXPECT_EQ(w.BlockNum(), 2);
}

TEST(GenA, ModalWordsSwitchBetweenArcAndLine) {
  NcWriter w;
  w.GenL(1, 0, true);  // arc mode off: no G01
  w.GenA(0, 1, 0, 0, true);
  w.GenA(-1, 0, 0, 0, true);
  w.GenL(-1, -1, true);
  w.GenA(-1, -1, 0, 0, false);  // an arc to the point where the tool stands is still written
  w.EndWithD0();
  EXPECT_EQ(Written(w),
            "N1X1.000Y0.000\r\n"
            "N2G03X0.000Y1.000I0.000J0.000\r\n"
            "N3X-1.000Y0.000I0.000J0.000\r\n"
            "N4G01X-1.000Y-1.000\r\n"
            "N5G03X-1.000Y-1.000I0.000J0.000 D0\r\n");
  const std::size_t end = Written(w).size();
  w.GenL(-1, -1, true);
  EXPECT_EQ(Appended(w, end), "") << "the arc's end is where the tool stands";
}

TEST(GenLU, TaperWordsFollowEvenWhenTheMoveIsDropped) {
  NcWriter w = AfterOpening();
  const std::size_t start = Written(w).size();
  w.GenLU(0, 0.5, 0, -0.1, true);
  w.GenLU(0, 0.5, 0.25, -0.125, true);
  w.GenLU(0, 0.5, 1, 2, false);
  EXPECT_EQ(Appended(w, start),
            "N3G01X0.000Y0.500U0.000V-0.100\r\n"
            "U0.250V-0.125\r\n"
            "U1.000V2.000");
  EXPECT_EQ(w.BlockNum(), 3);
}

TEST(NcWriter, OverflowAt32767LeavesEverythingAsItWas) {
  NcWriter w;
  for (int n = 0; n < NcWriter::kMaxBlockNum; ++n) w.GenFixed(FixedWord::G60);
  const std::string full = Written(w);
  ASSERT_TRUE(full.ends_with("N32766G60\r\nN32767G60\r\n")) << "numbers up to 32767 are written";
  EXPECT_THROW(w.GenFixed(FixedWord::ProgramEnd), NcOverflow);
  EXPECT_EQ(w.BlockNum(), 32767);
  EXPECT_THROW(w.GenL(1, 1, true), NcOverflow);
  EXPECT_THROW(w.GenLU(1, 1, 0, 0, true), NcOverflow);
  EXPECT_THROW(w.GenA(1, 1, 0, 0, true), NcOverflow);
  EXPECT_EQ(Written(w), full) << "a refused block must append nothing";
  w.GenSetup();
  w.GenL(1, 1, true);
  EXPECT_EQ(Appended(w, full.size()), "N1G92X0.000Y0.000\r\nN2X1.000Y1.000\r\n")
      << "a restart numbers from 1 again; the refused moves neither moved the tool nor set arc mode";
}

}  // namespace
}  // namespace kalmoro
