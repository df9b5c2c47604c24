// exameo-import: brings questions from GIFT, Aiken, Moodle XML or CSV into a Base folder.
#include <cstdio>

#include "bridge/import.h"

#ifdef _WIN32
#include "bridge/host.h"

int wmain(int argc, wchar_t** argv) {
  return bridge::RunWithUtf8Arguments(argc, argv, bridge::RunImport);
}
#else
int main(int argc, char** argv) {
  return bridge::RunImport(argc, argv, stdout, stderr);
}
#endif
