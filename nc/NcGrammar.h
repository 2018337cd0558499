#pragma once

#include <string_view>

// The words and marks of the NC program grammar. The writer and the reader of programs share them;
// nothing outside nc/ spells any of them.
namespace kalmoro::grammar {

inline constexpr std::string_view kLineEnd = "\r\n";
inline constexpr std::string_view kHeaderOpen = "%(";
inline constexpr char kHeaderClose = ')';

inline constexpr char kBlockLetter = 'N';
inline constexpr std::string_view kLinear = "G01";  // modal: straight moves
inline constexpr std::string_view kArc = "G03";     // modal: counter-clockwise arcs
inline constexpr std::string_view kSetup = "G92";
// Words a hand-written program may hold, which the reader understands.
inline constexpr std::string_view kRapid = "G00";
inline constexpr std::string_view kArcClockwise = "G02";
inline constexpr std::string_view kCompensationRight = "G42";
inline constexpr std::string_view kAbsolute = "G90";
inline constexpr std::string_view kIncremental = "G91";
inline constexpr std::string_view kStop = "M00";
inline constexpr std::string_view kOptionalStop = "M01";  // the start point becomes the origin
inline constexpr std::string_view kG60 = "G60";
inline constexpr std::string_view kCompensationLeft = "G41";
inline constexpr std::string_view kCompensationOff = "G40";
inline constexpr std::string_view kProgramEnd = "M02";
// The compensation register word a generator adds, with its blank, to the first contour block: " D0"
// for the rough pass, " D1" … " D4" for the skims.
inline constexpr std::string_view kOffsetD0 = " D0";
inline constexpr std::string_view kOffsetWord = " D";

// The passes of a hole with skims, each after its comment "(ПРОХОД 2 ИЗ 3: D1)"; the rough pass stops
// for the slug after "(ЗАКРЕПИТЬ ВЫРУБКУ)" at the machine's stop code.
inline constexpr std::string_view kPassComment = "ПРОХОД ";
inline constexpr std::string_view kPassOf = " ИЗ ";
inline constexpr std::string_view kPassRegister = ": D";
inline constexpr std::string_view kHoldSlugComment = "ЗАКРЕПИТЬ ВЫРУБКУ";
// A die opening's relief pass after its vertical passes, cut with the rough pass's register.
inline constexpr std::string_view kReliefComment = "ОСВОБОЖДЕНИЕ: D";

// Header comments of the four holes: "%(CIRCLE: D10)", "%(RECTANGLE: W=20:H=10:R=2)",
// "%(CONE: D-DOWN=1:D-UP=0.8:H=2:ANG=5.72481)", "%(RECT-TAPER: W=20:H=10:R=2:T=20:ANG=1:CORNERS=CONICAL)".
inline constexpr std::string_view kCircleHeader = "CIRCLE: D";
inline constexpr std::string_view kRectHeader = "RECTANGLE: ";
inline constexpr std::string_view kRectWidth = "W=";
inline constexpr std::string_view kRectHeight = ":H=";
inline constexpr std::string_view kRectRadius = ":R=";
inline constexpr std::string_view kConeHeader = "CONE: ";
inline constexpr std::string_view kConeLower = "D-DOWN=";
inline constexpr std::string_view kConeUpper = ":D-UP=";
inline constexpr std::string_view kConeHeight = ":H=";
inline constexpr std::string_view kConeAngle = ":ANG=";
inline constexpr std::string_view kRectTaperHeader = "RECT-TAPER: ";
inline constexpr std::string_view kRectTaperThickness = ":T=";
inline constexpr std::string_view kRectTaperAngle = ":ANG=";
inline constexpr std::string_view kCornersKey = ":CORNERS=";
inline constexpr std::string_view kCornersCylindrical = "CYLINDRICAL";
inline constexpr std::string_view kCornersConical = "CONICAL";
// The relief below a die opening's land, after a circle's or a rectangle's dimensions and before the
// passes: "%(CIRCLE: D10.5:LAND=3:RELIEF=1:T=20)".
inline constexpr std::string_view kLandKey = ":LAND=";
inline constexpr std::string_view kReliefKey = ":RELIEF=";
inline constexpr std::string_view kReliefThickness = ":T=";
// What a header adds when the hole has more than one pass or a held slug, in this order:
// "%(CIRCLE: D10:SKIMS=2:STOP=3:DIR=SAME)".
inline constexpr std::string_view kSkimsKey = ":SKIMS=";
inline constexpr std::string_view kStopKey = ":STOP=";
inline constexpr std::string_view kDirectionKey = ":DIR=";
inline constexpr std::string_view kDirectionSame = "SAME";
inline constexpr std::string_view kDirectionAlternate = "ALTERNATE";

// A job of several holes: "%(JOB: 3)" first, each hole after its comment "(2: RECTANGLE: W=20:H=10:R=2
// @ X-30 Y15)", the wire cut and threaded again between two holes at stops that these comments name.
inline constexpr std::string_view kJobHeader = "JOB: ";
inline constexpr std::string_view kJobHoleNumberEnd = ": ";
inline constexpr std::string_view kJobPositionX = " @ X";
inline constexpr std::string_view kJobPositionY = " Y";
inline constexpr char kCommentOpen = '(';
inline constexpr char kCommentClose = ')';
inline constexpr std::string_view kCutWireComment = "ОБРЕЗАТЬ ПРОВОЛОКУ";
inline constexpr std::string_view kThreadWireComment = "ЗАПРАВИТЬ ПРОВОЛОКУ";
inline constexpr std::string_view kProgramEndAlt = "M30";
// A job that roughs every hole first: "%(JOB: 3:ROUGH-FIRST)"; each hole with skims comes back after
// all the rough passes, under "(ЧИСТОВЫЕ ПРОХОДЫ 2: RECTANGLE: … @ X-30 Y15)".
inline constexpr std::string_view kJobRoughFirst = ":ROUGH-FIRST";
inline constexpr std::string_view kSkimPartComment = "ЧИСТОВЫЕ ПРОХОДЫ ";

}  // namespace kalmoro::grammar
