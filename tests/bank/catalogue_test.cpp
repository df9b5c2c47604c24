#include "bank/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bank_test_support.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using banktest::ScratchDir;
using banktest::WriteBytes;

bool IsZero(const TitlePath& entry) {
  const auto* b = reinterpret_cast<const unsigned char*>(&entry);
  for (std::size_t i = 0; i < sizeof entry; ++i)
    if (b[i] != 0) return false;
  return true;
}

// The catalogue is large; the tests keep theirs on the heap.
std::unique_ptr<DisciplineClass> Scan() {
  auto catalogue = std::make_unique<DisciplineClass>();
  char pattern[64];
  std::snprintf(pattern, sizeof pattern, "%s%s", kBaseDir, "*.txt");
  catalogue->LoadDisciplines(pattern);
  return catalogue;
}

// The topics of the description file `bytes`, read into a fresh catalogue.
std::unique_ptr<DisciplineClass> Topics(std::string_view bytes) {
  WriteBytes("Base\\d.txt", bytes);
  auto catalogue = std::make_unique<DisciplineClass>();
  TitlePath discipline{};
  std::strcpy(discipline.Path, "Base\\d.txt");
  catalogue->UnloadTopics();
  catalogue->LoadTopics(discipline);
  return catalogue;
}

TEST(Catalogue, ConstructionLeavesBothTablesEmpty) {
  auto memory = std::make_unique<unsigned char[]>(sizeof(DisciplineClass));
  std::memset(memory.get(), 0x5A, sizeof(DisciplineClass));
  auto* catalogue = new (memory.get()) DisciplineClass;
  EXPECT_EQ(-1, catalogue->LastTopic);
  EXPECT_EQ(0, catalogue->LastDiscipline);
  for (const TitlePath& e : catalogue->Disciplines) EXPECT_TRUE(IsZero(e));
  for (const TitlePath& e : catalogue->Topics) EXPECT_TRUE(IsZero(e));
}

TEST(Catalogue, ScanFindsDescriptionFilesAndTheirTitles) {
  ScratchDir dir;
  WriteBytes("Base\\1.txt", "Math\r\n\tAlgebra \"m\\alg.txt\"\r\n");
  WriteBytes("Base\\2.TXT", "\rPhysics\r\n");  // first byte CR: an empty title
  WriteBytes("Base\\3.txt", "Lf only\n\tT \"t.txt\"\n");
  WriteBytes("Base\\4.txt", "No line break at all");
  WriteBytes("Base\\notes.dat", "Not a description\r\n");
  std::filesystem::create_directories("Base/dir.txt");
  WriteBytes("top.txt", "Outside the database\r\n");
  auto c = Scan();
  ASSERT_EQ(3, c->LastDiscipline);
  const char* paths[] = {"Base\\1.txt", "Base\\2.TXT", "Base\\3.txt", "Base\\4.txt"};
  const char* titles[] = {"Math", "", "Lf only", "No line break at all"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(c->Disciplines[i].bExists);
    EXPECT_STREQ(paths[i], c->Disciplines[i].Path);
    EXPECT_STREQ(titles[i], c->Disciplines[i].Title);
  }
  for (int i = 4; i < kMaxDisciplines; ++i) EXPECT_TRUE(IsZero(c->Disciplines[i])) << i;
}

TEST(Catalogue, ScanWithOneOrNoDescriptionFile) {
  ScratchDir dir;
  EXPECT_EQ(-1, Scan()->LastDiscipline);  // no database directory at all
  std::filesystem::create_directories("Base");
  EXPECT_EQ(-1, Scan()->LastDiscipline);
  WriteBytes("Base\\only.txt", "Only\r\n");
  auto c = Scan();
  EXPECT_EQ(0, c->LastDiscipline);
  EXPECT_STREQ("Only", c->Disciplines[0].Title);
  // A second scan replaces the table rather than adding to it.
  c->LoadDisciplines(nullptr);
  EXPECT_EQ(-1, c->LastDiscipline);
  EXPECT_TRUE(IsZero(c->Disciplines[0]));
}

