// The lines kept for files that could not take them.
#include "records/appends.h"

namespace records {

const Appends::Kept* Appends::Find(const std::string& path) const {
  for (const Kept& k : all_)
    if (k.path == path) return &k;
  return nullptr;
}

files::Fault Appends::Write(Kept& k) {
  files::Fault why = files::Fault::kNone;
  if (files::AppendLines(k.path.c_str(), k.lines.data(), k.lines.size(), k.header.c_str(), &why))
    k.lines.clear();
  return why;
}

files::Fault Appends::Append(const std::string& path, std::string_view lines, const char* header) {
  Kept* k = const_cast<Kept*>(Find(path));
  if (k == nullptr) {
    all_.push_back({path, std::string(), std::string()});
    k = &all_.back();
  }
  k->header = header != nullptr ? header : "";
  k->lines.append(lines);
  return Write(*k);
}

std::string_view Appends::Lines(const std::string& path) const {
  const Kept* k = Find(path);
  return k != nullptr ? std::string_view(k->lines) : std::string_view();
}

void Appends::Drop(const std::string& path) {
  if (Kept* k = const_cast<Kept*>(Find(path))) k->lines.clear();
}

files::Fault Appends::Flush(std::string* path) {
  files::Fault first = files::Fault::kNone;
  for (Kept& k : all_) {
    if (k.lines.empty()) continue;
    files::Fault why = Write(k);
    if (why != files::Fault::kNone && first == files::Fault::kNone) {
      first = why;
      if (path != nullptr) *path = k.path;
    }
  }
  return first;
}

}  // namespace records
