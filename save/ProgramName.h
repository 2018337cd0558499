#pragma once

#include <string>
#include <string_view>

// A file name to propose when a program is saved, made from the program's header line.
namespace kalmoro {

// The base name (without ".iso") the header line "%(KIND: WORD=VALUE:...)" suggests: the kind and its
// words joined by "_" with the "=" dropped, so "%(CIRCLE: D10)" gives "CIRCLE_D10" and
// "%(RECTANGLE: W=10:H=5:R=0)" gives "RECTANGLE_W10_H5_R0". Only ASCII letters, digits, ".", "+", "-"
// and "_" are kept (anything else, such as "/", ":", blanks or control characters, becomes "_"); the
// name neither starts nor ends with ".", "-" or "_", is at most kMaxProgramNameLength characters and is
// never a device name of Windows ("NC_" goes in front of one). Empty when the first line is not such a
// header.
std::string ProgramBaseName(std::string_view program);

inline constexpr std::size_t kMaxProgramNameLength = 100;

}  // namespace kalmoro
