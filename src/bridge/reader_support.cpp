#include "bridge/reader_support.h"

#include "bank/picture_ref.h"
#include "bridge/host.h"
#include "bridge/pictures.h"
#include "bridge/text.h"

namespace bridge {

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  int number = 1;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(Line{text.substr(start, i - start), number++});
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(Line{text.substr(start), number});
  return lines;
}

bool LineReader::Next(Line* line) {
  if (pos_ >= text_.size()) return false;
  std::size_t start = pos_;
  std::size_t i = start;
  while (i < text_.size() && text_[i] != '\r' && text_[i] != '\n') ++i;
  *line = Line{text_.substr(start, i - start), number_++};
  if (i < text_.size() && text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') ++i;
  pos_ = i + 1;
  return true;
}

int LineCounter::At(std::size_t offset) {
  if (offset < pos_) {
    pos_ = 0;
    line_ = first_;
  }
  if (offset > text_.size()) offset = text_.size();
  for (; pos_ < offset; ++pos_) {
    char c = text_[pos_];
    if (c == '\n' || (c == '\r' && !(pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n'))) ++line_;
  }
  return line_;
}

namespace {

// The components of a category path, "//" kept as a literal '/', each folded.
std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '/' && i + 1 < path.size() && path[i + 1] == '/') {
      parts.back().push_back('/');
      ++i;
    } else if (path[i] == '/') {
      parts.emplace_back();
    } else {
      parts.back().push_back(path[i]);
    }
  }
  for (std::string& part : parts) part = FoldSpace(part);
  return parts;
}

}  // namespace

std::string CategoryTitle(std::string_view path) {
  std::vector<std::string> parts = Components(path);
  for (auto it = parts.rbegin(); it != parts.rend(); ++it)
    if (!it->empty()) return *it;
  return std::string();
}

void TopicSink::Category(std::string_view path, int line) {
  std::vector<std::string> parts = Components(path);
  std::string key;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    key += part;
    key += '\n';
  }
  std::string title = CategoryTitle(path);
  // A path with no name in it is the input's own topic.
  if (title.empty()) title = source_.stem;
  current_ = Find(key, title, line);
}

void TopicSink::NameInput(std::string input) {
  if (current_ >= 0) bank_->topics[static_cast<std::size_t>(current_)].input = std::move(input);
}

void TopicSink::Add(Question question) {
  if (current_ < 0) current_ = Find(std::string(), source_.stem, question.line);
  std::size_t topic = static_cast<std::size_t>(current_);
  if (bank_->take)
    bank_->take(bank_->context, topic, std::move(question));
  else
    bank_->topics[topic].questions.push_back(std::move(question));
}

int TopicSink::Find(const std::string& key, const std::string& title, int line) {
  auto found = topicOfKey_.find(key);
  if (found != topicOfKey_.end()) return found->second;
  Topic topic;
  topic.title = title;
  topic.line = line;
  bank_->topics.push_back(std::move(topic));
  int index = static_cast<int>(bank_->topics.size()) - 1;
  topicOfKey_.emplace(key, index);
  return index;
}

