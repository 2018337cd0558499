#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one reader of the files Kalmoro and kalmoro-gen take: programs (opened in the window, checked,
// exported), job files and machine profiles. Its rules, for every use:
//
// - A regular file only (links followed). The name is opened without blocking, so nothing waits: a
//   folder is refused as "это папка"; a named pipe, a device (/dev/zero), a socket as "это не обычный
//   файл", before a byte is read.
// - "-" is standard input on the command line (a pipe or a terminal is fine there); in the window it is
//   a file of that name.
// - The size is looked at before reading: a file over its use's limit is refused unread ("файл больше
//   64 МБ, …"), and the reading stops at the limit too, for standard input and a file that grows meanwhile.
//   The limits:
//     Window          8 MB   what the program field and the preview take without making the window slow
//     Check, Export  64 MB   a program on the command line: memory stays within about three times this
//     Job            64 MB   the same bound as check
//     MachineProfile  1 MB   a profile is a few hundred bytes
//   The largest program the generators write is 1.4 MB, so every limit holds every generated program.
// - A failure names its cause and, beyond opening, its step ("ошибка ввода-вывода во время чтения").
// What the bytes of a program are taken to be (code page, binary content) is ProgramLoad.h's part.
namespace kalmoro {

enum class FileUse { Window, Check, Export, Job, MachineProfile };

// The limit of a use, in bytes, as the table above gives it; a file of exactly this size is read.
constexpr std::size_t MaxFileBytes(FileUse use) {
  constexpr std::size_t kMegabyte = std::size_t{1} << 20;
  switch (use) {
    case FileUse::Window:
      return 8 * kMegabyte;
    case FileUse::Check:
    case FileUse::Export:
    case FileUse::Job:
      return 64 * kMegabyte;
    case FileUse::MachineProfile:
      return kMegabyte;
  }
  return 0;
}

struct InputFile {
  bool read = false;
  std::string bytes;
  // Why it was not read (Russian, UTF-8, without the file's name): "файл не найден", "это не обычный
  // файл", "файл больше 64 МБ, программы для станка не бывают такими".
  std::string reason;
};

// Reads the file `name` whole under the rules above.
InputFile ReadInputFile(std::string_view name, FileUse use);

}  // namespace kalmoro
