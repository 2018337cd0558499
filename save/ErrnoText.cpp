#include "save/ErrnoText.h"

#include <cerrno>
#include <charconv>

namespace kalmoro {
namespace {

bool Reading(FileStep step) {
  return step == FileStep::OpenToRead || step == FileStep::Read;
}

// A new name is made or changed in the folder at these steps.
bool ChangesFolder(FileStep step) {
  return step == FileStep::Create || step == FileStep::Replace || step == FileStep::Remove;
}

// The reasons that read differently by step; nullptr for the others.
const char* StepReason(int error, FileStep step) {
  const bool reading = Reading(step);
  switch (error) {
    case ENOENT:
      if (reading) return "файл не найден";
      return step == FileStep::OpenToWrite || step == FileStep::Create ? "папка не найдена"
                                                                       : "файл удалён во время сохранения";
    case EACCES:
      if (reading) return "нет прав на чтение";
      if (step == FileStep::OpenToWrite) return "нет прав на доступ к папке";
      return ChangesFolder(step) ? "нет прав на запись в папку" : "нет прав на запись";
    case EPERM:
      if (reading) return "нет прав на чтение";
      if (step == FileStep::KeepMode) return "нет прав менять владельца или права доступа файла";
      if (ChangesFolder(step)) return "система запрещает менять этот файл в этой папке";
      return "файл защищён от изменения";
    case EISDIR:
      return reading ? "это папка" : "с таким именем есть папка";
    case EINVAL:
      switch (step) {
        case FileStep::Read:
          return "файловая система отклонила чтение";
        case FileStep::Write:
          return "файловая система отклонила запись";
        case FileStep::Truncate:
          return "файловая система не допускает такую длину файла";
        case FileStep::Sync:
          return "файловая система не умеет записывать файл на диск по требованию";
        case FileStep::KeepMode:
          return "файловая система не принимает такого владельца или права доступа";
        case FileStep::Lock:
          return "файловая система не поддерживает блокировку файлов";
        default:
          return "недопустимое имя файла";
      }
    case EEXIST:
      if (step == FileStep::Create) return "все свободные имена заняты";
      return step == FileStep::Replace ? "с таким именем есть непустая папка"
                                       : "файл с таким именем уже есть";
    case EAGAIN:
      return step == FileStep::Lock ? "файл заблокирован другой программой"
                                    : "файл временно недоступен, повторите попытку";
    default:
      return nullptr;
  }
}

// The reasons that read the same at every step; nullptr for values no read or save meets.
const char* CommonReason(int error) {
  switch (error) {
    case ENOSPC:
      return "на диске нет места";
    case EDQUOT:
      return "исчерпана дисковая квота пользователя";
    case EFBIG:
      return "превышен допустимый размер файла";
    case EOVERFLOW:
      return "файл слишком велик для этой операции";
    case EROFS:
      return "диск доступен только для чтения";
    case ENOTDIR:
      return "часть пути не является папкой";
    case ENAMETOOLONG:
      return "слишком длинное имя";
    case EILSEQ:
      return "имя недопустимо в этой файловой системе (неверная кодировка)";
    case ELOOP:
      return "слишком много символических ссылок подряд";
    case EMLINK:
      return "у файла или папки слишком много ссылок";
    case ENOTEMPTY:
      return "с таким именем есть непустая папка";
    case ETXTBSY:
      return "файл занят: он выполняется как программа или служит файлом подкачки";
    case EBUSY:
      return "файл или папка заняты системой (например, это точка монтирования)";
    case EXDEV:
      return "файлы оказались на разных файловых системах";
    case EIO:
      return "ошибка ввода-вывода";
    case EUCLEAN:
      return "файловая система повреждена, её нужно проверить";
    case EBADMSG:
      return "данные на диске повреждены (не сошлась контрольная сумма)";
    case ENOSYS:
    case EOPNOTSUPP:
      return "файловая система не поддерживает эту операцию";
    case EMFILE:
      return "программа открыла слишком много файлов";
    case ENFILE:
      return "в системе открыто слишком много файлов";
    case ENOMEM:
      return "не хватает памяти";
    case EINTR:
      return "операция прервана сигналом";
    case ENOLCK:
      return "система не может выдать блокировку файла";
    case EDEADLK:
      return "блокировка файла привела бы к взаимной блокировке";
    case ESTALE:
      return "файл на сетевом диске устарел: его изменили или удалили на сервере";
    case ENOTCONN:
    case ENOLINK:
    case ECOMM:
      return "нет связи с сетевым диском";
    case ETIMEDOUT:
      return "сетевой диск не ответил вовремя";
    case ECONNREFUSED:
    case ECONNRESET:
    case ECONNABORTED:
      return "сервер сетевого диска разорвал соединение";
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENETDOWN:
    case ENETUNREACH:
      return "сервер сетевого диска недоступен";
    case EREMOTEIO:
      return "ошибка ввода-вывода на сервере сетевого диска";
    case ENOKEY:
    case EKEYEXPIRED:
    case EKEYREVOKED:
    case EKEYREJECTED:
      return "папка зашифрована, а ключ к ней недоступен";
    case ENXIO:
      return "устройство не подключено";
    case ENODEV:
      return "устройство не найдено";
    case ENOMEDIUM:
      return "в устройстве нет носителя";
    case EMEDIUMTYPE:
      return "неподходящий тип носителя";
    case ESHUTDOWN:
      return "файловая система отключена";
    case EHWPOISON:
      return "аппаратный сбой памяти";
    case ENODATA:
      return "нет данных";
    case ERANGE:
    case E2BIG:
      return "значение слишком велико";
    case ESPIPE:
      return "это канал или устройство, а не обычный файл";
    case EPIPE:
      return "канал закрыт с другой стороны";
    case EDESTADDRREQ:
      return "это сокет без адреса, а не обычный файл";
    case ECANCELED:
      return "операция отменена";
    case EBADF:
      return "внутренняя ошибка: файл открыт не для этой операции";
    case EFAULT:
      return "внутренняя ошибка программы (неверный адрес памяти)";
    default:
      return nullptr;
  }
}

}  // namespace

std::string ErrnoReason(int error, FileStep step) {
  if (const char* reason = StepReason(error, step)) return reason;
  if (const char* reason = CommonReason(error)) return reason;
  char digits[16];
  const auto end = std::to_chars(digits, digits + sizeof digits, error).ptr;
  return (Reading(step) ? "ошибка чтения (код " : "ошибка ввода-вывода (код ") + std::string(digits, end) +
         ")";
}

std::string ErrnoReason(int error, FileAccess access) {
  return ErrnoReason(error, access == FileAccess::Read ? FileStep::OpenToRead : FileStep::OpenToWrite);
}

}  // namespace kalmoro
