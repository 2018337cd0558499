#pragma once

#include <optional>
#include <string>
#include <string_view>

// Windows-1251, the code page the window saves programs in, both ways through one table.
namespace kalmoro {

// Windows-1251 bytes to UTF-8. The one byte the code page leaves undefined (0x98) becomes U+FFFD.
std::string DecodeCp1251(std::string_view bytes);

// UTF-8 text to Windows-1251 bytes. On the first character the code page cannot hold, or the first
// byte that starts no UTF-8 character, returns no bytes and sets badChar, when given, to that
// character's UTF-8 bytes (or that one byte).
std::optional<std::string> EncodeCp1251(std::string_view utf8, std::string* badChar = nullptr);

}  // namespace kalmoro
