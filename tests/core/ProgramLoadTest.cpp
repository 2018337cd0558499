#include "load/ProgramLoad.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kalmoro {
namespace {

struct DecodeCase {
  const char* name;
  std::string bytes;
  TextEncoding encoding;
  std::string text;
};

class DecodeTest : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, ChoosesTheCodePage) {
  const DecodedText decoded = DecodeProgramBytes(GetParam().bytes);
  EXPECT_EQ(decoded.encoding, GetParam().encoding);
  EXPECT_EQ(decoded.text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, DecodeTest,
    testing::Values(
        DecodeCase{"Ascii", "%(CIRCLE: D10)\r\nN13M02\r\n", TextEncoding::Cp1251,
                   "%(CIRCLE: D10)\r\nN13M02\r\n"},
        DecodeCase{"Empty", "", TextEncoding::Cp1251, ""},
        // "(Деталь)" as the window saves it.
        DecodeCase{"Cp1251Cyrillic", "(\xc4\xe5\xf2\xe0\xeb\xfc)", TextEncoding::Cp1251, "(Деталь)"},
        DecodeCase{"Utf8Cyrillic", "(Деталь)", TextEncoding::Utf8, "(Деталь)"},
        // Valid UTF-8 by chance is rare in Cyrillic Windows-1251 text, but one stray byte settles it.
        DecodeCase{"Utf8WithOneBadByte", "(Дет\xe0)", TextEncoding::Cp1251, "(Р”РµС‚а)"},
        DecodeCase{"Cp1251UndefinedByte", "\x98", TextEncoding::Cp1251, "\xef\xbf\xbd"}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

struct BinaryCase {
  const char* name;
  std::string bytes;
  bool binary;
};

class BinaryTest : public testing::TestWithParam<BinaryCase> {};

TEST_P(BinaryTest, TellsTextFromBinary) {
  EXPECT_EQ(LooksBinary(GetParam().bytes), GetParam().binary);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, BinaryTest,
    testing::Values(BinaryCase{"ProgramWithTabsAndLineEnds", "%\r\nN1\tG92\nN2\f\v", false},
                    BinaryCase{"TapeCodesAndEndMark", "\x12%\r\nN1M02\r\n\x14\x1a", false},
                    BinaryCase{"Cyrillic", "(\xc4\xe5)", false},
                    BinaryCase{"Nul", std::string("N1\0", 3), true}, BinaryCase{"Escape", "N1\x1b[0m", true},
                    BinaryCase{"Delete", "N1\x7f", true},
                    BinaryCase{"PngSignature", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), true}),
    [](const testing::TestParamInfo<BinaryCase>& info) { return std::string(info.param.name); });

class LoadFileTest : public testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kalmoro-load-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    m_dir = name;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }

  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string path = m_dir + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::string m_dir;
};

TEST_F(LoadFileTest, ReadsAProgramInEitherCodePage) {
  const LoadResult cp = LoadProgramFile(Write("cp.iso", "%(CIRCLE: D10)\r\n(\xc4\xe5)\r\n"));
  ASSERT_TRUE(cp.loaded) << cp.message;
  EXPECT_EQ(cp.text, "%(CIRCLE: D10)\r\n(Де)");
  EXPECT_EQ(cp.encoding, TextEncoding::Cp1251);

  const LoadResult utf = LoadProgramFile(Write("utf.iso", "(Де)\n"));
  ASSERT_TRUE(utf.loaded) << utf.message;
  EXPECT_EQ(utf.text, "(Де)");
  EXPECT_EQ(utf.encoding, TextEncoding::Utf8);
}

