#pragma once

#include "cli/Args.h"

namespace kalmoro {

// "kalmoro-gen job [--machine PROFILE] [--rough-first] FILE [-o NAME]": one program for the holes the job
// file lists (JobFile.h), the wire cut and threaded between them and each hole's slug held at the
// profile's codes (M00 without a profile); with --rough-first every hole's rough pass first, then the
// skims of each hole in turn (WriteJob),
// put out as every generating command puts its program (ProgramOutput.h). Every bad line is reported on
// standard error as "kalmoro-gen: строка N: text" (reading stops at kMaxJobFileErrors of them, and says
// so), and then nothing is written. Returns 0 when the program is put out, 1 when a line or the job is
// refused or the program not written, 2 when the profile or the job file cannot be read.
int RunJob(const JobCommand& command);

}  // namespace kalmoro
