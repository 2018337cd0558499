#include "save/ErrnoText.h"

#include <cerrno>
#include <charconv>

namespace kalmoro {

std::string ErrnoReason(int error, FileAccess access) {
  const bool reading = access == FileAccess::Read;
  switch (error) {
    case ENOENT:
      return reading ? "файл не найден" : "папка не найдена";
    case EACCES:
    case EPERM:
      return reading ? "нет прав на чтение" : "нет прав на запись";
    case EISDIR:
      return reading ? "это папка" : "с таким именем есть папка";
    case ENOSPC:
    case EDQUOT:
      return "на диске нет места";
    case EFBIG:
      return "превышен допустимый размер файла";
    case EROFS:
      return "диск доступен только для чтения";
    case ENOTDIR:
      return "часть пути не является папкой";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    case ELOOP:
      return "слишком много символических ссылок подряд";
    case ETXTBSY:
      return "файл занят";
    case EINVAL:
      return "недопустимое имя файла";
    case EIO:
      return "ошибка ввода-вывода";
    case ENOSYS:
    case EOPNOTSUPP:
      return "файловая система не поддерживает эту операцию";
    default: {
      char digits[16];
      const auto end = std::to_chars(digits, digits + sizeof digits, error).ptr;
      return (reading ? "ошибка чтения (код " : "ошибка ввода-вывода (код ") + std::string(digits, end) + ")";
    }
  }
}

}  // namespace kalmoro
