// UTF-8 bank files: the byte order mark, cuts at characters, the keys of a converted bank and
// the catalogue's UTF-8 titles and paths.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "bank/content_key.h"
#include "bank/picture_info.h"
#include "bank/question_file.h"
#include "bank_test_support.h"
#include "common/utf8.h"

namespace {

using banktest::ScratchDir;
using banktest::WriteBytes;

const std::string kMark = "\xEF\xBB\xBF";

// The records a reader makes of `bytes` fed `step` bytes at a time (0: all at once).
struct Read {
  std::vector<std::unique_ptr<QuestionClass>> records;
  bool utf8 = false;
};
Read ReadIn(const std::string& bytes, std::size_t step) {
  struct Sink {
    Read* read;
    bool Begin(int, QuestionClass*& into) {
      read->records.push_back(std::make_unique<QuestionClass>());
      std::memset(read->records.back()->Vrnt, 0, sizeof read->records.back()->Vrnt);
      into = read->records.back().get();
      return true;
    }
  };
  Read read;
  Sink sink{&read};
  bank::QuestionFileReader reader;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  if (step == 0) step = bytes.size() + 1;
  for (std::size_t at = 0; at < bytes.size(); at += step)
    reader.Feed(p + at, std::min(step, bytes.size() - at), sink);
  reader.Finish(sink);
  read.utf8 = reader.Utf8();
  return read;
}

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

TEST(Utf8Bank, TheMarkMakesAFileUtf8AndTextsAreCutAtCharacters) {
  const std::string ya = "\xD1\x8F";  // "я", two bytes
  const std::string task2047 = "x" + Repeat(ya, 1023);      // 2047 bytes: fits whole
  const std::string task2048 = "xy" + Repeat(ya, 1023);     // the last "я" would be split
  const std::string variant1024 = "x" + Repeat(ya, 512);    // 1025 bytes: the last "я" goes
  const std::string brokenAtCut = "xy" + Repeat(ya, 1022) + "\xD1" "A";  // D1 ends ill-formed
  struct Case {
    const char* fault;  // what goes wrong without the rule
    std::string bytes;
    bool utf8;
    std::string task;
    std::string variant;  // of the first record, when it has one
  } cases[] = {
      {"the mark is stored as the first task's bytes", kMark + "Q\n\t+a\n", true, "Q", "a"},
      {"a beginning like the mark is taken for it", "\xEF\xBB" "A\n", false, "\xEF\xBB" "A", ""},
      {"a file shorter than the mark loses its bytes", "\xEF\xBB", false, "\xEF\xBB", ""},
      {"a mark not at the start counts", "Q\n" + kMark + "R\n", false, "Q", ""},
      {"a text that fits is cut", kMark + task2047 + "\n", true, task2047, ""},
      {"a character is split at the task's limit", kMark + task2048 + "\n", true,
       "xy" + Repeat(ya, 1022), ""},
      {"a character is split at a variant's limit", kMark + "Q\n\t+" + variant1024 + "\n", true,
       "Q", "x" + Repeat(ya, 511)},
      {"an ill-formed sequence that ends at the limit is dropped",
       kMark + brokenAtCut + "\n", true, "xy" + Repeat(ya, 1022) + "\xD1", ""},
      {"a Windows-1251 file is cut otherwise than before", task2048 + "\n", false,
       task2048.substr(0, 2047), ""},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {std::size_t{0}, std::size_t{1}, std::size_t{2}, std::size_t{5}}) {
      SCOPED_TRACE(std::string(c.fault) + ", fed " + std::to_string(step) + " at a time");
      Read read = ReadIn(c.bytes, step);
      EXPECT_EQ(read.utf8, c.utf8);
      ASSERT_FALSE(read.records.empty());
      const QuestionClass& q = *read.records.front();
      EXPECT_EQ(q.bUtf8, c.utf8);
      EXPECT_EQ(std::string(q.Task, strnlen(q.Task, sizeof q.Task)), c.task);
      if (!c.variant.empty()) {
        EXPECT_EQ(std::string(q.Vrnt[0].Text, strnlen(q.Vrnt[0].Text, sizeof q.Vrnt[0].Text)),
                  c.variant);
      }
    }
  }
}

// Keys of every record of the question file at `path`, loaded by the program's loader.
std::vector<std::uint64_t> KeysOf(files::Path path) {
  auto topic = std::make_unique<TopicClass>();
  char copy[kPathCapacity + 1] = {};
  std::snprintf(copy, sizeof copy, "%s", path.bytes);
  topic->LoadQuestions(files::Path(copy, path.utf8));
  std::vector<std::uint64_t> keys;
  for (int i = 0; i < topic->Count; ++i) {
    QuestionClass* q = topic->Get(i);
    if (q->bExists) keys.push_back(bank::ContentKey(*q, bank::PresentVariants(*q)));
  }
  topic->UnloadQuestions();
  return keys;
}

