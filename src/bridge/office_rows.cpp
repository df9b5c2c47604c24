#include "bridge/office_rows.h"

#include <cstdint>

#include "bridge/text.h"

namespace bridge {

char32_t DecodeAt(std::string_view s, std::size_t* i) {
  unsigned char c = static_cast<unsigned char>(s[*i]);
  int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (extra < 0 || (extra > 0 && *i + static_cast<std::size_t>(extra) >= s.size())) {
    ++*i;
    return 0xFFFD;
  }
  if (extra == 0) {
    ++*i;
    return c;
  }
  char32_t u = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char d = static_cast<unsigned char>(s[*i + static_cast<std::size_t>(k)]);
    if ((d & 0xC0) != 0x80) {
      ++*i;
      return 0xFFFD;
    }
    u = (u << 6) | (d & 0x3F);
  }
  *i += static_cast<std::size_t>(extra) + 1;
  return u;
}

std::string LowerRu(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t u = DecodeAt(s, &i);
    if (u >= 'A' && u <= 'Z') u += 32;
    else if (u >= 0x410 && u <= 0x42F) u += 0x20;
    else if (u == 0x401) u = 0x451;
    AppendUtf8(u, &out);
  }
  return out;
}

namespace {

std::string Cell(const std::vector<std::string>& cells, int column) {
  if (column < 0 || static_cast<std::size_t>(column) >= cells.size()) return std::string();
  return FoldSpace(cells[static_cast<std::size_t>(column)]);
}

// "1, 3 4" as numbers; false when anything else is there.
bool Numbers(std::string_view s, std::vector<int>* numbers) {
  for (std::size_t i = 0; i < s.size();) {
    char c = s[i];
    if (c == ',' || c == ' ' || c == ';') {
      ++i;
      continue;
    }
    if (c < '0' || c > '9') return false;
    long value = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      if (value < 1000000) value = value * 10 + (s[i] - '0');
      ++i;
    }
    numbers->push_back(static_cast<int>(value));
  }
  return true;
}

std::uint64_t Hash(std::string_view s) {
  std::uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

RowColumns ReadHeaderRow(const std::vector<std::string>& cells) {
  RowColumns csv, answer;
  csv.kind = RowColumns::kCsv;
  answer.kind = RowColumns::kAnswer;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    std::string name = LowerRu(FoldSpace(cells[i]));
    int c = static_cast<int>(i);
    if (name == "задание") csv.task = c;
    if (name == "верные") csv.correct = c;
    if (name.rfind("вариант ", 0) == 0) {
      std::vector<int> n;
      if (Numbers(std::string_view(name).substr(std::string_view("вариант ").size()), &n) &&
          n.size() == 1 && n[0] >= 1 && n[0] <= kMaxVariantsPerQuestion)
        csv.variants[n[0] - 1] = c;
    }
    if (name == "вопрос") answer.task = c;
    if (name == "ответ" || name == "верный ответ" || name == "правильный ответ") answer.correct = c;
    if (name == "варианты" || name == "варианты ответов" || name == "варианты ответа")
      answer.choices = c;
  }
  if (csv.task >= 0 && csv.correct >= 0) return csv;
  if (answer.task >= 0 && answer.correct >= 0) return answer;
  return RowColumns{};
}

std::vector<std::string> SplitChoices(std::string_view cell) {
  std::vector<std::string> out;
  bool lines = cell.find('\n') != std::string_view::npos;
  char separator = lines ? '\n' : ';';
  std::size_t start = 0;
  for (std::size_t i = 0; i <= cell.size(); ++i) {
    if (i < cell.size() && cell[i] != separator) continue;
    std::string piece = FoldSpace(cell.substr(start, i - start));
    if (!piece.empty()) out.push_back(std::move(piece));
    start = i + 1;
  }
  return out;
}

int AnswerLetterIndex(char32_t c) {
  static constexpr char32_t kRu[] = U"абвгдежзиклм";
  if (c >= 'A' && c <= 'Z') c += 32;
  if (c >= 0x410 && c <= 0x42F) c += 0x20;
  if (c >= 'a' && c <= 'l') return static_cast<int>(c - 'a');
  for (int k = 0; kRu[k] != 0; ++k)
    if (kRu[k] == c) return k;
  return -1;
}

