#include "fields/FieldCheck.h"

#include <gtest/gtest.h>

namespace kalmoro {
namespace {

struct CheckCase {
  const char* name;
  std::u16string before;
  int caretBefore;
  bool sign;
  std::u16string after;
  int caretAfter;
};

void PrintTo(const CheckCase& c, std::ostream* os) {
  *os << c.name;
}

class CheckInputErrTable : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckInputErrTable, TextAndCaret) {
  const CheckCase& c = GetParam();
  const CheckedText result = CheckInputErr(c.before, c.caretBefore, c.sign);
  EXPECT_EQ(result.text, c.after);
  EXPECT_EQ(result.caret, c.caretAfter);
  // A clean text is left as it is, caret included.
  const CheckedText again = CheckInputErr(result.text, result.caret, c.sign);
  EXPECT_EQ(again.text, result.text) << "a second check must change nothing";
  EXPECT_EQ(again.caret, result.caret) << "a second check must keep the caret";
}

const CheckCase kCheckCases[] = {
    {"LetterAtTheEnd", u"12a", 3, false, u"12", 2},
    {"LetterBetweenDigits", u"1a2", 2, false, u"12", 2},
    {"CommaBecomesPoint", u"1,5", 2, false, u"1.5", 2},
    {"SecondPointDropped", u"1.5.", 4, false, u"1.5", 3},
    {"PointAfterCommaDropped", u"1,2.3", 5, false, u"1.23", 4},
    {"LeadingComma", u",5", 1, false, u".5", 1},
    {"TrailingPointKept", u"1.", 2, false, u"1.", 2},
    {"MinusDroppedWithoutSign", u"-12", 1, false, u"12", 1},
    {"PlusDroppedWithoutSign", u"7+", 2, false, u"7", 1},
    {"BlankDropped", u"1 000", 5, false, u"1000", 4},
    {"GroupedNumberWithUnit", u"1 234,5 mm", 10, false, u"1234.5", 6},
    {"LettersOnly", u"abc", 3, false, u"", 0},
    {"Empty", u"", 0, false, u"", 0},
    {"SignMovedToTheFront", u"12-", 3, true, u"-12", 3},
    {"SignTypedBetweenDigits", u"3-0", 2, true, u"-30", 2},
    {"SecondSignDropped", u"+-5", 2, true, u"+5", 2},
    {"SignAfterDigitsDropped", u"-1-2", 4, true, u"-12", 3},
    {"SignAfterPoint", u"1.-5", 3, true, u"-1.5", 3},
    {"ExponentMarkerDropped", u"-2,5e-3", 7, true, u"-2.53", 5},
    // Digits of other scripts and full-width forms are not ASCII digits.
    {"NonAsciiDigitsDropped",
     u"\u0661\uFF12"
     u"3",
     3, false, u"3", 1},
    {"EmojiDropped", u"5\U0001F600", 3, false, u"5", 1},
};

INSTANTIATE_TEST_SUITE_P(Rows, CheckInputErrTable, testing::ValuesIn(kCheckCases),
                         [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST(CheckInputErr, InitialFieldTextsAreClean) {
  for (const char16_t* text : {u"10", u"5", u"0"}) {
    EXPECT_EQ(CheckInputErr(text, 1, false).text, text);
  }
}

TEST(CheckInputErr, EightBitFormDropsNonAscii) {
  EXPECT_EQ(CheckInputErr(std::string("-218.601"), false), "218.601");
  EXPECT_EQ(CheckInputErr(std::string("-218,601"), true), "-218.601");
  EXPECT_EQ(CheckInputErr(std::string("\xD0\x94"
                                      "12"),
                          false),
            "12");
}

}  // namespace
}  // namespace kalmoro
