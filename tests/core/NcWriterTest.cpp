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

// The text the writer appended after the given length.
std::string Appended(const NcWriter& w, std::size_t from) {
  return w.Text().substr(from);
}

TEST(NcWriter, HeaderSetupAndFixedBlocks) {
  NcWriter w;
  w.GenHeader(RectHeader{12.5, 7, 0});
  w.GenSetup(2.1234);
  w.GenFixed(FixedWord::G60);
  w.GenFixed(FixedWord::CompensationLeft);
  w.GenFixed(FixedWord::CompensationOff);
  w.GenFixed(FixedWord::ProgramEnd);
  EXPECT_EQ(w.Text(),
            "%(RECTANGLE: W=12.5:H=7:R=0)\r\n"
            "N1G92X0.000Y0.000W0.000R2.123\r\n"
            "N2G60\r\nN3G41\r\nN4G40\r\nN5M02\r\n");
  NcWriter circle;
  circle.GenHeader(CircleHeader{"010."});
  circle.GenHeader(ConeHeader{1.5, 0.8, 2, 5.72481});
  circle.GenSetup();
  EXPECT_EQ(circle.Text(),
            "%(CIRCLE: D010.)\r\n%(CONE: D-DOWN=1.5:D-UP=0.8:H=2:ANG=5.72481)\r\nN1G92X0.000Y0.000\r\n");
}

TEST(NcWriter, HeaderRefusesTextThatWouldEndTheComment) {
  for (const char* text : {"10)", "10\r\nM02", "10\n", "(10", "1\t0"}) {
    NcWriter w;
    EXPECT_THROW(w.GenHeader(CircleHeader{text}), std::invalid_argument) << "text " << text;
    EXPECT_EQ(w.Text(), "") << "nothing written for " << text;
  }
}

TEST(GenN, FistRestartsNumbering) {
  NcWriter w = AfterOpening();
  w.GenN(false);
  w.GenN(true);
  w.GenN(false);
  EXPECT_EQ(Appended(w, AfterOpening().Text().size()), "N3N1N2");
  EXPECT_EQ(w.BlockNum(), 2);
}

TEST(GenL, MoveToLastPointIsDroppedWithoutUsingANumber) {
  NcWriter w = AfterOpening();
  const std::size_t start = w.Text().size();
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
  const std::string before = w.Text();
  w.GenL(0, 0, true);
  w.GenL(-0.0, 0, true);  // negative zero equals zero
  EXPECT_EQ(w.Text(), before);
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
  EXPECT_EQ(w.Text(),
            "N1X1.000Y0.000\r\n"
            "N2G03X0.000Y1.000I0.000J0.000\r\n"
            "N3X-1.000Y0.000I0.000J0.000\r\n"
            "N4G01X-1.000Y-1.000\r\n"
            "N5G03X-1.000Y-1.000I0.000J0.000 D0\r\n");
  EXPECT_EQ(w.LastX(), -1);
  EXPECT_EQ(w.LastY(), -1);
}

TEST(GenLU, TaperWordsFollowEvenWhenTheMoveIsDropped) {
  NcWriter w = AfterOpening();
  const std::size_t start = w.Text().size();
  w.GenLU(0, 0.5, 0, -0.1, true);
  w.GenLU(0, 0.5, 0.25, -0.125, true);
  w.GenLU(0, 0.5, 1, 2, false);
  EXPECT_EQ(Appended(w, start),
            "N3G01X0.000Y0.500U0.000V-0.100\r\n"
            "U0.250V-0.125\r\n"
            "U1.000V2.000");
  EXPECT_EQ(w.BlockNum(), 3);
}

TEST(GenN, OverflowAt32767LeavesEverythingAsItWas) {
  NcWriter w;
  for (int n = 0; n < NcWriter::kMaxBlockNum; ++n) w.GenN(false);
  ASSERT_TRUE(w.Text().ends_with("N32766N32767")) << "numbers up to 32767 are written";
  const std::string full = w.Text();
  EXPECT_THROW(w.GenN(false), NcOverflow);
  EXPECT_EQ(w.BlockNum(), 32767);
  EXPECT_THROW(w.GenL(1, 1, true), NcOverflow);
  EXPECT_THROW(w.GenA(1, 1, 0, 0, true), NcOverflow);
  EXPECT_THROW(w.GenFixed(FixedWord::ProgramEnd), NcOverflow);
  EXPECT_EQ(w.Text(), full) << "a refused block must append nothing";
  EXPECT_EQ(w.LastX(), 0);
  w.GenN(true);
  EXPECT_TRUE(w.Text().ends_with("N32767N1")) << "a restart numbers from 1 again";
}

}  // namespace
}  // namespace kalmoro
