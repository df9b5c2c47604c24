#include "platform/files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bank_test_support.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

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
#endif

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
