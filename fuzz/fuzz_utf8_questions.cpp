// UTF-8 question files through the real loader: the input behind a byte order mark, loaded,
// compared with the format's model (texts cut at characters), and each question's key compared
// with the key of its Windows-1251 twin wherever it has one, as a converted bank needs.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "bank/content_key.h"
#include "bank/picture_ref.h"
#include "bank/question.h"
#include "bank/question_file.h"
#include "common/utf8.h"
#include "fuzz_support.h"
#include "question_model.h"

namespace {

using fuzzsupport::Require;

TopicClass topic;  // in zeroed static storage, like the program's own

std::string scratchDir;
std::string inputPath;

void RemoveScratch() {
  std::remove(inputPath.c_str());
  ::rmdir(scratchDir.c_str());
}

const char* InputPath() {
  if (!inputPath.empty()) return inputPath.c_str();
  scratchDir = fuzzsupport::MakeScratchDir("utf8-questions");
  inputPath = scratchDir + "/q.txt";
  std::atexit(RemoveScratch);
  return inputPath.c_str();
}

std::string_view Text(const char* field, std::size_t capacity) {
  return std::string_view(field, strnlen(field, capacity));
}

// Copies a UTF-8 text into a Windows-1251 field; false when a character has no byte there.
bool Narrow(std::string_view text, char* field, std::size_t capacity) {
  std::string bytes;
  if (!utf8::ToCp1251(text, &bytes) || bytes.size() >= capacity) return false;
  std::memset(field, 0, capacity);
  std::memcpy(field, bytes.data(), bytes.size());
  return true;
}

// The record as a Windows-1251 file would hold it, when it can.
bool Twin(const QuestionClass& q, int present, QuestionClass* twin) {
  if (!Narrow(Text(q.Task, sizeof q.Task), twin->Task, sizeof twin->Task)) return false;
  if (picref::HasPicture(Text(q.Task, sizeof q.Task))) return false;  // read otherwise there
  for (int k = 0; k < present; ++k) {
    std::string_view text = Text(q.Vrnt[k].Text, sizeof q.Vrnt[k].Text);
    if (!Narrow(text, twin->Vrnt[k].Text, sizeof twin->Vrnt[k].Text)) return false;
    if (picref::HasPicture(text)) return false;
    twin->Vrnt[k].bExists = true;
    twin->Vrnt[k].bCorrect = q.Vrnt[k].bCorrect;
  }
  twin->bUtf8 = false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string file = "\xEF\xBB\xBF";
  file.append(reinterpret_cast<const char*>(data), size);
  fuzzsupport::WriteInput(InputPath(), reinterpret_cast<const uint8_t*>(file.data()), file.size());
  topic.UnloadQuestions();
  fuzzmodel::CheckEmpty(topic);
  topic.LoadQuestions(const_cast<char*>(InputPath()));
  fuzzmodel::CheckLoaded(topic, fuzzmodel::Model(data, size, true), true);

  static auto twin = std::make_unique<QuestionClass>();
  for (int i = 0; i < topic.Count; ++i) {
    const QuestionClass& q = *topic.Get(i);
    int present = bank::PresentVariants(q);
    std::uint64_t key = bank::ContentKey(q, present);
    std::memset(twin->Vrnt, 0, sizeof twin->Vrnt);
    if (Twin(q, present, twin.get()))
      Require(bank::ContentKey(*twin, present) == key, "a question keys as its Windows-1251 twin");
  }
  return 0;
}
