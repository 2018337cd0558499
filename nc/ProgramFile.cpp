#include "nc/ProgramFile.h"

#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace kalmoro {
namespace {

constexpr std::string_view kIsoExt = ".iso";

std::string ErrnoReason(int error) {
  switch (error) {
    case ENOENT:
      return "папка не найдена";
    case EACCES:
    case EPERM:
      return "нет прав на запись";
    case ENOSPC:
    case EDQUOT:
      return "на диске нет места";
    case EROFS:
      return "диск доступен только для чтения";
    case EISDIR:
      return "с таким именем есть папка";
    case ENOTDIR:
      return "часть пути не является папкой";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    default: {
      char buf[16];
      const auto result = std::to_chars(buf, buf + sizeof buf, error);
      return "ошибка ввода-вывода (код " + std::string(buf, result.ptr) + ")";
    }
  }
}

std::string SaveError(const std::string& path, int error) {
  return "Не удалось сохранить файл «" + path + "»: " + ErrnoReason(error) + ".";
}

// Length of the UTF-8 sequence that starts with byte b (1 for a stray byte).
std::size_t Utf8Length(unsigned char b) {
  if (b >= 0xF0 && b < 0xF8) return 4;
  if (b >= 0xE0) return b < 0xF0 ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

// Closes a descriptor and removes the temporary file unless the write got through.
class TempFile {
 public:
  TempFile(int fd, std::string name) : m_fd(fd), m_name(std::move(name)) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_kept) ::unlink(m_name.c_str());
  }
  int Fd() const { return m_fd; }
  const std::string& Name() const { return m_name; }
  // Closes the descriptor, reporting a failed close (delayed write errors show here).
  bool Close() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }
  void Keep() { m_kept = true; }

 private:
  int m_fd;
  std::string m_name;
  bool m_kept = false;
};

}  // namespace

std::string WithIsoExtension(std::string_view name) {
  std::string path(name);
  if (!path.ends_with(kIsoExt)) path += kIsoExt;
  return path;
}

std::optional<std::string> EncodeCp1251(std::string_view utf8, std::string* badChar) {
  iconv_t cd = ::iconv_open("CP1251", "UTF-8");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the failure value iconv_open is documented to return
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    if (badChar) badChar->clear();
    return std::nullopt;
  }
  std::string out(utf8.size(), '\0');  // never longer than its UTF-8 form
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t rc = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  const int error = errno;
  ::iconv_close(cd);
  if (rc == static_cast<std::size_t>(-1)) {
    if (badChar) {
      const std::size_t offset = static_cast<std::size_t>(in - utf8.data());
      const std::size_t len =
          error == EILSEQ || error == EINVAL ? Utf8Length(static_cast<unsigned char>(*in)) : 0;
      *badChar = std::string(utf8.substr(offset, len));
    }
    return std::nullopt;
  }
  out.resize(out.size() - outLeft);
  return out;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> WriteFileAtomically(const std::string& path, std::string_view bytes) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  if (base.empty()) return SaveError(path, EISDIR);

  // An existing file keeps its permissions; a new one gets the usual ones.
  mode_t mode = 0;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return SaveError(path, EISDIR);
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  std::string pattern = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return SaveError(path, errno);
  TempFile temp(fd, pattern);

  const char* data = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(temp.Fd(), data, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return SaveError(path, errno);
    }
    data += n;
    left -= static_cast<std::size_t>(n);
  }
  if (::fchmod(temp.Fd(), mode) != 0) return SaveError(path, errno);
  if (::fsync(temp.Fd()) != 0) return SaveError(path, errno);
  if (!temp.Close()) return SaveError(path, errno);
  if (::rename(temp.Name().c_str(), path.c_str()) != 0) return SaveError(path, errno);
  temp.Keep();
  return std::nullopt;
}

std::optional<std::string> SaveProgram(std::string_view name, std::string_view utf8Text,
                                       std::string* savedPath) {
  const std::string path = WithIsoExtension(name);
  if (savedPath) *savedPath = path;
  std::string text(utf8Text);
  text += "\r\n";
  std::string bad;
  const auto bytes = EncodeCp1251(text, &bad);
  if (!bytes) {
    if (bad.empty())
      return "Не удалось сохранить файл «" + path + "»: текст нельзя перевести в кодировку Windows-1251.";
    return "Файл «" + path + "» не сохранён: символ «" + bad +
           "» нельзя записать в кодировке Windows-1251. Удалите его из текста программы.";
  }
  return WriteFileAtomically(path, *bytes);
}

}  // namespace kalmoro