TEST_F(LoadFileTest, RefusesWhatCannotBeAProgram) {
  const std::string fifo = m_dir + "/pipe.iso";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = Write("huge.iso", std::string(MaxFileBytes(FileUse::Window) + 1, 'N'));
  const struct {
    std::string path;
    std::string reason;
  } cases[] = {
      {m_dir + "/missing.iso", "файл не найден"},
      {m_dir, "это папка"},
      {fifo, "это не обычный файл"},
      {huge, "файл больше 8 МБ"},
      {Write("image.iso", std::string("CD001\0\0\0", 8)), "двоичные данные"},
  };
  for (const auto& c : cases) {
    const LoadResult result = LoadProgramFile(c.path);
    EXPECT_FALSE(result.loaded) << c.path;
    EXPECT_TRUE(result.text.empty()) << c.path;
    EXPECT_NE(result.message.find("«" + c.path + "»"), std::string::npos) << result.message;
    EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
  }
}

// Saving adds one CR LF to the program's text; opening takes it off again, and only it.
TEST_F(LoadFileTest, ASavedProgramReadsBackAsItsText) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"N1M02\r\n\r\n", "N1M02\r\n"}, {"N1M02\r\n", "N1M02"}, {"N1M02\n", "N1M02"},
      {"N1M02\r", "N1M02"},           {"N1M02", "N1M02"},     {"\r\n", ""},
  };
  for (const auto& c : cases) {
    const LoadResult result = LoadProgramFile(Write("saved.iso", c.bytes));
    EXPECT_EQ(result.text, c.text) << c.bytes;
  }
}

TEST_F(LoadFileTest, AFileOfExactlyTheLimitIsRead) {
  const LoadResult result =
      LoadProgramFile(Write("limit.iso", std::string(MaxFileBytes(FileUse::Window), 'N')));
  EXPECT_TRUE(result.loaded) << result.message;
  EXPECT_EQ(result.text.size(), MaxFileBytes(FileUse::Window));
}

// One reader for every use, each with its limit and its words for a file over it; a named pipe without
// a writer and a device are refused at once for every use (the alarm ends a reading that blocks).
TEST_F(LoadFileTest, EveryUseRefusesWhatIsNoFileAndWhatIsOverItsLimit) {
  const std::string fifo = m_dir + "/pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A socket cannot even be opened (ENXIO).
  const std::string socketPath = m_dir + "/socket";
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  const struct {
    FileUse use;
    std::string overLimit;
  } uses[] = {
      {FileUse::Window, "файл больше 8 МБ, программа не может быть такой длинной"},
      {FileUse::Check, "файл больше 64 МБ, программы для станка не бывают такими"},
      {FileUse::Export, "файл больше 64 МБ, программы для станка не бывают такими"},
      {FileUse::Job, "файл больше 64 МБ, задания не бывают такими"},
      {FileUse::MachineProfile, "файл больше 1 МБ, профили станка не бывают такими"},
  };
  for (const auto& [use, overLimit] : uses) {
    const std::string huge = Write("huge", "");
    std::filesystem::resize_file(huge, MaxFileBytes(use) + 1);  // sparse
    ::alarm(10);
    for (const auto& [path, reason] :
         {std::pair(fifo, std::string("это не обычный файл")),
          std::pair(socketPath, std::string("это не обычный файл")),
          std::pair(std::string("/dev/zero"), std::string("это не обычный файл")),
          std::pair(huge, overLimit)}) {
      const InputFile file = ReadInputFile(path, use);
      EXPECT_FALSE(file.read) << path;
      EXPECT_EQ(file.reason, reason) << path << " for use " << static_cast<int>(use);
    }
    ::alarm(0);
  }
  ::close(listener);
}

// Root reads any file: as root the reading is done by a child that has become the user nobody.
TEST_F(LoadFileTest, AnUnreadableFileSaysSo) {
  const std::string path = Write("locked.iso", "N1M02\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  ASSERT_EQ(::chmod(m_dir.c_str(), 0755), 0);
  const auto refused = [&path] {
    const LoadResult result = LoadProgramFile(path);
    return !result.loaded && result.message.find("нет прав на чтение") != std::string::npos;
  };
  if (::geteuid() != 0) {
    EXPECT_TRUE(refused()) << LoadProgramFile(path).message;
    return;
  }
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
    ::_exit(refused() ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_NE(WEXITSTATUS(status), 2) << "the child could not become the user nobody";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "a file the user may not read is refused, naming the reason";
}

}  // namespace
}  // namespace kalmoro
