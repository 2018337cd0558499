#pragma once

#include <optional>
#include <string>

namespace kalmoro {

// A message on standard error, shown safely for the terminal (TerminalText.h), with a line end.
void PrintMessage(const std::string& text);

// A generated program, as every generating command puts it out: without an output name on standard
// output exactly as the window's program field holds it (CR LF line ends, no extra line end); with one
// saved as the window saves it (save/ProgramFile.h: ".iso" added, the field's text plus CR LF, never
// half-written), a note on what changed on standard error. A signal that comes while the new program is
// put in place ends the tool by that signal once the save is reported. Returns the exit status.
int PutProgram(const std::string& program, const std::optional<std::string>& output);

}  // namespace kalmoro
