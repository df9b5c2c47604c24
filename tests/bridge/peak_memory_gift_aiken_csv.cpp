// Peak memory of exameo-import on 20 MB inputs of GIFT, Aiken and CSV in their worst shapes:
// one question with millions of variants, and millions of tiny questions. The tool runs in a
// child process and its peak resident size comes from wait4. Built only natively without
// sanitizers (they inflate memory); a measurement that cannot be made fails the test.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/scratch.h"

namespace {

constexpr long kInputBytes = 20L * 1024 * 1024;
constexpr long kLimitKiB = 200L * 1024;

struct Measured {
  bool ok = false;  // the child ran and was measured
  int code = -1;
  long peakKiB = 0;
  std::string out, err;
};

std::string Slurp(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs exameo-import on `input` into the working directory. fork, not vfork or posix_spawn:
// those share this process's memory until exec, and Linux counts its peak for the child.
Measured RunImport(const std::string& input) {
  Measured m;
  // Buffered output would be written again by the child.
  std::fflush(stdout);
  std::fflush(stderr);
  pid_t pid = fork();
  if (pid < 0) return m;
  if (pid == 0) {
    if (!std::freopen("out.txt", "w", stdout) || !std::freopen("err.txt", "w", stderr)) _exit(127);
    execl(EXAMEO_IMPORT_TOOL, "exameo-import", input.c_str(), ".", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status)) return m;
  m.code = WEXITSTATUS(status);
  m.peakKiB = usage.ru_maxrss;  // KiB on Linux
  m.ok = m.code != 127 && m.peakKiB > 0;
  m.out = Slurp("out.txt");
  m.err = Slurp("err.txt");
  return m;
}

// Writes head, `unit` as often as fits in 20 MB with head and tail, and tail, without holding
// the file in memory (the child would count this process's pages). Returns the repetitions.
long Generate(const char* name, const std::string& head, const std::string& unit,
              const std::string& tail) {
  long count =
      (kInputBytes - static_cast<long>(head.size() + tail.size())) / static_cast<long>(unit.size());
  std::FILE* f = std::fopen(name, "wb");
  EXPECT_NE(f, nullptr) << name;
  if (!f) return 0;
  std::string block;
  for (int i = 0; i < 4096; ++i) block += unit;
  std::fputs(head.c_str(), f);
  long left = count;
  for (; left >= 4096; left -= 4096) std::fwrite(block.data(), 1, block.size(), f);
  for (; left > 0; --left) std::fwrite(unit.data(), 1, unit.size(), f);
  std::fputs(tail.c_str(), f);
  EXPECT_EQ(std::fclose(f), 0);
  return count;
}

void ExpectWithinLimit(const Measured& m, const std::string& what) {
  ASSERT_TRUE(m.ok) << what << ": exameo-import could not be run or measured (" EXAMEO_IMPORT_TOOL
                    << ")";
  std::printf("[ peak     ] %s: %ld KiB\n", what.c_str(), m.peakKiB);
  EXPECT_LT(m.peakKiB, kLimitKiB) << what;
}

TEST(ImportPeakMemory, OneQuestionWithMillionsOfVariants) {
  struct Case {
    const char* file;
    std::string head, unit, tail;
    int extra;  // variants in head and tail
  };
  const Case cases[] = {
      {"wide.gift", "Много {\n=b\n", "~a\n", "}\n", 1},
      {"wide.aiken", "Много\n", "A) a\n", "ANSWER: A\n", 0},
      {"wide.csv", "Много;1", ";a", "\n", 0},
  };
  for (const Case& c : cases) {
    testsupport::ScratchDir scratch;
    long variants = Generate(c.file, c.head, c.unit, c.tail) + c.extra;
    Measured m = RunImport(c.file);
    ExpectWithinLimit(m, c.file);
    // Nothing else to import: the one question is left out for its variants, counted whole.
    EXPECT_EQ(m.code, 2) << c.file;
    EXPECT_NE(m.err.find("question left out: it has " + std::to_string(variants) +
                         " variants, the program holds 12"),
              std::string::npos)
        << c.file << ": " << m.err.substr(0, 500);
  }
}

TEST(ImportPeakMemory, MillionsOfTinyQuestions) {
  struct Case {
    const char* file;
    std::string unit;
  };
  const Case cases[] = {
      {"tiny.gift", "q{T}\n\n"},  // the largest files per input byte
      {"tiny.aiken", "q\nA)a\nB)b\nANSWER: A\n"},
      {"tiny.csv", "q;1;a;b\n"},
  };
  for (const Case& c : cases) {
    testsupport::ScratchDir scratch;
    long questions = Generate(c.file, "", c.unit, "");
    Measured m = RunImport(c.file);
    ExpectWithinLimit(m, c.file);
    EXPECT_EQ(m.code, 0) << c.file << ": " << m.err.substr(0, 500);
    EXPECT_EQ(m.out.substr(0, m.out.find(" in ")),
              std::string(c.file) + ": " + std::to_string(questions) + " questions");
  }
}

TEST(ImportPeakMemory, MillionsOfQuestionsLeftOutEachWithANote) {
  struct Case {
    const char* file;
    std::string unit;
    int unitLines;
    int header;  // a CSV's first row without numbers is its header, not a question
  };
  const Case cases[] = {
      {"essays.gift", "q{}\n\n", 2, 0},
      {"words.csv", "q;x\n", 1, 1},
  };
  for (const Case& c : cases) {
    testsupport::ScratchDir scratch;
    long questions = Generate(c.file, "", c.unit, "") - c.header;
    Measured m = RunImport(c.file);
    ExpectWithinLimit(m, c.file);
    EXPECT_EQ(m.code, 2) << c.file;
    // The first 10,000 notes are listed, the others counted.
    std::string last =
        std::string(c.file) + ":" + std::to_string(1 + (c.header + 9999) * c.unitLines) + ": ";
    EXPECT_NE(m.err.find(last), std::string::npos) << c.file;
    EXPECT_NE(m.err.find(std::string(c.file) + ": " + std::to_string(questions - 10000) +
                         " more losses not listed\n"),
              std::string::npos)
        << c.file;
  }
}

}  // namespace
