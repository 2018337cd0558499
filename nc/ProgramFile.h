#pragma once

#include <optional>
#include <string>
#include <string_view>

// Writing a program to an ".iso" file: the name, the 8-bit code page and an atomic replace.
namespace kalmoro {

// The name with ".iso" added unless it already ends in it.
std::string WithIsoExtension(std::string_view name);

// UTF-8 text to Windows-1251 bytes. On a character the code page cannot hold, returns no bytes and
// sets badChar to that character (UTF-8) when given.
std::optional<std::string> EncodeCp1251(std::string_view utf8, std::string* badChar = nullptr);

// Writes bytes to path atomically: a temporary file in the same folder, flushed, then renamed over
// path. On failure path is untouched and the returned text (Russian, UTF-8) says which file and why.
std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes);

// Saves a program as the window does: ".iso" added when missing, the text plus CR LF, encoded in
// Windows-1251, written atomically. Returns the error message, or nothing on success. savedPath, when
// given, receives the name written.
std::optional<std::string> SaveProgram(std::string_view name, std::string_view utf8Text,
                                       std::string* savedPath = nullptr);

bool FileExists(const std::string& path);

}  // namespace kalmoro
