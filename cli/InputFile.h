#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "check/MachineProfile.h"

// The files kalmoro-gen reads (programs to check, jobs, machine profiles): read whole, bounded in size.
namespace kalmoro {

// A program for the machine is at most a few megabytes (the largest the generators write is 1.4 MB);
// anything longer is refused unread, so that memory stays bounded for any file, /dev/zero included.
inline constexpr std::size_t kMaxInputBytes = 64u << 20;

// The whole content of a file, or of standard input for "-"; nothing with errno set on failure (EFBIG
// past kMaxInputBytes).
std::optional<std::string> ReadInput(std::string_view name);

// Why a file could not be read, in Russian, from the errno ReadInput left; a file past the limit is
// said to be longer than any of what it should hold ("программы для станка", "задания").
std::string ReadReason(int error, std::string_view what = "программы для станка");

// The machine profile file named on the command line, or nothing after a message on standard error
// ("kalmoro-gen: не удалось прочитать профиль станка «…»: …" or "kalmoro-gen: ошибка в профиле станка
// «…», строка N: …").
std::optional<MachineProfile> ReadMachineProfile(const std::string& name);

}  // namespace kalmoro