TEST(Catalogue, ScanKeepsWithinTheTable) {
  ScratchDir dir;
  for (int i = 0; i < 70; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Base\\%02d.txt", i);
    WriteBytes(name, std::string(i == 0 ? 1500 : 3, 'A' + i % 26) + "\r\n");
  }
  // A name that would not fit behind "Base\" is left out rather than cut; the longest that
  // fits is kept.
  std::string longest = std::string(38, 'x') + ".txt";
  WriteBytes("Base\\" + longest, "Longest\r\n");
  WriteBytes("Base\\" + std::string(39, 'y') + ".txt", "Too long\r\n");
  auto c = Scan();
  ASSERT_EQ(kMaxDisciplines - 1, c->LastDiscipline);
  EXPECT_EQ(std::string(kTitleCapacity - 1, 'A'), c->Disciplines[0].Title);
  EXPECT_STREQ("Base\\63.txt", c->Disciplines[63].Path);
  for (const TitlePath& e : c->Disciplines) EXPECT_NE('y', e.Path[5]);

  ScratchDir other;
  WriteBytes("Base\\" + longest, "Longest\r\n");
  WriteBytes("Base\\" + std::string(39, 'y') + ".txt", "Too long\r\n");
  c = Scan();
  ASSERT_EQ(0, c->LastDiscipline);
  EXPECT_EQ("Base\\" + longest, c->Disciplines[0].Path);
  EXPECT_EQ(kPathCapacity - 1, static_cast<int>(std::strlen(c->Disciplines[0].Path)));
}

#ifndef _WIN32
TEST(Catalogue, ScanPassesOverAFileThatCannotBeOpened) {
  ScratchDir dir;
  WriteBytes("Base\\1.txt", "Readable\r\n");
  WriteBytes("Base\\2.txt", "Locked\r\n");
  ASSERT_EQ(0, chmod("Base/2.txt", 0));
  // The superuser opens it anyway, and a pass would prove nothing: scripts/test.sh runs this
  // test as an unprivileged user when it runs as root.
  int probe = open("Base/2.txt", O_RDONLY);
  if (probe >= 0) {
    close(probe);
    FAIL() << "this user can open a file of mode 000 (root?): run this test as an unprivileged "
              "user, as scripts/test.sh does";
  }
  auto c = Scan();
  EXPECT_EQ(0, c->LastDiscipline);
  EXPECT_STREQ("Readable", c->Disciplines[0].Title);
  EXPECT_TRUE(IsZero(c->Disciplines[1]));
}
#endif

TEST(Catalogue, TopicLinesInOrder) {
  ScratchDir dir;
  const std::string crlf =
      "Discipline\r\n\tFirst topic \"a\\1.txt\"\r\n\tSecond\"b.txt\"\r\n\t\"c\\d\\e.txt\"";
  std::string lf = crlf, cr = crlf;
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  cr.erase(std::remove(cr.begin(), cr.end(), '\n'), cr.end());
  for (const std::string& bytes : {crlf, crlf + "\r\n", lf, cr}) {
    auto c = Topics(bytes);
    ASSERT_EQ(2, c->LastTopic);
    EXPECT_STREQ("First topic ", c->Topics[0].Title);  // the space before the quote stays
    EXPECT_STREQ("Base\\a\\1.txt", c->Topics[0].Path);
    EXPECT_STREQ("Second", c->Topics[1].Title);
    EXPECT_STREQ("Base\\b.txt", c->Topics[1].Path);
    EXPECT_STREQ("", c->Topics[2].Title);
    EXPECT_STREQ("Base\\c\\d\\e.txt", c->Topics[2].Path);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(c->Topics[i].bExists);
    for (int i = 3; i < kMaxTopics; ++i) EXPECT_TRUE(IsZero(c->Topics[i])) << i;
  }
}

TEST(Catalogue, TitleLineOnlyOrMissingFileGivesNoTopics) {
  ScratchDir dir;
  EXPECT_EQ(-1, Topics("Just a title\r\n")->LastTopic);
  // The title line is never a topic line, whatever it holds.
  EXPECT_EQ(-1, Topics("\tLooks like \"a topic.txt\"\r\n")->LastTopic);
  auto c = std::make_unique<DisciplineClass>();
  TitlePath removed{};
  std::strcpy(removed.Path, "Base\\removed.txt");
  c->LoadTopics(removed);
  EXPECT_EQ(-1, c->LastTopic);
  // A path without its terminating zero is read no further than its field.
  TitlePath unterminated;
  std::memset(&unterminated, 'z', sizeof unterminated);
  c->LoadTopics(unterminated);
  EXPECT_EQ(-1, c->LastTopic);
}

TEST(Catalogue, ReloadingLeavesNoTopicOfTheFormerDiscipline) {
  ScratchDir dir;
  WriteBytes("Base\\long.txt",
             "L\r\n\tA long first title \"long\\path\\one.txt\"\r\n\tB \"2\"\r\n");
  WriteBytes("Base\\short.txt", "S\r\n\tX\"y\"\r\n");
  auto c = std::make_unique<DisciplineClass>();
  TitlePath first{}, second{};
  std::strcpy(first.Path, "Base\\long.txt");
  std::strcpy(second.Path, "Base\\short.txt");
  c->UnloadTopics();
  c->LoadTopics(first);
  ASSERT_EQ(1, c->LastTopic);
  c->UnloadTopics();
  EXPECT_EQ(-1, c->LastTopic);
  for (const TitlePath& e : c->Topics) EXPECT_TRUE(IsZero(e));
  c->LoadTopics(second);
  ASSERT_EQ(0, c->LastTopic);
  EXPECT_STREQ("X", c->Topics[0].Title);
  EXPECT_STREQ("Base\\y", c->Topics[0].Path);
  EXPECT_TRUE(IsZero(c->Topics[1]));
}

