#pragma once

#include <optional>
#include <string>

namespace kalmoro {

// A message on standard error, shown safely for the terminal (TerminalText.h), with a line end.
void PrintMessage(const std::string& text);

// A generated program, as every generating command puts it out: without an output name on standard
// output as the window's program field holds it (CR LF line ends, no extra line end) in the file's code
// page, Windows-1251, or in UTF-8 when standard output is a terminal; with one saved as the window saves
// it (save/ProgramFile.h: ".iso" added, the field's text plus CR LF, never half-written), a note on what
// changed on standard error. A name that exists and is neither a regular file nor a folder (/dev/null, a
// named pipe) is refused. A signal that comes while the new program is put in place ends the tool by that
// signal once the save is reported. Returns the exit status.
int PutProgram(const std::string& program, const std::optional<std::string>& output);

}  // namespace kalmoro
