// exameo-check: finds what is wrong in the files of a question bank, and shows what the
// program's own loaders make of a file.
#pragma once

#include <cstdio>
#include <string>

#include "check_format.h"

namespace check {

// How a file named on the command line is taken.
enum class Force { kAuto, kQuestions, kTopics };

// Checks one command-line path: a question file, a description file, or a database directory
// (the folder holding Base, or Base itself). False, with *error set, when the path cannot be
// read at all.
bool CheckPath(const std::string& path, Force force, Report* report, std::string* error);

// What TopicClass::LoadQuestions makes of a question file, as JSON.
bool QuestionsJson(const std::string& file, std::string* json, std::string* error);
// What LoadDisciplines and LoadTopics make of a description file, as JSON.
bool TopicsJson(const std::string& file, std::string* json, std::string* error);

// The whole program: arguments in, report on `out`, complaints on `err`, the exit code back.
inline constexpr int kExitClean = 0;
inline constexpr int kExitProblems = 1;
inline constexpr int kExitUsage = 2;
int Run(int argc, const char* const* argv, std::FILE* out, std::FILE* err);

}  // namespace check
