#pragma once

#include <string>

// The Russian reason for a failed file operation, for messages that say which file and why.
namespace kalmoro {

// Whether the file was being read (kalmoro-gen check) or written (a save): a few reasons read differently.
enum class FileAccess { Read, Write };

// The reason for errno value error, such as "нет прав на запись" or "файл не найден"; an unknown value
// gives "ошибка ввода-вывода (код N)" when writing and "ошибка чтения (код N)" when reading.
std::string ErrnoReason(int error, FileAccess access);

}  // namespace kalmoro
