#include "bridge/reader_support.h"

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

std::string HtmlAsText(std::string_view html, const Source& source, int line, Report* report,
                       std::vector<std::string>* files) {
  HtmlDropped dropped;
  std::string plain = HtmlToText(html, &dropped);
  if (dropped.tags) report->Count(Drop::kFormatting);
  if (!dropped.unread.empty())
    report->Lose(source.name, line, lang::Say(lang::Id::kHtmlNotRead, dropped.unread));
  for (const lang::Text& what : dropped.media)
    report->Lose(source.name, line, lang::Say(lang::Id::kMediaDropped, what));
  if (files != nullptr)
    for (std::string& file : dropped.files) files->push_back(std::move(file));
  return plain;
}

void LeaveOut(const Source& source, int line, const lang::Text& kind, lang::Text why,
              Report* report) {
  report->Lose(source.name, line,
               kind.empty() ? lang::Say(lang::Id::kQuestionLeftOut, std::move(why))
                            : lang::Say(lang::Id::kKindQuestionLeftOut, kind, std::move(why)));
}

}  // namespace bridge
