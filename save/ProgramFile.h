#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "save/FileReplace.h"
#include "save/SaveResult.h"

// Writing a program to an ".iso" file: the name, the 8-bit code page and a careful replace.
namespace kalmoro {

// The name with ".iso" added unless it already ends in it.
std::string WithIsoExtension(std::string_view name);

// UTF-8 text to Windows-1251 bytes. On a character the code page cannot hold, returns no bytes and
// sets badChar to that character (UTF-8) when given.
std::optional<std::string> EncodeCp1251(std::string_view utf8, std::string* badChar = nullptr);

// Saves a program as the window does: ".iso" added when missing, the text plus CR LF, encoded in
// Windows-1251, written by ReplaceFileContents (FileReplace.h: links followed, owner and mode kept,
// nothing half-written, no temporary file left). A name whose last part is empty, ".", ".." or only
// ".iso" is refused. A read-only file gives Kind::ReadOnly with the message "Файл «…» доступен только
// для чтения" unless readOnly is Replace; a Saved result may carry a note on what a replacement of a
// read-only file could not keep (owner, hard links), to be shown to the user.
SaveResult SaveProgramFile(std::string_view name, std::string_view utf8Text,
                           ReadOnlyFile readOnly = ReadOnlyFile::Refuse);

// SaveProgramFile refusing read-only files: the message of a refusal or failure, or nothing on
// success. savedPath, when given, receives the name written.
std::optional<std::string> SaveProgram(std::string_view name, std::string_view utf8Text,
                                       std::string* savedPath = nullptr);

bool FileExists(const std::string& path);

}  // namespace kalmoro
