#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "UniqueFd.h"

// Private to save/.
namespace kalmoro {

// Where the backups of one file lie. A save that writes a file in place first writes a whole copy of
// the old program, synced with its folder, and removes it once the new program is on disk, so that a
// kill or a power cut at any instant leaves a whole program at the name or in a backup. The copy is
// "NAME.kalmoro-backup" next to the file (then "-2" … "-9" while earlier ones wait) or, where that folder
// takes no new file, "NAME.HASH.kalmoro-backup" in the state folder ($XDG_STATE_HOME/kalmoro, by default
// ~/.local/state/kalmoro), HASH standing for the file's whole path. Saves of the file take turns
// (FileReplace.cpp locks it), so one save at a time looks at its backups.
class BackupPlaces {
 public:
  // The file base in the open folder dir; shownDir names that folder in messages ("" for the current
  // one), canonicalDir is its whole path without links.
  BackupPlaces(int dir, bool dirSyncable, std::string shownDir, const std::string& canonicalDir,
               const std::string& base);

  // The backups that interrupted saves left, as messages name them: regular files of the saver, of root
  // or of owner. A backup that holds what the file holds now (read from file) is no news: it is left
  // out and, with removeSame, removed. skip, when given, is left out whatever it holds.
  std::vector<std::string> Left(int file, uid_t owner, const struct stat* skip, bool removeSame);

  // Writes a whole copy of old, the file whose status is st, and syncs it and its folder; it keeps the
  // file's permission bits (the umask applies) and, where the saver may give it, its owner. The signal
  // handlers remove it (SaveUndo.h). Returns 0 or the errno value.
  int Write(std::string_view old, const struct stat& st);
  // The backup written, as messages name it.
  const std::string& Shown() const { return m_shown; }
  // Removes the backup written.
  void Remove();

 private:
  struct Place {
    int dir = -1;
    std::string shownDir;
    std::string stem;  // the names are stem + ".kalmoro-backup" + a number from the second on
    bool syncable = false;
  };
  int OpenState(bool create);
  int WriteIn(const Place& place, std::string_view old, const struct stat& st, bool namedOnly);

  Place m_next;
  Place m_state;
  UniqueFd m_stateFd;
  const Place* m_made = nullptr;
  std::string m_madeName;
  std::string m_shown;
};

// The whole path of the open folder dir without links (dirPath as a last resort).
std::string CanonicalFolder(int dir, const std::string& dirPath);

// Reads the whole file from its start. Returns 0 or the errno value.
int ReadWhole(int fd, std::string& out);

}  // namespace kalmoro
