// Question files through the real loader: UnloadQuestions, then LoadQuestions of the input
// written to a file, then the chain's invariants and a comparison with a plain model of the
// format.
//
// The model reads the file one byte at a time as the format describes it, with the loader's
// choices for input outside the format: a text longer than its field is cut, variant lines
// before the first task line and from the thirteenth on are passed over.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bank/question.h"
#include "fuzz_support.h"
#include "question_model.h"

namespace {


TopicClass topic;  // in zeroed static storage, like the program's own

std::string scratchDir;
std::string inputPath;

void RemoveScratch() {
  std::remove(inputPath.c_str());
  ::rmdir(scratchDir.c_str());
}

// The file every input is written to, chosen once per process: in memory where there is
// /dev/shm, since a file is written for every run.
const char* InputPath() {
  if (!inputPath.empty()) return inputPath.c_str();
  scratchDir = fuzzsupport::MakeScratchDir("questions");
  inputPath = scratchDir + "/q.txt";
  std::atexit(RemoveScratch);
  return inputPath.c_str();
}

void WriteInput(const uint8_t* data, size_t size) {
  fuzzsupport::WriteInput(InputPath(), data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WriteInput(data, size);
  topic.UnloadQuestions();
  fuzzmodel::CheckEmpty(topic);
  topic.LoadQuestions(const_cast<char*>(InputPath()));
  // A file that begins with the byte order mark is UTF-8 (the other target's business, but
  // read right here too).
  bool utf8 = size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0;
  fuzzmodel::CheckLoaded(topic, utf8 ? fuzzmodel::Model(data + 3, size - 3, true)
                                     : fuzzmodel::Model(data, size),
                         utf8);
  return 0;
}
