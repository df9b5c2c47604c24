// exameo-export: writes an Exameo bank as GIFT, Moodle XML, Aiken or CSV.
#include <cstdio>
#include <string>
#include <vector>

#include "bridge/host.h"
#include "bridge/writers.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

// The arguments arrive as UTF-16, so that any file name works; the bridge takes UTF-8.
int wmain(int argc, wchar_t** argv) {
  // The output is bytes: no LF is to become CR LF on the way.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args = bridge::Utf8Arguments(argc, argv);
  std::vector<const char*> pointers;
  for (const std::string& a : args) pointers.push_back(a.c_str());
  return bridge::RunExport(argc, pointers.data(), stdout, stderr);
}
#else
int main(int argc, char** argv) {
  return bridge::RunExport(argc, argv, stdout, stderr);
}
#endif