namespace {

// %XX in a URL's path read as bytes.
std::string PercentDecoded(std::string_view url) {
  auto hex = [](char c) {
    return c >= '0' && c <= '9'   ? c - '0'
           : c >= 'a' && c <= 'f' ? c - 'a' + 10
           : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : -1;
  };
  std::string out;
  for (std::size_t i = 0; i < url.size(); ++i) {
    if (url[i] == '%' && i + 2 < url.size() && hex(url[i + 1]) >= 0 && hex(url[i + 2]) >= 0) {
      out += static_cast<char>(hex(url[i + 1]) * 16 + hex(url[i + 2]));
      i += 2;
    } else {
      out += url[i];
    }
  }
  return out;
}

// One <img>: its picture's mark, or an empty text and a note.
std::string ImagePicture(const HtmlDropped::Image& image, const Source& source, int line,
                         const PictureSource& pictures, Report* report) {
  std::string src = FoldSpace(image.src);
  std::string alt = FoldSpace(image.alt);
  std::string name = AttachedFileName(src);
  if (!name.empty()) {
    AttachedFile* file = nullptr;
    if (pictures.attached != nullptr)
      for (AttachedFile& f : *pictures.attached)
        if (f.name == name && file == nullptr) file = &f;
    if (file == nullptr) {
      report->Lose(source.name, line, lang::Say(lang::Id::kPictureNotFound, name));
      return std::string();
    }
    file->used = true;
    std::string bytes;
    if (!DecodeBase64(file->base64, &bytes)) {
      report->Lose(source.name, file->line, lang::Say(lang::Id::kPictureNotDecoded, name));
      return std::string();
    }
    return TakePicture(name, alt, std::move(bytes), name, source, line, pictures, report);
  }
  // A picture beside the input: a relative path inside its folder, never a URL.
  std::string path = PercentDecoded(src.substr(0, src.find_first_of("?#")));
  picref::CheckedPath checked = picref::CheckPath(path, 0);
  if (src.empty() || checked.fault != picref::PathFault::kNone || source.folder.empty()) {
    report->Lose(source.name, line, lang::Say(lang::Id::kPictureNotRelative, src));
    return std::string();
  }
  std::string bytes;
  if (!ReadWholeFile(PathFromUtf8(source.folder) / PathFromUtf8(checked.path), &bytes)) {
    report->Lose(source.name, line, lang::Say(lang::Id::kPictureNotFound, src));
    return std::string();
  }
  std::size_t slash = checked.path.rfind('/');
  name = slash == std::string::npos ? checked.path : checked.path.substr(slash + 1);
  return TakePicture(name, alt, std::move(bytes), src, source, line, pictures, report);
}

}  // namespace

std::string PlainText(std::string_view raw) {
  std::string text = FoldSpace(raw);
  for (std::size_t at = text.find(kPictureMark); at != std::string::npos;
       at = text.find(kPictureMark, at))
    text.replace(at, kPictureMark.size(), "\xEF\xBF\xBD");
  return text;
}

std::string TakePicture(std::string name, std::string alt, std::string bytes,
                        const std::string& shown, const Source& source, int line,
                        const PictureSource& pictures, Report* report) {
  if (RecognisePicture(bytes) == PictureKind::kNone) {
    report->Lose(source.name, line, lang::Say(lang::Id::kNotAPicture, shown));
    return std::string();
  }
  if (alt.empty()) alt = name;
  std::vector<Picture>& store = pictures.bank->pictures;
  store.push_back(Picture{std::move(name), std::move(alt), std::move(bytes), {}, {}});
  return PictureMarker(store.size() - 1);
}

std::string HtmlAsText(std::string_view html, const Source& source, int line, Report* report,
                       std::vector<std::string>* files, const PictureSource* pictures) {
  HtmlDropped dropped;
  dropped.keepPictures = pictures != nullptr;
  std::string plain = HtmlToText(html, &dropped);
  if (dropped.tags) report->Count(Drop::kFormatting);
  if (!dropped.unread.empty())
    report->Lose(source.name, line, lang::Say(lang::Id::kHtmlNotRead, dropped.unread));
  for (const lang::Text& what : dropped.media)
    report->Lose(source.name, line, lang::Say(lang::Id::kMediaDropped, what));
  if (files != nullptr)
    for (std::string& file : dropped.files) files->push_back(std::move(file));
  if (dropped.pictures.empty()) return plain;
  // Every mark in the text is one of its images (the converter turned the text's own into
  // U+FFFD), in order.
  std::string out;
  std::size_t from = 0, k = 0;
  for (std::size_t at = plain.find(kPictureMark); at != std::string::npos;
       at = plain.find(kPictureMark, from)) {
    out.append(plain, from, at - from);
    if (k < dropped.pictures.size())
      out += ImagePicture(dropped.pictures[k++], source, line, *pictures, report);
    from = at + kPictureMark.size();
  }
  out.append(plain, from, std::string::npos);
  return FoldSpace(out);
}

void LeaveOut(const Source& source, int line, const lang::Text& kind, lang::Text why,
              Report* report) {
  report->Lose(source.name, line,
               kind.empty() ? lang::Say(lang::Id::kQuestionLeftOut, std::move(why))
                            : lang::Say(lang::Id::kKindQuestionLeftOut, kind, std::move(why)));
}

}  // namespace bridge
