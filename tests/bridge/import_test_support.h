// Helpers of the import tests: reading a text in memory, running the tool in-process, reading
// back what the program's own loader and catalogue make of a Base folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "bank/catalogue.h"
#include "bank/question.h"
#include "bridge/host.h"
#include "bridge/import.h"
#include "bridge/readers.h"
#include "bridge/text.h"
#include "support/scratch.h"
#include "support/tool_run.h"

namespace importtest {

using bridge::Bank;
using bridge::Report;

inline Bank Read(bridge::Format format, std::string_view text, Report* report) {
  Bank bank;
  std::string error;
  bridge::Source source{"in", "quiz"};
  EXPECT_TRUE(bridge::ReadAny(format, source, text, &bank, report, &error)) << error;
  return bank;
}

// "LINE: message" per note, one a line: easy to compare whole.
inline std::string Notes(const Report& report) {
  std::string text;
  for (const bridge::Note& note : report.notes)
    text += std::to_string(note.line) + ": " + note.Message() + "\n";
  return text;
}

// A question as "task|+v1|-v2": marks and texts in one string.
inline std::string Show(const bridge::Question& q) {
  std::string text = q.task;
  for (const bridge::Variant& v : q.variants)
    text += std::string("|") + (v.correct ? "+" : "-") + v.text;
  return text;
}

inline std::vector<std::string> ShowTopic(const bridge::Topic& topic) {
  std::vector<std::string> shown;
  for (const bridge::Question& q : topic.questions) shown.push_back(Show(q));
  return shown;
}

// What exameo-import said and did.
using Run = testsupport::ToolResult;

inline Run Import(std::vector<std::string> args) {
  return testsupport::RunToolMain(bridge::RunImport, "exameo-import", std::move(args));
}

inline std::string FileBytes(const std::filesystem::path& path) {
  std::string bytes;
  EXPECT_TRUE(bridge::ReadWholeFile(path, &bytes)) << path;
  return bytes;
}

// Every file under `dir` with its bytes: a whole folder compared at once.
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  if (!std::filesystem::exists(dir, ec)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    // Generic form: '/' between names on every system.
    std::u8string generic = std::filesystem::relative(entry.path(), dir).generic_u8string();
    std::string name(generic.begin(), generic.end());
    files[name] = entry.is_directory() ? "<dir>" : FileBytes(entry.path());
  }
  return files;
}

// Writes `bytes` at a UTF-8 path (its folders made), as a test's input.
inline void Put(const std::string& utf8Name, std::string_view bytes) {
  std::filesystem::path path = bridge::PathFromUtf8(utf8Name);
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  ASSERT_TRUE(bridge::WriteNewFile(path, bytes)) << utf8Name;
}

// "input:line" of each note, for the tests that check where the notes stand.
inline std::vector<std::string> NotePlaces(const Report& report) {
  std::vector<std::string> out;
  for (const bridge::Note& n : report.notes) out.push_back(n.input + ":" + std::to_string(n.line));
  return out;
}

// UTF-8 to Windows-1251 bytes, for expected file contents.
inline std::string W(std::string_view utf8) {
  std::string out;
  bridge::Utf8ToCp1251(utf8, &out);
  return out;
}

// The questions of a topic file as the program's loader reads it ("task|+v|-v", UTF-8). The
// path is relative to the working directory, Windows-1251 with backslashes.
inline std::vector<std::string> LoadTopic(const std::string& path) {
  TopicClass topic;
  std::vector<char> p(path.begin(), path.end());
  p.push_back('\0');
  topic.LoadQuestions(p.data());
  std::vector<std::string> shown;
  for (int n = 0; n < topic.Count; ++n) {
    QuestionClass* q = topic.Get(n);
    if (!q->bExists) continue;
    std::string text = bridge::Cp1251ToUtf8(q->Task);
    for (const vrnt& v : q->Vrnt)
      if (v.bExists)
        text += std::string("|") + (v.bCorrect ? "+" : "-") + bridge::Cp1251ToUtf8(v.Text);
    shown.push_back(text);
  }
  topic.UnloadQuestions();
  return shown;
}

}  // namespace importtest
