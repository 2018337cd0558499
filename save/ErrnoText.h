#pragma once

#include <string>

// The Russian reason for a failed file operation, for messages that say which file, which step and why.
// Every errno value is mapped here and nowhere else.
namespace kalmoro {

// Whether the file was being read (kalmoro-gen check, opening a program) or written (a save): the same as
// FileStep::OpenToRead and FileStep::OpenToWrite.
enum class FileAccess { Read, Write };

// The step of a read or a save that failed. A few reasons read differently by step: ENOENT is a missing
// file when reading and a missing folder when saving, EACCES names the folder when a file is made in it,
// and EINVAL is a name the file system refuses when a file is opened or named, but a length or an
// operation it refuses when a file is written, cut or synced.
enum class FileStep {
  OpenToRead,   // a file opened to be read
  Read,         // its bytes read
  OpenToWrite,  // a save: the folder and the name opened, links followed, the file opened
  Create,       // a new file made in the folder
  Write,        // bytes written
  Truncate,     // the file cut to its new length
  Sync,         // the file written to disk (fsync)
  KeepMode,     // the old file's owner, group and mode given to the new one
  Replace,      // the new file put in place of the name (rename, link)
  Remove,       // a file removed
  Lock,         // the file locked for the save
};

// The reason for errno value error at step, such as "нет прав на запись в папку" or "на диске нет места".
// A value no read or save meets gives "ошибка чтения (код N)" at the reading steps and "ошибка
// ввода-вывода (код N)" at the others.
std::string ErrnoReason(int error, FileStep step);

std::string ErrnoReason(int error, FileAccess access);

}  // namespace kalmoro