TEST(Catalogue, MalformedTopicLinesAreLeftOut) {
  ScratchDir dir;
  std::string path42(42, 'p');
  std::string bytes = "Title\twith \"quotes\"\r\n";
  bytes += "\tok 0\"zero.txt\"\r\n";
  bytes += "\tNo quotes at all\r\n";
  bytes += "\tNo closing \"quote.txt\r\n";
  bytes += "\tComment after \"one.txt\" ignored\r\n";
  bytes += "\tTwo \"paths.txt\" \"or a quote in the title.txt\"\r\n";
  bytes += "No TAB \"x.txt\"\r\n";
  bytes += " \tTAB not first \"x.txt\"\r\n";
  bytes += "\tTAB\tin title \"x.txt\"\r\n";
  bytes += "\tTAB in path \"x\t.txt\"\r\n";
  bytes += "\tTitle broken\r\nacross lines \"x.txt\"\r\n";
  bytes += std::string("\tZero in path \"x") + '\0' + ".txt\"\r\n";
  bytes += "\tPath too long \"" + path42 + "p\"\r\n";
  bytes += "\tLongest path \"" + path42 + "\"\r\n";
  bytes += "\t" + std::string(1500, 'T') + "\"long title.txt\"\r\n";
  bytes += "\r\n\tok 5\"five.txt\"\r\n";
  auto c = Topics(bytes);
  ASSERT_EQ(5, c->LastTopic);
  EXPECT_STREQ("ok 0", c->Topics[0].Title);
  EXPECT_STREQ("Comment after ", c->Topics[1].Title);
  EXPECT_STREQ("Base\\one.txt", c->Topics[1].Path);
  // The line break inside a title is dropped and the topic kept.
  EXPECT_STREQ("Title brokenacross lines ", c->Topics[2].Title);
  EXPECT_STREQ("Base\\x.txt", c->Topics[2].Path);
  EXPECT_STREQ("Longest path ", c->Topics[3].Title);
  EXPECT_EQ("Base\\" + path42, c->Topics[3].Path);
  EXPECT_EQ(std::string(kTitleCapacity - 1, 'T'), c->Topics[4].Title);
  EXPECT_STREQ("Base\\long title.txt", c->Topics[4].Path);
  EXPECT_STREQ("ok 5", c->Topics[5].Title);
  for (int i = 6; i < kMaxTopics; ++i) EXPECT_TRUE(IsZero(c->Topics[i])) << i;
}

// CR and LF bytes inside a title are not stored; the rest of the title and the topic stay. A
// TAB that opens the next line begins a new topic line instead, so a title that never meets its
// quote takes no later topic with it.
TEST(Catalogue, LineBreaksInsideATitleAreDropped) {
  ScratchDir dir;
  auto c = Topics(
      "D\r\n\tAl\rge\nbra\r\n\r\n \"a.txt\"\r\n"  // lines 2 to 6: one topic
      "\tNo quote\r\n"                            // line 7: left out
      "\tNext\"n.txt\"\r\n"                       // line 8
      "\tCut\r\npath\"p\r\nq.txt\"\r\n"           // lines 9 to 11: left out
      "\tLast\r\n");                              // line 12: left out
  ASSERT_EQ(1, c->LastTopic);
  EXPECT_STREQ("Algebra ", c->Topics[0].Title);
  EXPECT_STREQ("Base\\a.txt", c->Topics[0].Path);
  EXPECT_STREQ("Next", c->Topics[1].Title);
  EXPECT_STREQ("Base\\n.txt", c->Topics[1].Path);
}

struct Seen {
  int first, last;
  bank::TopicLines what;
  int topic;
  bool operator==(const Seen&) const = default;
};

void Record(void* context, int first, int last, bank::TopicLines what, int topic) {
  static_cast<std::vector<Seen>*>(context)->push_back({first, last, what, topic});
}

