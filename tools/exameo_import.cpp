// exameo-import: brings questions from GIFT, Aiken, Moodle XML or CSV into a Base folder.
#include <cstdio>

#include "bridge/import.h"

#ifdef _WIN32
#include <string>
#include <vector>

#include "bridge/host.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args = bridge::Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& arg : args) pointers.push_back(arg.c_str());
  return bridge::RunImport(argc, pointers.data(), stdout, stderr);
}
#else
int main(int argc, char** argv) {
  return bridge::RunImport(argc, argv, stdout, stderr);
}
#endif