TEST(Utf8Bank, ConvertingTheSampleToUtf8KeepsEveryKey) {
  // Fault: the key is taken on the UTF-8 bytes, and a converted bank loses its history.
  ScratchDir scratch;
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(EXAMEO_SAMPLE_BASE)) {
    // Question and description files only: a picture's bytes may hold a TAB too.
    if (!entry.is_regular_file() || entry.path().extension() != ".txt") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.rfind(kMark, 0) == 0 || bytes.find('\t') == std::string::npos) continue;
    WriteBytes("Base\\old.txt", bytes);
    std::string converted = kMark;
    utf8::FromCp1251(bytes, &converted);
    WriteBytes("Base\\new.txt", converted);
    std::vector<std::uint64_t> before = KeysOf("Base\\old.txt");
    EXPECT_FALSE(before.empty()) << entry.path();
    EXPECT_EQ(before, KeysOf("Base\\new.txt")) << entry.path();
    ++files;
  }
  EXPECT_GE(files, 12);

  // Texts keyed otherwise: what Windows-1251 lacks, and the separator of a picture's path.
  struct Case {
    const char* fault;
    std::string a, b;
    bool same;
  } cases[] = {
      {"a character Windows-1251 lacks keys as its '?'", kMark + "x\xE2\x89\xA4" "1\n\t+a\n",
       kMark + "x?1\n\t+a\n", false},
      {"a picture keeps no key across separators", kMark + "![f](d\\f.png)\n\t+a\n",
       kMark + "![f](d/f.png)\n\t+a\n", true},
      {"a backslash outside a picture reads as a slash", kMark + "a\\b\n\t+a\n",
       kMark + "a/b\n\t+a\n", false},
      {"ill-formed bytes are keyed raw, not as the U+FFFD shown", kMark + "x\xC3\n\t+a\n",
       kMark + "x\xE2\x82\n\t+a\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    WriteBytes("Base\\a.txt", c.a);
    WriteBytes("Base\\b.txt", c.b);
    EXPECT_EQ(KeysOf("Base\\a.txt") == KeysOf("Base\\b.txt"), c.same);
  }
}

TEST(Utf8Bank, DescriptionFilesInUtf8) {
  ScratchDir scratch;
  // "Формулы ≤" and a topic "α" whose UTF-8 path "тема.txt" names the file of the same
  // Windows-1251 name; a path of 42 bytes in a folder "π" has no Windows-1251 name and is kept
  // in UTF-8 (faults: left out, or its pictures' folder decoded as Windows-1251); one of 43 bytes
  // and an ill-formed one are left out (faults: cut, guessed at).
  const std::string pi = "\xCF\x80\\" + Repeat("\xCE\x94", 17);
  WriteBytes("Base\\" + pi + "a.txt", "Q\r\n\t+a\r\n", true);
  WriteBytes("Base\\u.txt", kMark + "\xD0\xA4\xD0\xBE\xD1\x80\xD0\xBC\xD1\x83\xD0\xBB\xD1\x8B "
                                    "\xE2\x89\xA4\r\n"
                                    "\t\xCE\xB1\"\xD1\x82\xD0\xB5\xD0\xBC\xD0\xB0.txt\"\r\n"
                                    "\tp\"" + pi + "a.txt\"\r\n"
                                    "\t" + Repeat("\xCE\xB1", 512) + "\"a.txt\"\r\n"
                                    "\tp\"" + pi + "ab.txt\"\r\n\tq\"x\xC3.txt\"\r\n");
  auto catalogue = std::make_unique<DisciplineClass>();
  char pattern[] = "Base\\*.txt";
  catalogue->LoadDisciplines(pattern);
  ASSERT_EQ(catalogue->LastDiscipline, 0);
  const TitlePath& d = catalogue->Disciplines[0];
  EXPECT_TRUE(d.bUtf8);
  EXPECT_STREQ(d.Title, "\xD0\xA4\xD0\xBE\xD1\x80\xD0\xBC\xD1\x83\xD0\xBB\xD1\x8B \xE2\x89\xA4");
  catalogue->LoadTopics(d);
  ASSERT_EQ(catalogue->LastTopic, 2);
  EXPECT_TRUE(catalogue->Topics[0].bUtf8);
  EXPECT_STREQ(catalogue->Topics[0].Title, "\xCE\xB1");
  EXPECT_STREQ(catalogue->Topics[0].Path, "Base\\\xF2\xE5\xEC\xE0.txt");  // Windows-1251 bytes
  EXPECT_TRUE(catalogue->Topics[1].bPathUtf8 && !catalogue->Topics[0].bPathUtf8);
  EXPECT_EQ(KeysOf(PathOf(catalogue->Topics[1])).size(), 1u);
  EXPECT_EQ(picinfo::FolderOf(PathOf(catalogue->Topics[1])).path, "Base/\xCF\x80/");
  EXPECT_EQ(picinfo::FolderOf(PathOf(catalogue->Topics[1])).depth, 1);
  // A title of 1024 bytes is cut to 1022, never inside its last "α".
  EXPECT_EQ(std::strlen(catalogue->Topics[2].Title), 1022u);
}

}  // namespace
