// exameo-export: writes an Exameo bank as GIFT, Moodle XML, Aiken or CSV.
#include <cstdio>

#include "bridge/host.h"
#include "bridge/writers.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

// The arguments arrive as UTF-16, so that any file name works; the bridge takes UTF-8.
int wmain(int argc, wchar_t** argv) {
  // The output is bytes: no LF is to become CR LF on the way.
  _setmode(_fileno(stdout), _O_BINARY);
  return bridge::RunWithUtf8Arguments(argc, argv, bridge::RunExport);
}
#else
int main(int argc, char** argv) {
  return bridge::RunExport(argc, argv, stdout, stderr);
}
#endif
