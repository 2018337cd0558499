// libFuzzer target: any text in any field must give a program or a refusal, never a crash, undefined
// behaviour or a malformed program; the field check must be idempotent.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "holes/ConeHole.h"
#include "holes/RectHole.h"
#include "holes/RoundHole.h"
#include "nc/FieldCheck.h"
#include "nc/NumberText.h"

namespace {

using namespace kalmoro;

void Require(bool ok) {
  if (!ok) std::abort();
}

// Every line of a program ends with CR LF and every line after the header starts with a block number.
void RequireWellFormed(const GenResult& r) {
  if (!r.Ok()) {
    Require(r.program.empty());
    return;
  }
  std::string_view text = r.program;
  Require(text.starts_with("%(") && text.ends_with("M02\r\n"));
  bool header = true;
  while (!text.empty()) {
    const std::size_t end = text.find("\r\n");
    Require(end != std::string_view::npos);
    const std::string_view line = text.substr(0, end);
    Require(header || (line.size() > 1 && line[0] == 'N' && line[1] >= '1' && line[1] <= '9'));
    header = false;
    text.remove_prefix(end + 2);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t end = std::min(input.find('|', start), input.size());
    fields.emplace_back(start < input.size() ? input.substr(start, end - start) : std::string_view());
    start = end + 1;
  }
  // The raw texts, then the texts as the field check leaves them.
  for (const bool checked : {false, true}) {
    std::vector<std::string> f = fields;
    if (checked) {
      for (std::size_t i = 0; i < f.size(); ++i) f[i] = CheckInputErr(std::string_view(f[i]), i == 3);
    }
    RequireWellFormed(GenCircle(f[0]));
    RequireWellFormed(GenRect(f[0], f[1], f[2]));
    RequireWellFormed(GenCone(f[0], f[1], f[2], f[3]));
  }
  for (const auto& f : fields) {
    const std::string once = CheckInputErr(std::string_view(f), true);
    Require(CheckInputErr(std::string_view(once), true) == once);
    (void)LeadingValue(f);
    (void)FullValue(f);
    const std::string rendered = Formating(f);
    Require(rendered.empty() || rendered.find('.') == rendered.size() - 4);
  }
  return 0;
}
