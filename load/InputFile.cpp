#include "load/InputFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>

#include "save/ErrnoText.h"

namespace kalmoro {
namespace {

constexpr std::size_t kMegabyte = std::size_t{1} << 20;

// What a file too large for its use is said to be longer than (after "файл больше N МБ, ").
const char* WhatIsNeverSoLong(FileUse use) {
  switch (use) {
    case FileUse::Window:
      return "программа не может быть такой длинной";
    case FileUse::Check:
    case FileUse::Export:
      return "программы для станка не бывают такими";
    case FileUse::Job:
      return "задания не бывают такими";
    case FileUse::MachineProfile:
      return "профили станка не бывают такими";
  }
  return "";
}

// Closes the descriptor on every path, unless it is standard input.
class Fd {
 public:
  explicit Fd(int fd, bool owned) : m_fd(fd), m_owned(owned) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (m_owned && m_fd >= 0) ::close(m_fd);
  }
  int Get() const { return m_fd; }

 private:
  int m_fd;
  bool m_owned;
};

InputFile Refused(std::string reason) {
  InputFile file;
  file.reason = std::move(reason);
  return file;
}

std::string TooLarge(FileUse use) {
  std::array<char, 24> digits{};
  const auto end =
      std::to_chars(digits.data(), digits.data() + digits.size(), MaxFileBytes(use) / kMegabyte).ptr;
  return "файл больше " + std::string(digits.data(), end) + " МБ, " + WhatIsNeverSoLong(use);
}

}  // namespace

InputFile ReadInputFile(std::string_view name, FileUse use) {
  const std::size_t limit = MaxFileBytes(use);
  const bool standardInput = use != FileUse::Window && name == "-";
  // Non-blocking, so that a named pipe or a device does not hang the caller before it is refused.
  const Fd fd(standardInput ? STDIN_FILENO
                            : ::open(std::string(name).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK),
              !standardInput);
  if (fd.Get() < 0) {
    const int error = errno;
    // A socket, or a device without its driver, cannot even be opened: no file to read either way.
    if (error == ENXIO || error == ENODEV) return Refused("это не обычный файл");
    return Refused(ErrnoReason(error, FileAccess::Read));
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0)
    return Refused(ErrnoReason(errno, FileAccess::Read) + " при проверке файла");
  if (S_ISDIR(info.st_mode)) return Refused(ErrnoReason(EISDIR, FileAccess::Read));
  // Standard input may be a pipe or a terminal; a name must be a regular file.
  if (!standardInput && !S_ISREG(info.st_mode)) return Refused("это не обычный файл");
  const bool sized = S_ISREG(info.st_mode);
  if (sized && static_cast<unsigned long long>(info.st_size) > limit) return Refused(TooLarge(use));

  InputFile file;
  if (sized) file.bytes.reserve(static_cast<std::size_t>(info.st_size));
  // Read to the end whatever the size said: the file may grow meanwhile, and the limit holds.
  std::array<char, 65536> buffer{};
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // Standard input left non-blocking by whoever shares it: wait for its bytes.
      pollfd wait{fd.Get(), POLLIN, 0};
      ::poll(&wait, 1, -1);
      continue;
    }
    if (n < 0) {
      const int error = errno;
      if (error == EISDIR) return Refused(ErrnoReason(error, FileAccess::Read));
      return Refused(ErrnoReason(error, FileAccess::Read) + " во время чтения");
    }
    if (n == 0) break;
    if (file.bytes.size() + static_cast<std::size_t>(n) > limit) return Refused(TooLarge(use));
    file.bytes.append(buffer.data(), static_cast<std::size_t>(n));
  }
  file.read = true;
  return file;
}

}  // namespace kalmoro
