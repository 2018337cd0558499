#pragma once

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <vector>

#include "UniqueFd.h"
#include "save/ErrnoText.h"

// Private to save/.
namespace kalmoro {

// Where the backups of one file lie. A save that writes a file in place first writes a whole copy of
// the old program, synced with its folder, and removes it once the new program is on disk, so that a
// kill or a power cut at any instant leaves a whole program at the name or in a backup. The copy is
// "NAME.kalmoro-backup" next to the file (then "-2" … "-9" while earlier ones wait) or, where that folder
// takes no new file, "NAME.HASH.kalmoro-backup" in the state folder ($XDG_STATE_HOME/kalmoro, by default
// ~/.local/state/kalmoro), HASH standing for the file's whole path. Saves of the file take turns
// (FileReplace.cpp locks it), so one save at a time looks at its backups.
//
// What is kept: backups are ordered by their modification time, which each new one gets later than any
// other of its place. A backup that holds what the file holds, or what a newer backup holds, is no news
// and goes; so does one that a finished save could not remove and left renamed "…kalmoro-old" or
// marked with the attribute "user.kalmoro-finished". When all nine names of a place are taken, the
// oldest backup there gives its name to the new one: at most nine per place, the newest always among them.
class BackupPlaces {
 public:
  // How the backup of a finished save went.
  struct Removal {
    enum class How { Removed, Renamed, Marked, Stayed } how = How::Removed;
    int error = 0;      // why it could not be removed
    std::string shown;  // where it stayed, as messages name it
  };

  // The file base in the open folder dir; shownDir names that folder in messages ("" for the current
  // one), canonicalDir is its whole path without links.
  BackupPlaces(int dir, bool dirSyncable, std::string shownDir, const std::string& canonicalDir,
               const std::string& base);

  // The backups that interrupted saves left, newest first, as messages name them: regular files of the
  // saver, of root or of owner, that hold something else than the file (read from file, when it is open)
  // and than every newer backup. The others are left out and, with removeSame, removed. skip, when given,
  // is left out whatever it holds.
  std::vector<std::string> Left(int file, uid_t owner, const struct stat* skip, bool removeSame);

  // Writes a whole copy of old, the file whose status is st, and syncs it and its folder; it keeps the
  // file's permission bits (the umask applies) and, where the saver may give it, its owner. The signal
  // handlers remove it (SaveUndo.h). Returns 0 or the errno value, FailedStep() saying at which step.
  int Write(std::string_view old, const struct stat& st);
  FileStep FailedStep() const { return m_failedStep; }
  // The backup written, as messages name it.
  const std::string& Shown() const { return m_shown; }
  // The backups Write removed to make room for the new one, as messages name them.
  const std::vector<std::string>& MadeRoom() const { return m_madeRoom; }
  // Removes the backup written once its save has put the new program on disk. One that cannot be
  // removed is renamed "…kalmoro-old" or else marked, so that nothing names it as an interrupted save's.
  Removal RemoveFinished();
  // Removes the backup written, whose save was undone: it holds what the file holds.
  void Remove();

 private:
  struct Place {
    int dir = -1;
    std::string shownDir;
    std::string stem;  // the names are stem + ".kalmoro-backup" + a number from the second on
    bool syncable = false;
  };
  // A backup found in a place.
  struct Found {
    const Place* place = nullptr;
    std::string name;
    struct stat st {};
    UniqueFd fd;  // open for reading, or closed when it cannot be read
  };
  int OpenState(bool create);
  std::vector<Found> Scan(const Place& place, uid_t owner) const;
  int WriteIn(const Place& place, std::string_view old, const struct stat& st, bool namedOnly);
  int Fail(FileStep step, int error);

  Place m_next;
  Place m_state;
  UniqueFd m_stateFd;
  const Place* m_made = nullptr;
  UniqueFd m_madeFd;
  std::string m_madeName;
  std::string m_shown;
  FileStep m_failedStep = FileStep::Create;
  std::vector<std::string> m_madeRoom;
};

// The whole path of the open folder dir without links (dirPath as a last resort).
std::string CanonicalFolder(int dir, const std::string& dirPath);

// Reads the whole file from its start. Returns 0 or the errno value.
int ReadWhole(int fd, std::string& out);

}  // namespace kalmoro
