#include "save/ErrnoText.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kalmoro {
namespace {

constexpr FileStep kSteps[] = {FileStep::OpenToRead, FileStep::Read,     FileStep::OpenToWrite,
                               FileStep::Create,     FileStep::Write,    FileStep::Truncate,
                               FileStep::Sync,       FileStep::KeepMode, FileStep::Replace,
                               FileStep::Remove,     FileStep::Lock};

// What open, openat, read, pread, write, pwrite, ftruncate, fsync, fdatasync, rename, renameat2, linkat,
// unlinkat, mkdir, fchmod, fchown, fsetxattr, flock, mkstemp and close return on Linux, local and network
// file systems and FUSE included.
constexpr int kMet[] = {
    EACCES,       EAGAIN,       EBADF,       EBADMSG,      EBUSY,       ECANCELED, ECOMM,   ECONNABORTED,
    ECONNREFUSED, ECONNRESET,   EDEADLK,     EDESTADDRREQ, EDQUOT,      EEXIST,    EFAULT,  EFBIG,
    EHOSTDOWN,    EHOSTUNREACH, EHWPOISON,   EILSEQ,       EINTR,       EINVAL,    EIO,     EISDIR,
    EKEYEXPIRED,  EKEYREJECTED, EKEYREVOKED, ELOOP,        EMEDIUMTYPE, EMFILE,    EMLINK,  ENAMETOOLONG,
    ENETDOWN,     ENETUNREACH,  ENFILE,      ENODATA,      ENODEV,      ENOENT,    ENOKEY,  ENOLCK,
    ENOLINK,      ENOMEDIUM,    ENOMEM,      ENOSPC,       ENOSYS,      ENOTCONN,  ENOTDIR, ENOTEMPTY,
    EOPNOTSUPP,   ENXIO,        EOVERFLOW,   EPERM,        EPIPE,       ERANGE,    E2BIG,   EREMOTEIO,
    EROFS,        ESHUTDOWN,    ESPIPE,      ESTALE,       ETIMEDOUT,   ETXTBSY,   EUCLEAN, EXDEV,
};

TEST(ErrnoReason, EveryValueAReadOrASaveMeetsNamesItsCause) {
  for (const int error : kMet) {
    for (const FileStep step : kSteps) {
      const std::string reason = ErrnoReason(error, step);
      EXPECT_EQ(reason.find("(код"), std::string::npos)
          << ::strerrorname_np(error) << " at step " << static_cast<int>(step)
          << " must name its cause, not a "
          << "number: " << reason;
    }
  }
}

struct ReasonRow {
  const char* what;
  int error;
  FileStep step;
  const char* reason;
};

TEST(ErrnoReason, ReadsAsTheStepThatFailed) {
  const ReasonRow rows[] = {
      {"a name the file system refuses", EINVAL, FileStep::Create, "недопустимое имя файла"},
      {"a write the file system refuses", EINVAL, FileStep::Write, "файловая система отклонила запись"},
      {"a length the file system refuses", EINVAL, FileStep::Truncate,
       "файловая система не допускает такую длину файла"},
      {"an owner the saver may not give", EPERM, FileStep::KeepMode,
       "нет прав менять владельца или права доступа файла"},
      {"a value no read meets", ECHILD, FileStep::Read, "ошибка чтения (код 10)"},
      {"a value no save meets", ECHILD, FileStep::Sync, "ошибка ввода-вывода (код 10)"},
  };
  for (const ReasonRow& row : rows) EXPECT_EQ(ErrnoReason(row.error, row.step), row.reason) << row.what;
  EXPECT_EQ(ErrnoReason(ENOENT, FileAccess::Read), "файл не найден") << "reading as before";
  EXPECT_EQ(ErrnoReason(EISDIR, FileAccess::Write), "с таким именем есть папка") << "saving as before";
}

}  // namespace
}  // namespace kalmoro
