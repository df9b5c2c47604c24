// exameo-review: the review schedule of every question in a review log.
#include <cstdio>

#include "review_run.h"

#ifdef _WIN32
#include "bridge/host.h"

int wmain(int argc, wchar_t** argv) {
  return bridge::RunWithUtf8Arguments(argc, argv, reviewtool::Run);
}
#else
int main(int argc, char** argv) {
  return reviewtool::Run(argc, argv, stdout, stderr);
}
#endif
