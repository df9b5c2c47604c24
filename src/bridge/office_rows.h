// What Word tables and spreadsheets share: a header row naming the columns, one question per
// row, answers named by their text, letter or number.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bridge/model.h"

namespace bridge {

// The columns a header row names: Exameo's CSV columns (Задание, Верные, Вариант 1..12) or
// Вопрос, Ответ (or Верный ответ), Варианты. Column indexes from 0, -1 when absent.
struct RowColumns {
  enum Kind { kNone, kCsv, kAnswer } kind = kNone;
  int task = -1;     // Задание / Вопрос
  int correct = -1;  // Верные / Ответ
  int variants[kMaxVariantsPerQuestion] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
  int choices = -1;  // Варианты
};

// The columns of a header row; kind kNone when it names neither set.
RowColumns ReadHeaderRow(const std::vector<std::string>& cells);

// One row as a question (line set by the caller). False, with *why, when it cannot be one.
bool QuestionOfRow(const RowColumns& columns, const std::vector<std::string>& cells,
                   Question* question, lang::Text* why);

// The variants a cell lists: one a line when it has several lines, else separated by ';'.
std::vector<std::string> SplitChoices(std::string_view cell);

// The answers `names` ("Б", "Б, Г", "2", "B and D") points at among `count` answers, by letter
// (А Б В Г Д Е Ж З И К Л М, or A..L, any case) or number from 1. False when it is not such a
// list or names an answer beyond `count`.
bool AnswersNamed(std::string_view names, int count, std::vector<int>* indexes);

// The index of letter `c` (a code point) among answer letters, or -1.
int AnswerLetterIndex(char32_t c);

// The variants in an order shuffled once and fixed by the question's task: the same input gives
// the same order every time.
void ShuffleByTask(Question* question);

// The same variant text (white space folded, case kept) among `variants`, or -1.
int FindVariant(const std::vector<Variant>& variants, std::string_view text);

// UTF-8 helpers of the Office readers.
char32_t DecodeAt(std::string_view s, std::size_t* i);
std::string LowerRu(std::string_view s);  // A-Z, А-Я and Ё made lower case

}  // namespace bridge
