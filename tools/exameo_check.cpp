// exameo-check: tells the author of a question bank what is wrong with its files.
#include <cstdio>

#include "check_run.h"

int main(int argc, char** argv) {
  return check::Run(argc, argv, stdout, stderr);
}
