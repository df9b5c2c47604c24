#include "platform/files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bank_test_support.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif
#include "support/held_file.h"

namespace {

using banktest::ScratchDir;
using banktest::WriteBytes;

std::string ReadAll(const char* path, std::size_t block) {
  files::InputFile file(path);
  std::string all;
  std::vector<unsigned char> buffer(block);
  for (std::size_t got; (got = file.Read(buffer.data(), buffer.size())) != 0;)
    all.append(reinterpret_cast<const char*>(buffer.data()), got);
  return all;
}

std::vector<std::string> List(const char* pattern, std::size_t stopAfter = 1000) {
  struct Context {
    std::vector<std::string> names;
    std::size_t stopAfter;
  } context{{}, stopAfter};
  files::ForEachFile(
      pattern,
      [](const char* name, void* p) {
        auto* c = static_cast<Context*>(p);
        c->names.emplace_back(name);
        return c->names.size() < c->stopAfter;
      },
      &context);
  return context.names;
}

TEST(Files, InputFileReadsEveryByteInBlocks) {
  ScratchDir dir;
  std::string bytes;
  for (int i = 0; i < 200000; ++i) bytes += static_cast<char>(i * 7 % 256);
  WriteBytes("Base\\sub\\data.bin", bytes);
  EXPECT_EQ(bytes, ReadAll("Base\\sub\\data.bin", 65536));
  EXPECT_EQ(bytes, ReadAll("Base\\sub\\data.bin", 3));
  files::InputFile file("Base\\sub\\data.bin");
  EXPECT_TRUE(file.IsOpen());
  unsigned char one = 0;
  EXPECT_EQ(0u, file.Read(&one, 0));
}

TEST(Files, WhatCannotBeOpenedReadsEmpty) {
  ScratchDir dir;
  std::filesystem::create_directories("Base/dir.txt");
  for (const char* path : {"Base\\missing.txt", "Base\\dir.txt", "Base", ""}) {
    files::InputFile file(path);
    EXPECT_FALSE(file.IsOpen()) << path;
    unsigned char buffer[16];
    EXPECT_EQ(0u, file.Read(buffer, sizeof buffer)) << path;
  }
  files::InputFile none(nullptr);
  EXPECT_FALSE(none.IsOpen());
}

#ifndef _WIN32
// A FIFO would block the open or the reads; it is no regular file and reads as empty.
TEST(Files, SpecialFilesReadEmptyWithoutBlocking) {
  ScratchDir dir;
  std::filesystem::create_directories("Base");
  ASSERT_EQ(0, mkfifo("Base/pipe.txt", 0600));
  files::InputFile pipe("Base\\pipe.txt");
  EXPECT_FALSE(pipe.IsOpen());
  files::InputFile device("Base\\..\\..\\..\\..\\..\\..\\..\\..\\..\\..\\dev\\zero");
  EXPECT_FALSE(device.IsOpen());
  EXPECT_TRUE(List("Base\\*.txt").empty());
}

// Such a name could only be opened as a path into a subdirectory, so it is not offered.
TEST(Files, NamesWithABackslashAreNotListed) {
  ScratchDir dir;
  WriteBytes("Base\\a\\b.txt", "in a subdirectory");
  std::ofstream("Base/a\\b.txt", std::ios::binary) << "named with a backslash";
  WriteBytes("Base\\c.txt", "x");
  EXPECT_EQ(std::vector<std::string>({"c.txt"}), List("Base\\*.txt"));
}
// The names in a folder, sorted.
std::vector<std::string> Names(const char* folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// While alive, files of this process cannot grow past `bytes`: a write past it fails part way
// (EFBIG) instead of raising SIGXFSZ, as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    set_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, previous_);
  }
  bool Set() const { return set_; }

 private:
  rlimit old_{};
  void (*previous_)(int) = nullptr;
  bool set_ = false;
};

TEST(Files, WritesCutShortByAFullDiskLeaveTheOldFileWhole) {
  ScratchDir dir;
  std::filesystem::create_directories("d");
  const std::string old = "old text, whole\r\n";
  ASSERT_TRUE(files::WriteWhole("d\\f.txt", old.data(), old.size()));
  ASSERT_TRUE(files::AppendLines("d\\log.txt", "1\r\n", 3, "head\r\n"));
  const std::string big(10000, 'x');
  {
    FileSizeLimit limit(4096);
    ASSERT_TRUE(limit.Set());
    // The temporary takes 4096 bytes, then the disk is "full": the rename never happens.
    files::Fault why = files::Fault::kNone;
    EXPECT_FALSE(files::WriteWhole("d\\f.txt", big.data(), big.size(), &why));
    EXPECT_EQ(why, files::Fault::kFull);
    // An append that does not fit whole is cut back off the file.
    why = files::Fault::kNone;
    std::string lines = big + "\r\n";
    EXPECT_FALSE(files::AppendLines("d\\log.txt", lines.data(), lines.size(), nullptr, &why));
    EXPECT_EQ(why, files::Fault::kFull);
    EXPECT_TRUE(files::AppendLines("d\\log.txt", "2\r\n", 3, nullptr));  // a line that fits
  }
  EXPECT_EQ(ReadAll("d\\f.txt", 65536), old);
  EXPECT_EQ(ReadAll("d\\log.txt", 65536), "head\r\n1\r\n2\r\n");
  EXPECT_EQ(Names("d"), (std::vector<std::string>{"f.txt", "log.txt"}));  // no temporary left
}

#endif

