#pragma once

#include <string>
#include <string_view>

#include "save/FileReplace.h"
#include "save/SaveResult.h"

// Writing a program to an ".iso" file: the name, the 8-bit code page and a careful replace.
namespace kalmoro {

// The name with ".iso" added unless it already ends in it.
std::string WithIsoExtension(std::string_view name);

// Why a text is not saved when Windows-1251 (text/Cp1251.h) cannot hold its character badChar, to follow
// what was not saved ("Файл «…» не сохранён: "): "символ «Ж» нельзя записать в кодировке Windows-1251.
// Удалите его из текста программы.", with the note, when given, in parentheses after the character.
std::string Cp1251Refusal(std::string_view badChar, std::string_view note = {});

// Saves a program as the window does: ".iso" added when missing, the text plus CR LF, encoded in
// Windows-1251 (refused with Cp1251Refusal when it cannot be), written by ReplaceFileContents
// (FileReplace.h: links followed, owner and mode kept, nothing half-written, no temporary file left). A name
// whose last part is empty, ".", ".." or only
// ".iso" is refused. A read-only file gives Kind::ReadOnly with the message "Файл «…» доступен только
// для чтения" unless readOnly is Replace; a Saved result may carry a note on what a replacement of a
// read-only file could not keep (owner, hard links), to be shown to the user.
SaveResult SaveProgramFile(std::string_view name, std::string_view utf8Text,
                           ReadOnlyFile readOnly = ReadOnlyFile::Refuse);

bool FileExists(const std::string& path);

}  // namespace kalmoro