bool AnswersNamed(std::string_view names, int count, std::vector<int>* indexes) {
  indexes->clear();
  std::string s = LowerRu(FoldSpace(names));
  auto separator = [](char32_t u) {
    return u == ' ' || u == ',' || u == ';' || u == '.' || u == ')' || u == '(';
  };
  for (std::size_t i = 0; i < s.size();) {
    std::size_t at = i;
    char32_t u = DecodeAt(s, &i);
    if (separator(u)) continue;
    // A word that joins names.
    std::string_view rest = std::string_view(s).substr(at);
    if (rest.rfind("и ", 0) == 0 && !indexes->empty()) {
      i = at + std::string_view("и ").size();
      continue;
    }
    if (rest.rfind("and ", 0) == 0 && !indexes->empty()) {
      i = at + 4;
      continue;
    }
    int index = -1;
    if (u >= '0' && u <= '9') {
      long value = u - '0';
      while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        if (value < 1000) value = value * 10 + (s[i] - '0');
        ++i;
      }
      index = static_cast<int>(value) - 1;
    } else {
      index = AnswerLetterIndex(u);
    }
    if (index < 0 || index >= count) return false;
    // A letter stands alone: "Бор" is no letter.
    if (i < s.size()) {
      std::size_t j = i;
      if (!separator(DecodeAt(s, &j))) return false;
    }
    bool seen = false;
    for (int k : *indexes) seen = seen || k == index;
    if (!seen) indexes->push_back(index);
  }
  return !indexes->empty();
}

void ShuffleByTask(Question* question) {
  std::uint64_t state = Hash(question->task) | 1;
  std::vector<Variant>& v = question->variants;
  for (std::size_t i = v.size(); i > 1; --i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    std::size_t j = static_cast<std::size_t>(state % i);
    std::swap(v[i - 1], v[j]);
  }
}

int FindVariant(const std::vector<Variant>& variants, std::string_view text) {
  std::string wanted = FoldSpace(text);
  for (std::size_t i = 0; i < variants.size(); ++i)
    if (FoldSpace(variants[i].text) == wanted) return static_cast<int>(i);
  return -1;
}

bool QuestionOfRow(const RowColumns& columns, const std::vector<std::string>& cells,
                   Question* question, lang::Text* why) {
  question->task = Cell(cells, columns.task);
  question->variants.clear();
  int line = question->line;
  if (columns.kind == RowColumns::kCsv) {
    std::vector<int> numbers;
    if (!Numbers(Cell(cells, columns.correct), &numbers)) {
      *why = lang::Say(lang::Id::kWhySecondColumnNotNumbers);
      return false;
    }
    std::vector<int> columnOf;  // the Вариант number of each kept variant
    for (int k = 0; k < kMaxVariantsPerQuestion; ++k) {
      std::string text = Cell(cells, columns.variants[k]);
      if (text.empty()) continue;
      question->AddVariant(Variant{std::move(text), false, line});
      columnOf.push_back(k + 1);
    }
    for (int n : numbers) {
      bool found = false;
      for (std::size_t i = 0; i < columnOf.size(); ++i)
        if (columnOf[i] == n) {
          question->variants[i].correct = true;
          found = true;
        }
      if (!found) {
        *why = lang::Say(lang::Id::kWhyCorrectNamesNoColumn, n);
        return false;
      }
    }
  } else {
    std::string_view choices;
    if (columns.choices >= 0 && static_cast<std::size_t>(columns.choices) < cells.size())
      choices = cells[static_cast<std::size_t>(columns.choices)];
    for (std::string& text : SplitChoices(choices))
      question->AddVariant(Variant{std::move(text), false, line});
    std::string answer = Cell(cells, columns.correct);
    if (answer.empty()) {
      if (question->task.empty()) {
        *why = lang::Say(lang::Id::kWhyQuestionCellEmpty);
        return false;
      }
      *why = lang::Say(lang::Id::kWhyNoAnswerMarked);
      return false;
    }
    int same = FindVariant(question->variants, answer);
    std::vector<int> named;
    if (same >= 0) {
      question->variants[static_cast<std::size_t>(same)].correct = true;
    } else if (AnswersNamed(answer, static_cast<int>(question->variants.size()), &named)) {
      for (int k : named) question->variants[static_cast<std::size_t>(k)].correct = true;
    } else if (question->VariantCount() >= kMaxVariantsPerQuestion) {
      *why = lang::Say(lang::Id::kWhyAnswerNotAmongVariants, answer);
      return false;
    } else {
      // The right answer missing from the variants: put in at a place fixed by the task, so
      // that it is not always last.
      std::size_t at = question->variants.size();
      if (at > 0) {
        std::uint64_t h = Hash(question->task);
        at = static_cast<std::size_t>(h % (at + 1));
      }
      question->variants.insert(question->variants.begin() + static_cast<std::ptrdiff_t>(at),
                                Variant{answer, true, line});
    }
  }
  if (question->task.empty()) {
    *why = lang::Say(columns.kind == RowColumns::kCsv ? lang::Id::kWhyTaskColumnEmpty
                                                      : lang::Id::kWhyQuestionCellEmpty);
    return false;
  }
  return true;
}

}  // namespace bridge
