// What the import's fuzz targets check on every input: the readers give folded, non-empty
// texts; what the bank writer makes of them is read back by the program's own loader as
// exactly those questions (a plain model of the program's limits decides which are kept); and
// whenever something is written, exameo-check's own checks find nothing wrong with it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bank/question.h"
#include "bridge/bank_writer.h"
#include "bridge/readers.h"
#include "bridge/pictures.h"
#include "bridge/tex_text.h"
#include "bridge/text.h"
#include "common/utf8.h"
#include "check_format.h"
#include "fuzz_support.h"

namespace fuzzbridge {

using fuzzsupport::Require;

inline TopicClass topic;  // in zeroed static storage, like the program's own
inline std::string scratchDir;
inline std::string inputPath;

inline void RemoveScratch() {
  std::remove(inputPath.c_str());
  ::rmdir(scratchDir.c_str());
}

inline const char* TopicPath() {
  if (!inputPath.empty()) return inputPath.c_str();
  scratchDir = fuzzsupport::MakeScratchDir("bridge");
  inputPath = scratchDir + "/t.txt";
  std::atexit(RemoveScratch);
  return inputPath.c_str();
}

// A text as it goes to the bank: control characters other than TAB, CR, LF (and U+0000, which
// becomes '?') removed, folded again, malformed sequences made U+FFFD and formulas made text; in
// Windows-1251 when every character has a byte there, else *utf8 is set.
inline std::string Encoded(std::string_view utf8, bool* utf8Needed) {
  std::string kept;
  for (char c : utf8) {
    unsigned char b = static_cast<unsigned char>(c);
    bool control = (b >= 1 && b < 0x20 && c != '\t' && c != '\r' && c != '\n') || b == 0x7F;
    if (!control) kept += c == '\0' ? '?' : c;
  }
  std::string repaired;
  utf8::Repair(bridge::FoldSpace(kept), &repaired);
  std::string text = tex::ConvertText(repaired);
  std::string out;
  // A picture, or a character Windows-1251 lacks, makes the topic's file UTF-8.
  if (text.find(bridge::kPictureMark) != std::string::npos || !utf8::ToCp1251(text, &out)) {
    *utf8Needed = true;
    bridge::Utf8ToCp1251(text, &out);
  }
  return out;
}

inline bool Folded(const std::string& s) {
  return bridge::FoldSpace(s) == s;
}

// A question's texts as they go to the bank, worked out once: every check below reads them.
struct EncodedQuestion {
  const bridge::Question* question = nullptr;
  std::string task;
  std::vector<std::string> variants;
  bool utf8 = false;  // its texts need a UTF-8 file
};

inline EncodedQuestion EncodeQuestion(const bridge::Question& q) {
  EncodedQuestion e{&q, {}, {}};
  e.task = Encoded(q.task, &e.utf8);
  for (const bridge::Variant& v : q.variants) e.variants.push_back(Encoded(v.text, &e.utf8));
  return e;
}

// Whether the program can hold the question, as its limits say.
inline bool Fits(const EncodedQuestion& e) {
  if (e.question->VariantCount() > 12 || e.task.empty() || e.task.size() > 2047) return false;
  for (const std::string& text : e.variants) {
    if (text.empty()) return false;
    std::size_t size = text.size() + (text[0] == '+' || text[0] == '-' ? 1 : 0);
    if (size > 1023) return false;
  }
  return true;
}

inline bool HighBytes(const std::string& s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// Questions that would make their file look like another encoding to exameo-check are left out.
inline void KeepToOneEncoding(std::vector<EncodedQuestion>* kept) {
  while (!kept->empty() && bridge::BeginsLikeAByteOrderMark(kept->front().task))
    kept->erase(kept->begin());
  std::string all;
  for (const EncodedQuestion& e : *kept) {
    all += e.task + "\n";
    for (const std::string& v : e.variants) all += v + "\n";
  }
  if (!bridge::ReadsAsUtf8(all)) return;
  std::vector<EncodedQuestion> ascii;
  for (EncodedQuestion& e : *kept) {
    bool high = HighBytes(e.task);
    for (const std::string& v : e.variants) high = high || HighBytes(v);
    if (!high) ascii.push_back(std::move(e));
  }
  *kept = std::move(ascii);
}

inline void Check(const bridge::Bank& bank) {
  for (const bridge::Topic& t : bank.topics) {
    Require(!t.title.empty(), "a topic has a title");
    for (const bridge::Question& q : t.questions) {
      Require(!q.task.empty() && Folded(q.task), "a task is folded and not empty");
      Require(q.variants.size() <= 12, "variants past the limit are counted, not kept");
      for (const bridge::Variant& v : q.variants)
        Require(!v.text.empty() && Folded(v.text), "a variant is folded and not empty");
    }
  }
  bridge::Report report;
  bridge::EncodedDiscipline d = bridge::Encode(bank, "in", &report);
  Require(d.topicFiles.size() == d.topicTitles.size(), "a title per topic file");
  Require(d.topicFiles.size() <= 128, "at most 128 topics");
  Require(d.topicOf.size() == d.topicFiles.size(), "each file names its topic");
  std::size_t file = 0;
  int questions = 0;
  for (std::size_t ti = 0; ti < bank.topics.size(); ++ti) {
    const bridge::Topic& t = bank.topics[ti];
    std::vector<EncodedQuestion> kept;
    bool utf8 = false;
    for (const bridge::Question& q : t.questions) {
      EncodedQuestion e = EncodeQuestion(q);
      utf8 = utf8 || e.utf8;
      if (Fits(e)) kept.push_back(std::move(e));
    }
    if (utf8) {
      // A UTF-8 file: its questions fit the limits in UTF-8 bytes, so it holds at most those
      // that fit Windows-1251's; what the loader makes of it is the loader's own tests' concern.
      if (file < d.topicFiles.size() && d.topicOf[file] == ti) {
        const std::string& bytes = d.topicFiles[file++];
        Require(bytes.starts_with("\xEF\xBB\xBF") && utf8::IsValid(bytes),
                "a topic that needs UTF-8 is written in it");
        int lines = 0, tasks = 0;
        for (std::size_t i = 3; i < bytes.size(); ++i) {
          if (i == 3 || bytes[i - 1] == '\n') tasks += bytes[i] != '\t' ? 1 : 0;
          lines += bytes[i] == '\n' ? 1 : 0;
        }
        std::size_t variants = 0;
        for (const EncodedQuestion& e : kept) variants += 1 + e.variants.size();
        Require(static_cast<std::size_t>(lines) <= variants, "no more lines than fit");
        questions += tasks;
      }
      continue;
    }
    KeepToOneEncoding(&kept);
    if (kept.empty() || file == 128) continue;
    Require(file < d.topicFiles.size() && d.topicOf[file] == ti,
            "every topic with a question that fits is written");
    const std::string& bytes = d.topicFiles[file++];
    fuzzsupport::WriteInput(TopicPath(), reinterpret_cast<const std::uint8_t*>(bytes.data()),
                            bytes.size());
    std::vector<char> path(inputPath.begin(), inputPath.end());
    path.push_back('\0');
    topic.LoadQuestions(path.data());
    Require(topic.Count == static_cast<int>(kept.size()), "the loader reads every question");
    for (int n = 0; n < topic.Count; ++n) {
      const QuestionClass* loaded = topic.Get(n);
      const EncodedQuestion& e = kept[static_cast<std::size_t>(n)];
      const bridge::Question& q = *e.question;
      Require(e.task == loaded->Task, "the loader reads the task as written");
      for (int k = 0; k < 12; ++k) {
        bool present = static_cast<std::size_t>(k) < q.variants.size();
        Require(loaded->Vrnt[k].bExists == present, "the loader reads every variant");
        if (!present) continue;
        const bridge::Variant& v = q.variants[static_cast<std::size_t>(k)];
        std::string text = e.variants[static_cast<std::size_t>(k)];
        if (text[0] == '+' || text[0] == '-') text.insert(0, 1, ' ');
        Require(text == loaded->Vrnt[k].Text, "the loader reads the variant as written");
        Require(loaded->Vrnt[k].bCorrect == v.correct, "the loader reads the mark as written");
      }
    }
    questions += topic.Count;
    // Every run frees what it took: libFuzzer runs an input again with a leak check whenever
    // a run ends with more allocations than frees, which costs more than the run itself.
    topic.UnloadQuestions();
  }
  Require(file == d.topicFiles.size(), "no topic file without questions that fit");
  Require(questions == d.questions, "the count of questions written is right");

  // An import writes only when a question is there; then the checker must call it clean.
  if (d.questions == 0) return;
  check::Report problems;
  // The checker reads Windows-1251 files; UTF-8 ones are the loader's.
  if (!d.utf8) check::CheckTopics(bridge::DescriptionFile(d, 1), "Base/1.txt", &problems);
  for (std::size_t k = 0; k < d.topicFiles.size(); ++k)
    if (!d.topicFiles[k].starts_with("\xEF\xBB\xBF"))
      check::CheckQuestions(d.topicFiles[k], "Base/d1/" + std::to_string(k + 1) + ".txt",
                            &problems);
  for (const check::Problem& p : problems.problems)
    std::fprintf(stderr, "%s:%d: %s\n", p.file.c_str(), p.line, p.Message().c_str());
  Require(problems.problems.empty(), "exameo-check finds nothing wrong with what was written");
}

}  // namespace fuzzbridge