TEST(Files, AnAppendToAFileAnotherProgramHoldsIsRefusedAsInUse) {
  ScratchDir dir;
  std::filesystem::create_directories("d");
  ASSERT_TRUE(files::AppendLines("d\\r.csv", "a\r\n", 3, "h\r\n"));
  testsupport::HeldFile held("d\\r.csv");
  ASSERT_TRUE(held.Held());
  files::Fault why = files::Fault::kNone;
  EXPECT_FALSE(files::AppendLines("d\\r.csv", "b\r\n", 3, "h\r\n", &why));
  EXPECT_EQ(why, files::Fault::kInUse);
  EXPECT_EQ(ReadAll("d\\r.csv", 65536), "h\r\na\r\n");  // still read while held
  held.Release();
  EXPECT_TRUE(files::AppendLines("d\\r.csv", "b\r\n", 3, "h\r\n", &why));
  EXPECT_EQ(why, files::Fault::kNone);
  EXPECT_EQ(ReadAll("d\\r.csv", 65536), "h\r\na\r\nb\r\n");
  // A folder in the file's place, and a folder that is not there.
  std::filesystem::create_directories("d/sub.csv");
  EXPECT_FALSE(files::AppendLines("d\\sub.csv", "b\r\n", 3, nullptr, &why));
  EXPECT_NE(why, files::Fault::kNone);
  EXPECT_NE(why, files::Fault::kInUse);
  EXPECT_FALSE(files::AppendLines("d\\none\\r.csv", "b\r\n", 3, nullptr, &why));
  EXPECT_EQ(why, files::Fault::kFolder);
}

#ifdef _WIN32
// A file held open without delete sharing cannot be replaced: the old file and no temporary
// stay, and the cause is the program holding it; once it lets go, the write goes through.
TEST(Files, AWholeWriteOverAHeldFileSaysSoAndLeavesIt) {
  ScratchDir dir;
  std::filesystem::create_directories("d");
  ASSERT_TRUE(files::WriteWhole("d\\o.ini", "old", 3));
  files::Fault why = files::Fault::kNone;
  {
    testsupport::HeldFile held("d\\o.ini");
    ASSERT_TRUE(held.Held());
    EXPECT_FALSE(files::WriteWhole("d\\o.ini", "new", 3, &why));
    EXPECT_EQ(why, files::Fault::kInUse);
  }
  EXPECT_EQ(ReadAll("d\\o.ini", 64), "old");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator("d"))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"o.ini"});
  EXPECT_TRUE(files::WriteWhole("d\\o.ini", "new", 3, &why));
  EXPECT_EQ(ReadAll("d\\o.ini", 64), "new");
}
#endif

TEST(Files, InputFileSkipsToAnOffsetWithinTheFile) {
  ScratchDir dir;
  WriteBytes("d\\f.bin", "0123456789");
  files::InputFile file("d\\f.bin");
  EXPECT_EQ(file.Size(), 10u);
  ASSERT_TRUE(file.SkipTo(7));
  unsigned char buffer[16];
  ASSERT_EQ(file.Read(buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "789");
  EXPECT_TRUE(file.SkipTo(10));
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 0u);
  EXPECT_FALSE(file.SkipTo(11));
  files::InputFile missing("d\\none.bin");
  EXPECT_EQ(missing.Size(), 0u);
  EXPECT_FALSE(missing.SkipTo(0));
}

TEST(Files, ForEachFileMatchesTheExtensionInAStableOrder) {
  ScratchDir dir;
  const std::string cyrillic = Cp1251("Базы.txt").c_str();
  for (const std::string& name :
       {std::string("b.txt"), std::string("A.TXT"), std::string("c.Txt"), std::string("d.txt.bak"),
        std::string("e.text"), std::string("ftxt"), std::string(".txt"), cyrillic})
    WriteBytes("Base\\" + name, "x");
  std::filesystem::create_directories("Base/sub.txt");
  WriteBytes("other.txt", "x");
  std::vector<std::string> want = {".txt", "A.TXT", "b.txt", "c.Txt", cyrillic};
  EXPECT_EQ(want, List("Base\\*.txt"));
  EXPECT_EQ(want, List("Base\\*.TXT"));
  EXPECT_EQ(std::vector<std::string>({".txt", "A.TXT"}), List("Base\\*.txt", 2));
  EXPECT_TRUE(List("Nowhere\\*.txt").empty());
  EXPECT_EQ(std::vector<std::string>({"other.txt"}), List("*.txt"));
}

// Faults: a UTF-8 path widened as Windows-1251, its full path not UTF-8.
TEST(Files, Utf8PathsOpenTheFilesTheirCharactersName) {
  ScratchDir dir;
  const std::string path = "Base\\\xCE\x95\\\xCE\x94.txt";  // "Base\Ε\Δ.txt"
  WriteBytes(path, "x", true);
  EXPECT_TRUE(files::InputFile(files::Path(path.c_str(), true)).IsOpen());
  const std::string full = files::FullPath(files::Path(path.c_str(), true));
  ASSERT_GT(full.size(), path.size());
  EXPECT_EQ(full.substr(full.size() - path.size()), path);
}

#ifdef _WIN32
// A name that Windows-1251 cannot write could not be opened again from its bytes.
TEST(Files, NamesOutsideTheCodePageArePassedOver) {
  ScratchDir dir;
  WriteBytes("Base\\kept.txt", "x");
  std::filesystem::path wide = std::filesystem::path(L"Base") / std::wstring(L"\u65E5.txt");
  std::ofstream(wide, std::ios::binary) << "x";
  ASSERT_TRUE(std::filesystem::exists(wide));
  EXPECT_EQ(std::vector<std::string>({"kept.txt"}), List("Base\\*.txt"));
}
#endif

}  // namespace
