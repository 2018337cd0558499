#pragma once

#include <string>
#include <string_view>

namespace kalmoro {

// Windows-1251 bytes (as the window saves programs) to UTF-8. The one byte the code page leaves
// undefined (0x98) becomes U+FFFD.
std::string DecodeCp1251(std::string_view bytes);

}  // namespace kalmoro
