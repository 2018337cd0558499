#include "load/ProgramLoad.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>

#include "save/ErrnoText.h"
#include "text/Cp1251.h"
#include "text/Utf8.h"

namespace kalmoro {
namespace {

std::string Number(long long value) {
  std::array<char, 24> buf{};
  const auto result = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  return std::string(buf.data(), result.ptr);
}

// Closes the descriptor on every path.
class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

LoadResult Refused(const std::string& path, const std::string& reason) {
  LoadResult result;
  result.message = "Не удалось открыть файл «" + path + "»: " + reason + ".";
  return result;
}

std::string TooLarge() {
  return "файл больше " + Number(static_cast<long long>(kMaxProgramFileBytes >> 20)) +
         " МБ, программа не может быть такой длинной";
}

}  // namespace

const char* EncodingName(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? "UTF-8" : "Windows-1251";
}

DecodedText DecodeProgramBytes(std::string_view bytes) {
  bool beyondAscii = false;
  for (const char c : bytes)
    if (static_cast<unsigned char>(c) >= 0x80) {
      beyondAscii = true;
      break;
    }
  if (beyondAscii && IsValidUtf8(bytes)) return {std::string(bytes), TextEncoding::Utf8};
  return {DecodeCp1251(bytes), TextEncoding::Cp1251};
}

bool LooksBinary(std::string_view bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) continue;
    switch (byte) {
      case '\t':
      case '\n':
      case '\v':
      case '\f':
      case '\r':
      case 0x12:  // DC2 and DC4 switch a tape punch on and off around a program
      case 0x14:
      case 0x1A:  // the old end-of-file mark
        continue;
      default:
        return true;
    }
  }
  return false;
}

LoadResult LoadProgramFile(const std::string& path) {
  // Non-blocking, so that a named pipe or a device does not hang the caller before it is refused.
  const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (fd.Get() < 0) return Refused(path, ErrnoReason(errno, FileAccess::Read));
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return Refused(path, ErrnoReason(errno, FileAccess::Read));
  if (S_ISDIR(info.st_mode)) return Refused(path, ErrnoReason(EISDIR, FileAccess::Read));
  if (!S_ISREG(info.st_mode)) return Refused(path, "это не обычный файл");
  if (static_cast<unsigned long long>(info.st_size) > kMaxProgramFileBytes) return Refused(path, TooLarge());

  // Read until the end, whatever the size said: the file may grow meanwhile, and the limit holds.
  std::string bytes;
  std::array<char, 65536> buffer{};
  for (;;) {
    const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n < 0) return Refused(path, ErrnoReason(errno, FileAccess::Read));
    if (n == 0) break;
    bytes.append(buffer.data(), static_cast<std::size_t>(n));
    if (bytes.size() > kMaxProgramFileBytes) return Refused(path, TooLarge());
  }
  if (LooksBinary(bytes))
    return Refused(path, "это не текстовый файл программы (в нём есть двоичные данные)");

  DecodedText decoded = DecodeProgramBytes(bytes);
  LoadResult result;
  result.loaded = true;
  result.text = std::move(decoded.text);
  if (result.text.ends_with("\r\n"))
    result.text.resize(result.text.size() - 2);
  else if (result.text.ends_with('\n') || result.text.ends_with('\r'))
    result.text.pop_back();
  result.encoding = decoded.encoding;
  return result;
}

}  // namespace kalmoro
