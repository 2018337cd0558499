#include "save/ProgramBackup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "BackupPlaces.h"
#include "Restoring.h"
#include "UniqueFd.h"
#include "save/ErrnoText.h"

namespace kalmoro {

std::vector<std::string> FindBackups(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (!real) return {};
  const std::string whole(real);
  std::free(real);
  const std::size_t slash = whole.rfind('/');
  const std::string dir = slash == 0 ? "/" : whole.substr(0, slash);
  const UniqueFd folder(::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  const UniqueFd file(::open(whole.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st {};
  if (!folder || !file || ::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
  BackupPlaces places(folder.Get(), false, dir, dir, whole.substr(slash + 1));
  return places.Left(file.Get(), st.st_uid, nullptr, false);
}

SaveResult RestoreBackup(const std::string& path, const std::string& backup) {
  const UniqueFd fd(::open(backup.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st {};
  std::string bytes;
  std::string reason;
  if (!fd) {
    reason = ErrnoReason(errno, FileStep::OpenToRead);
  } else if (::fstat(fd.Get(), &st) != 0) {
    reason = ErrnoReason(errno, FileStep::Read);
  } else if (!S_ISREG(st.st_mode)) {
    reason = "это не обычный файл";
  } else if (const int error = ReadWhole(fd.Get(), bytes)) {
    reason = ErrnoReason(error, FileStep::Read);
  }
  if (!reason.empty())
    return {SaveResult::Kind::Failed, path,
            "Не удалось прочитать резервную копию «" + backup + "»: " + reason + "."};
  SaveResult result = ReplaceFileContents(path, bytes, ReadOnlyFile::Refuse, &st);
  struct stat now {};
  if (result.Saved() && ::lstat(backup.c_str(), &now) == 0 && now.st_dev == st.st_dev &&
      now.st_ino == st.st_ino)
    ::unlink(backup.c_str());
  return result;
}

}  // namespace kalmoro
