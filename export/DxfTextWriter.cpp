#include "DxfTextWriter.h"

#include <charconv>
#include <string_view>

#include "nc/NumberText.h"

namespace kalmoro {
namespace {

// The decimals dxflib gives a real ("%.16lf"), trailing zeros dropped down to one.
constexpr int kRealDecimals = 16;

}  // namespace

void DxfTextWriter::Group(int gc, std::string_view value) const {
  // The group code right-aligned in three columns, as dxflib writes it.
  m_text += gc < 10 ? "  " : gc < 100 ? " " : "";
  char digits[16];
  m_text.append(digits, std::to_chars(digits, digits + sizeof digits, gc).ptr);
  m_text += '\n';
  m_text += value;
  m_text += '\n';
}

void DxfTextWriter::dxfReal(int gc, double value) const {
  Group(gc, FormatNumber(value, 1, kRealDecimals));
}

void DxfTextWriter::dxfInt(int gc, int value) const {
  char digits[16];
  Group(gc, std::string_view(digits, static_cast<std::size_t>(
                                         std::to_chars(digits, digits + sizeof digits, value).ptr - digits)));
}

void DxfTextWriter::dxfHex(int gc, int value) const {
  char digits[16];
  auto* end = std::to_chars(digits, digits + sizeof digits, static_cast<unsigned>(value), 16).ptr;
  for (char* c = digits; c != end; ++c)
    if (*c >= 'a' && *c <= 'f') *c = static_cast<char>(*c - 'a' + 'A');
  Group(gc, std::string_view(digits, static_cast<std::size_t>(end - digits)));
}

void DxfTextWriter::dxfString(int gc, const char* value) const {
  Group(gc, value ? value : "");
}

void DxfTextWriter::dxfString(int gc, const std::string& value) const {
  Group(gc, value);
}

}  // namespace kalmoro
