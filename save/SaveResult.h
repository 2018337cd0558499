#pragma once

#include <string>

namespace kalmoro {

// What a save did.
struct SaveResult {
  enum class Kind {
    Saved,     // written; message is empty or notes: what of the old file could not be kept, a folder
               // that could not be synced to disk, backups that interrupted saves of the file left
    ReadOnly,  // refused: the file is read-only ("Файл «…» доступен только для чтения"); the caller may
               // ask the user and save again with ReadOnlyFile::Replace
    Failed,    // nothing replaced (or the old bytes put back, or else kept in a backup the message
               // names); message says which file and why
  };
  Kind kind = Kind::Failed;
  std::string path;     // the name written: the given one with ".iso" added when missing
  std::string message;  // Russian, UTF-8

  bool Saved() const { return kind == Kind::Saved; }
};

}  // namespace kalmoro
