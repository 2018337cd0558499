// The cone solver under any sequence of edits and key releases over its four fields: every field stays
// as the field check leaves it, every key release shows a drawing, nothing crashes, and the cone
// generator then gives a refusal or a program that reads back with at most its typed angle disputed.
//
// Input: a sequence of operations. One byte: field (bits 0-1: H, D_u, D_d, angle) and action (bits 2-3):
//   0 paste: the next byte is a length n (mod 32), the n bytes after it replace the text;
//   1 key release on the field;
//   2 type: the next byte is the character, the one after it the caret; then the key release;
//   3 backspace at the end of the text, then the key release.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ReadBack.h"
#include "fields/ConeSolver.h"
#include "fields/FieldCheck.h"
#include "holes/ConeHole.h"

using namespace kalmoro;
using namespace kalmoro::fuzz;

namespace {

constexpr ConeField kFields[] = {ConeField::H, ConeField::DUp, ConeField::DDown, ConeField::Ang};
constexpr const char* kNames[] = {"H", "D_u", "D_d", "angle"};

class Ops {
 public:
  Ops(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  bool More() const { return m_at < m_size; }
  std::uint8_t Next() { return m_at < m_size ? m_data[m_at++] : 0; }
  std::string Take(std::size_t n) {
    n = std::min(n, m_size - m_at);
    std::string text(reinterpret_cast<const char*>(m_data + m_at), n);
    m_at += n;
    return text;
  }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::size_t m_at = 0;
};

std::string State(const PlainConeFields& fields) {
  std::string text;
  for (std::size_t i = 0; i < 4; ++i)
    text += std::string(" ") + kNames[i] + " \"" + Escaped(fields.Text(kFields[i]), 200) + "\"";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  PlainConeFields fields;
  Ops ops(data, size);
  for (int step = 0; ops.More(); ++step) {
    const std::uint8_t op = ops.Next();
    const ConeField field = kFields[op & 3];
    const int action = (op >> 2) & 3;
    if (action == 0) {
      fields.SetText(field, ops.Take(ops.Next() % 32));
    } else if (action == 1) {
      OnConeKeyRelease(fields, field);
    } else {
      std::string text = fields.Text(field);
      if (action == 2) {
        const char c = static_cast<char>(ops.Next());
        text.insert(ops.Next() % (text.size() + 1), 1, c);
      } else if (!text.empty()) {
        text.pop_back();
      }
      fields.SetText(field, text);
      OnConeKeyRelease(fields, field);
    }
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string text = fields.Text(kFields[i]);
      if (CheckInputErr(text, kFields[i] == ConeField::Ang) != text)
        Fail("every cone field holds a text the field check leaves as it is",
             "after step " + std::to_string(step) + ":" + State(fields));
      const ConeSource source = fields.Source(kFields[i]);
      Require(source == ConeSource::Given || source == ConeSource::Derived, "a field is given or derived");
    }
    if (action != 0 && fields.Picture() == ConePicture::None)
      Fail("a key release shows a drawing", State(fields));
  }
  const std::string label = State(fields);
  const GenResult result = GenCone(fields.Text(ConeField::H), fields.Text(ConeField::DDown),
                                   fields.Text(ConeField::DUp), fields.Text(ConeField::Ang));
  if (IsProgram(result, label)) ReadBack(result.program, label, true);
  return 0;
}
