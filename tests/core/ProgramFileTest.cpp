#include "nc/ProgramFile.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kalmoro {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ProgramFileTest : public testing::Test {
 protected:
  void SetUp() override {
    m_dir = fs::temp_directory_path() / ("kalmoro-save-" + std::to_string(::getpid()) + "-" +
                                         testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(m_dir);
    fs::create_directories(m_dir);
  }
  void TearDown() override { fs::remove_all(m_dir); }
  std::size_t FilesInDir() const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
  }
  fs::path m_dir;
};

TEST(WithIsoExtension, AddedOnlyWhenMissing) {
  EXPECT_EQ(WithIsoExtension("part"), "part.iso");
  EXPECT_EQ(WithIsoExtension("part.iso"), "part.iso");
  EXPECT_EQ(WithIsoExtension("dir.iso/part"), "dir.iso/part.iso");
  EXPECT_EQ(WithIsoExtension("part.ISO"), "part.ISO.iso");
  EXPECT_EQ(WithIsoExtension("part.is"), "part.is.iso");
}

TEST(EncodeCp1251, CyrillicToOneBytePerCharacter) {
  const auto bytes = EncodeCp1251("Текст Программы\r\n");
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(*bytes, "\xD2\xE5\xEA\xF1\xF2 \xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\r\n");
  EXPECT_EQ(EncodeCp1251("N1G92X0.000Y0.000"), "N1G92X0.000Y0.000");
  EXPECT_EQ(EncodeCp1251(""), "");
}

TEST(EncodeCp1251, FirstUnencodableCharacterIsNamed) {
  std::string bad;
  EXPECT_FALSE(EncodeCp1251("N1 ok \xF0\x9F\x98\x80 then \xE4\xB8\xAD", &bad).has_value());
  EXPECT_EQ(bad, "\xF0\x9F\x98\x80");
  EXPECT_FALSE(EncodeCp1251("\xE4\xB8\xAD", &bad).has_value());
  EXPECT_EQ(bad, "\xE4\xB8\xAD");
}

TEST_F(ProgramFileTest, SaveAddsExtensionAndLineEnd) {
  std::string saved;
  EXPECT_EQ(SaveProgram((m_dir / "part").string(), "N13M02\r\n", &saved), std::nullopt);
  EXPECT_EQ(saved, (m_dir / "part.iso").string());
  EXPECT_EQ(ReadBytes(m_dir / "part.iso"), "N13M02\r\n\r\n");
  EXPECT_EQ(SaveProgram((m_dir / "empty.iso").string(), ""), std::nullopt);
  EXPECT_EQ(ReadBytes(m_dir / "empty.iso"), "\r\n");
  EXPECT_EQ(FilesInDir(), 2u) << "no temporary file may be left behind";
}

TEST_F(ProgramFileTest, ReplacesAnExistingFileWhole) {
  const fs::path path = m_dir / "part.iso";
  std::ofstream(path) << std::string(1000, 'x');
  fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(SaveProgram(path.string(), "short"), std::nullopt);
  EXPECT_EQ(ReadBytes(path), "short\r\n");
  EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(ProgramFileTest, FailuresAreReportedAndWriteNothing) {
  const fs::path missing = m_dir / "no-such-folder" / "part";
  const auto error = SaveProgram(missing.string(), "N1");
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find((m_dir / "no-such-folder" / "part.iso").string()), std::string::npos) << *error;
  EXPECT_NE(error->find("папка не найдена"), std::string::npos) << *error;

  fs::create_directory(m_dir / "taken.iso");
  const auto dirError = SaveProgram((m_dir / "taken").string(), "N1");
  ASSERT_TRUE(dirError.has_value());
  EXPECT_TRUE(fs::is_directory(m_dir / "taken.iso"));

  const fs::path kept = m_dir / "kept.iso";
  std::ofstream(kept) << "old";
  const auto emojiError = SaveProgram(kept.string(), "N1 \xF0\x9F\x98\x80");
  ASSERT_TRUE(emojiError.has_value());
  EXPECT_NE(emojiError->find("\xF0\x9F\x98\x80"), std::string::npos) << *emojiError;
  EXPECT_EQ(ReadBytes(kept), "old");
  EXPECT_EQ(FilesInDir(), 2u);
}

}  // namespace
}  // namespace kalmoro
