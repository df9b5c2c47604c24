// The lines kept for files that could not take them.
#include "study/appends.h"

#include <vector>

namespace study {
namespace {

struct Kept {
  std::string path;
  std::string header;
  std::string lines;
};

// A handful of files at most: a list searched by path is enough.
std::vector<Kept>& All() {
  static std::vector<Kept> all;
  return all;
}

Kept* Find(const std::string& path) {
  for (Kept& k : All())
    if (k.path == path) return &k;
  return nullptr;
}

files::Fault Write(Kept& k) {
  files::Fault why = files::Fault::kNone;
  if (files::AppendLines(k.path.c_str(), k.lines.data(), k.lines.size(), k.header.c_str(), &why))
    k.lines.clear();
  return why;
}

}  // namespace

files::Fault AppendKept(const std::string& path, std::string_view lines, const char* header) {
  Kept* k = Find(path);
  if (k == nullptr) {
    All().push_back({path, std::string(), std::string()});
    k = &All().back();
  }
  k->header = header != nullptr ? header : "";
  k->lines.append(lines);
  return Write(*k);
}

std::string_view KeptLines(const std::string& path) {
  Kept* k = Find(path);
  return k != nullptr ? std::string_view(k->lines) : std::string_view();
}

void DropKept(const std::string& path) {
  if (Kept* k = Find(path)) k->lines.clear();
}

files::Fault FlushKept(std::string* path) {
  files::Fault first = files::Fault::kNone;
  for (Kept& k : All()) {
    if (k.lines.empty()) continue;
    files::Fault why = Write(k);
    if (why != files::Fault::kNone && first == files::Fault::kNone) {
      first = why;
      if (path != nullptr) *path = k.path;
    }
  }
  return first;
}

void ClearKept() {
  All().clear();
}

}  // namespace study
