// The machine profile file: read, refused at the line at fault, and written back.

#include <gtest/gtest.h>
#include <string>

#include "check/MachineProfile.h"

namespace kalmoro {
namespace {

TEST(MachineProfile, ReadsEveryKeyWithCommentsBlanksAndLineEnds) {
  const MachineProfileReading r = ParseMachineProfile(
      "\xEF\xBB\xBF; my machine\r\n\r\n[machine]\r\n"
      "wire_diameter = 0.3      ; mm\r\n"
      "spark_gap=0.01\n"
      "  max_taper_angle = 22.5\r"
      "travel_x = 350\ntravel_y = 250\ntravel_u = 80\ntravel_v = 60\n"
      "# rate\ncutting_rate = 120 ; mm²/min\nheight = 40");
  ASSERT_TRUE(r.profile) << MachineProfileErrorText(r);
  const MachineProfile& p = *r.profile;
  EXPECT_EQ(p.wireDiameter, 0.3);
  EXPECT_EQ(p.sparkGap, 0.01);
  EXPECT_EQ(p.maxTaperAngle, 22.5);
  EXPECT_EQ(p.travelX, 350);
  EXPECT_EQ(p.travelY, 250);
  EXPECT_EQ(p.travelU, 80);
  EXPECT_EQ(p.travelV, 60);
  EXPECT_EQ(p.cuttingRate, 120);
  EXPECT_EQ(p.height, 40);
}

TEST(MachineProfile, KeysLeftOutKeepTheDefaultsAndTravelStaysUnset) {
  for (const char* text : {"", "[machine]\n", "; nothing\n[machine]\nheight = 10\n"}) {
    const MachineProfileReading r = ParseMachineProfile(text);
    ASSERT_TRUE(r.profile) << text;
    EXPECT_EQ(*r.profile, MachineProfile{}) << text;
    EXPECT_FALSE(r.profile->travelX) << "travel is checked only when a profile gives it";
  }
  EXPECT_DOUBLE_EQ(MachineProfile{}.WireOffset(), 0.145);
}

struct BadFile {
  const char* name;
  std::string text;
  int line;
  std::string message;  // empty: any message
};

class MachineProfileRefuses : public testing::TestWithParam<BadFile> {};

TEST_P(MachineProfileRefuses, NamingTheLineAndWhy) {
  const BadFile& bad = GetParam();
  const MachineProfileReading r = ParseMachineProfile(bad.text);
  EXPECT_FALSE(r.profile);
  EXPECT_EQ(r.line, bad.line);
  if (!bad.message.empty()) {
    EXPECT_EQ(MachineProfileErrorText(r), bad.message);
  }
  EXPECT_FALSE(r.error.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, MachineProfileRefuses,
    testing::Values(
        BadFile{"UnknownKey", "[machine]\nwire_diameter = 0.25\nwire_dia = 0.3\n", 3,
                "строка 3: неизвестный ключ «wire_dia»"},
        BadFile{"CommaDecimal", "[machine]\r\n\r\nspark_gap = 0,02\r\n", 3,
                "строка 3: значение «0,02» ключа «spark_gap» не число (дробная часть пишется через точку)"},
        BadFile{"NotANumber", "[machine]\nheight = ten\n", 2,
                "строка 2: значение «ten» ключа «height» не число (дробная часть пишется через точку)"},
        BadFile{"NoValue", "[machine]\nheight =   ; mm\n", 2, "строка 2: у ключа «height» нет значения"},
        BadFile{"ZeroWire", "[machine]\nwire_diameter = 0\n", 2,
                "строка 2: значение ключа «wire_diameter» должно быть больше нуля"},
        BadFile{"NegativeGap", "[machine]\nspark_gap = -0.01\n", 2,
                "строка 2: значение ключа «spark_gap» не может быть меньше нуля"},
        BadFile{"FlatAngle", "[machine]\nmax_taper_angle = 180\n", 2,
                "строка 2: значение ключа «max_taper_angle» должно быть больше 0 и меньше 180 градусов"},
        BadFile{"HugeNumber", "[machine]\ntravel_x = 1" + std::string(400, '0') + "\n", 2, ""},
        BadFile{"ProgramEndAsCutCode", "[machine]\ncut_wire = M02\n", 2,
                "строка 2: значение ключа «cut_wire» должно быть кодом M00–M999, кроме M02 и M30"},
        BadFile{"TwoWordsAsThreadCode", "[machine]\nthread_wire = M21 M00\n", 2, ""},
        BadFile{"Repeated", "[machine]\nheight = 5\nheight = 6\n", 3, "строка 3: ключ «height» повторяется"},
        BadFile{"OutsideSection", "height = 5\n", 1, "строка 1: ключ «height» стоит вне раздела [machine]"},
        BadFile{"OtherSection", "[machine]\n[axes]\n", 2,
                "строка 2: неизвестный раздел «axes»: ключи станка стоят в разделе [machine]"},
        BadFile{"NoEquals", "[machine]\nheight 5\n", 2,
                "строка 2: нужна запись «ключ = значение», а стоит «height 5»"},
        BadFile{"FiveSkims", "[machine]\nskims = 5\n", 2,
                "строка 2: значение ключа «skims» должно быть целым числом от 0 до 4"},
        BadFile{"HalfASkim", "[machine]\nskims = 1.5\n", 2, ""},
        BadFile{"NegativeStop", "[machine]\nstop = -1\n", 2,
                "строка 2: значение ключа «stop» не может быть меньше нуля"},
        BadFile{"DirectionWord", "[machine]\ndirection = left\n", 2,
                "строка 2: значение ключа «direction» должно быть alternate или same, а стоит «left»"},
        BadFile{"RoughFirstWord", "[machine]\nrough_first = yes\n", 2, ""},
        BadFile{"RepeatedChoice", "[machine]\nskims = 1\nskims = 2\n", 3,
                "строка 3: ключ «skims» повторяется"},
        BadFile{"Binary",
                "\x7F"
                "ELF\x01\x02\n",
                1, "строка 1: нужна запись «ключ = значение», а стоит «?ELF??»"}),
    [](const testing::TestParamInfo<BadFile>& info) { return std::string(info.param.name); });

TEST(MachineProfile, WrittenTextReadsBackToTheSameProfile) {
  MachineProfile p;
  EXPECT_EQ(MachineProfileText(p),
            "[machine]\n"
            "wire_diameter = 0.25      ; mm\n"
            "spark_gap = 0.02          ; mm, each side: the rough pass's\n"
            "rough_stock = 0.06        ; mm, each side, that the rough pass leaves for the skims\n"
            "skim1_gap = 0.01          ; mm, spark gap of skim 1\n"
            "skim1_stock = 0.015       ; mm that skim 1 leaves for the skims after it\n"
            "skim1_time = 0.5          ; skim 1's time over the rough pass's on the same path\n"
            "skim2_gap = 0.006\n"
            "skim2_stock = 0.006\n"
            "skim2_time = 0.5\n"
            "skim3_gap = 0.004\n"
            "skim3_stock = 0.003\n"
            "skim3_time = 0.5\n"
            "skim4_gap = 0.003\n"
            "skim4_time = 0.5\n"
            "max_taper_angle = 30      ; degrees, full cone angle the machine can cut\n"
            "cutting_rate = 100        ; mm²/min (contour length × height per minute)\n"
            "height = 10               ; mm, workpiece height for holes whose program gives none\n"
            "cut_wire = M00            ; stop code to cut the wire between the holes of a job\n"
            "thread_wire = M00         ; stop code to thread it at the next hole\n"
            "hold_slug = M00           ; stop code to secure the slug before the rough contour closes\n");
  p.wireDiameter = 0.1;
  p.wire = {"M60", "M21", "M01"};
  p.stock = {0.05, 0.02, 0.01, 0};
  p.skimGap[3] = 0.0015;
  p.skimTime[1] = 0.25;
  p.sparkGap = 0;
  p.maxTaperAngle = 12.345678;
  p.travelX = 350.5;
  p.travelV = 1e-7;
  p.cuttingRate = 1.0 / 3;
  p.passes = {3, 12.5, SkimDirection::Same};
  p.roughFirst = true;
  const MachineProfileReading back = ParseMachineProfile(MachineProfileText(p));
  ASSERT_TRUE(back.profile) << MachineProfileErrorText(back);
  EXPECT_EQ(back.profile->travelX, 350.5);
  EXPECT_FALSE(back.profile->travelY);
  EXPECT_EQ(back.profile->travelV, 1e-7) << "no exponent form the reader cannot read";
  EXPECT_NEAR(back.profile->cuttingRate, 1.0 / 3, 1e-14) << "fifteen digits are kept";
  EXPECT_EQ(back.profile->maxTaperAngle, 12.345678);
  EXPECT_EQ(back.profile->wire, (WireCodes{"M60", "M21", "M01"}));
  EXPECT_EQ(back.profile->stock, p.stock);
  EXPECT_EQ(back.profile->skimGap, p.skimGap);
  EXPECT_EQ(back.profile->skimTime, p.skimTime);
  EXPECT_EQ(back.profile->passes, p.passes);
  EXPECT_TRUE(back.profile->roughFirst);
}

}  // namespace
}  // namespace kalmoro
