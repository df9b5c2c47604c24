// Helpers of the question bank tests: a scratch working directory, files written as bytes,
// topics that clean up after themselves.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "bank/question.h"
#include "common/cp1251.h"
#include "support/scratch.h"

namespace banktest {

using testsupport::NativePath;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

// Releases a topic's records when the test ends, as the program never does for its global.
struct UnloadOnExit {
  TopicClass& topic;
  ~UnloadOnExit() { topic.UnloadQuestions(); }
};

// Loads `bytes` as the question file "Base\q.txt" of the current directory into `topic`.
inline void LoadBytes(TopicClass& topic, std::string_view bytes) {
  WriteBytes("Base\\q.txt", bytes);
  char path[] = "Base\\q.txt";
  topic.UnloadQuestions();
  topic.LoadQuestions(path);
}

}  // namespace banktest