// The observer hears of every line that holds a byte, numbered as an editor numbers them, and
// the catalogue reads alike whether it listens or not.
TEST(Catalogue, ObserverHearsWhatBecameOfEachLine) {
  ScratchDir dir;
  using enum bank::TopicLines;
  std::string many = "D\r\n";                                       // line 1
  many += "\tA\"a\"\r\n\r\n";                                       // 2 kept, 3 empty
  many += "no tab\n";                                               // 4
  many += "\tB\r\rb\"b\"\r";                                        // 5 to 7 kept (lone CRs)
  many += "\tC\"c\td\"\n";                                          // 8 left out
  for (int i = 0; i < kMaxTopics - 2; ++i) many += "\tT\"t\"\r\n";  // 9 to 134
  many += "\tFull\"f\"\r\n\tEnd";                                   // 135 table full, 136 out

  std::vector<Seen> seen;
  bank::TopicObserver observer{Record, &seen};
  bank::topicObserver = &observer;
  auto heard = Topics(many);
  bank::topicObserver = nullptr;
  auto quiet = Topics(many);

  ASSERT_EQ(kMaxTopics - 1, heard->LastTopic);
  EXPECT_EQ(0, std::memcmp(heard->Topics, quiet->Topics, sizeof heard->Topics));
  EXPECT_STREQ("Bb", heard->Topics[1].Title);
  ASSERT_EQ(4u + (kMaxTopics - 2) + 2, seen.size());
  EXPECT_EQ((Seen{2, 2, kKept, 0}), seen[0]);
  EXPECT_EQ((Seen{4, 4, kLeftOut, -1}), seen[1]);
  EXPECT_EQ((Seen{5, 7, kKept, 1}), seen[2]);
  EXPECT_EQ((Seen{8, 8, kLeftOut, -1}), seen[3]);
  EXPECT_EQ((Seen{9, 9, kKept, 2}), seen[4]);
  EXPECT_EQ((Seen{134, 134, kKept, 127}), seen[seen.size() - 3]);
  EXPECT_EQ((Seen{135, 135, kTableFull, -1}), seen[seen.size() - 2]);
  EXPECT_EQ((Seen{136, 136, kLeftOut, -1}), seen[seen.size() - 1]);

  // The same bytes held in memory read as from the file.
  auto fromBytes = std::make_unique<DisciplineClass>();
  fromBytes->UnloadTopics();
  bank::LoadTopicsFromBytes(fromBytes.get(), reinterpret_cast<const unsigned char*>(many.data()),
                            many.size());
  EXPECT_EQ(0, std::memcmp(heard->Topics, fromBytes->Topics, sizeof heard->Topics));
  EXPECT_EQ(heard->LastTopic, fromBytes->LastTopic);
}

TEST(Catalogue, AtMostAFullTableOfTopics) {
  ScratchDir dir;
  std::string bytes = "Many\r\n";
  for (int i = 0; i < kMaxTopics + 5; ++i) bytes += "\tT" + std::to_string(i) + "\"f\"\r\n";
  auto c = Topics(bytes);
  ASSERT_EQ(kMaxTopics - 1, c->LastTopic);
  EXPECT_STREQ("T0", c->Topics[0].Title);
  EXPECT_STREQ("T127", c->Topics[127].Title);
}

// Windows-1251 names are listed and opened with the bytes the database holds.
TEST(Catalogue, CyrillicNamesAreListedAndOpened) {
  ScratchDir dir;
  constexpr auto kDescription = Cp1251("Base\\Физика.txt");
  constexpr auto kTitle = Cp1251("Физика и её задачи");
  constexpr auto kTopicLine = Cp1251("\tМеханика \"Физика\\Механика.txt\"\r\n");
  constexpr auto kTopicFile = Cp1251("Base\\Физика\\Механика.txt");
  constexpr auto kTask = Cp1251("Что такое сила?");
  WriteBytes(kDescription.c_str(), std::string(kTitle.c_str()) + "\r\n" + kTopicLine.c_str());
  WriteBytes(kTopicFile.c_str(), std::string(kTask.c_str()) + "\r\n\t+Вектор\r\n");
  auto c = Scan();
  ASSERT_EQ(0, c->LastDiscipline);
  EXPECT_STREQ(kDescription.c_str(), c->Disciplines[0].Path);
  EXPECT_STREQ(kTitle.c_str(), c->Disciplines[0].Title);
  c->UnloadTopics();
  c->LoadTopics(c->Disciplines[0]);
  ASSERT_EQ(0, c->LastTopic);
  EXPECT_STREQ(kTopicFile.c_str(), c->Topics[0].Path);

  TopicClass topic;
  banktest::UnloadOnExit cleanup{topic};
  topic.LoadQuestions(c->Topics[0].Path);
  ASSERT_TRUE(topic.Head.bExists);
  EXPECT_STREQ(kTask.c_str(), topic.Head.Task);
  EXPECT_TRUE(topic.Head.Vrnt[0].bCorrect);
}

}  // namespace
