#pragma once

#include <optional>
#include <string>

#include "check/MachineProfile.h"

namespace kalmoro {

// The machine profile file named on the command line, read by the one reader (load/InputFile.h: a
// regular file or "-", at most 1 MB), or nothing after a message on standard error ("kalmoro-gen: не
// удалось прочитать профиль станка «…»: …" or "kalmoro-gen: ошибка в профиле станка «…», строка N: …").
std::optional<MachineProfile> ReadMachineProfile(const std::string& name);

}  // namespace kalmoro
