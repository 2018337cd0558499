#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "UniqueFd.h"

// Private to save/.
namespace kalmoro {

// The folder's file system has no unnamed temporary files, or /proc is missing to name one.
constexpr int kUseNamedTemp = -2;

// A new file in a folder, without a name of its own until it gets one: unnamed (O_TMPFILE) where the
// file system allows, else named ".kalmoro-<pid>-XXXXXX.tmp" (a marker, the id of the saving process and
// six random characters). A named one is marked for the signal handlers (SaveUndo.h) and removed by the
// destructor unless it got its name; one that a SIGKILL left behind is removed by the next save into
// its folder (RemoveStaleTemps). Link and Replace run with BlockInterrupts() held; the caller marks what
// the handlers must undo next before it lets go.
class TempFile {
 public:
  TempFile() = default;
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();

  // Creates the file in the open folder dir with mode (the umask applies): unnamed unless namedOnly or
  // the file system has no unnamed files. Returns 0 or the errno value.
  int Create(int dir, mode_t mode, bool namedOnly);
  int Fd() const { return m_file.Get(); }

  // Gives the file the name, which must be free: EEXIST when it is taken, kUseNamedTemp when an unnamed
  // file cannot be named here.
  int Link(const std::string& name);
  // Puts the file in place of the name in one step, replacing whatever has it.
  int Replace(const std::string& name);

 private:
  int LinkUnnamed(const std::string& name);

  int m_dir = -1;
  UniqueFd m_file;
  std::string m_name;  // empty for an unnamed file
  bool m_placed = false;
};

// Removes the temporary files of saves (names as above) from the open folder dir whose process is gone
// (kill(pid, 0) fails with ESRCH). Any other file stays, whatever its name.
void RemoveStaleTemps(int dir);

// The process id a temporary file's name carries, or 0 when the name is not one of ours.
pid_t TempFileOwner(std::string_view name);

}  // namespace kalmoro
