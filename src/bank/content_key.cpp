// Content keys of questions (see content_key.h).
#include "bank/content_key.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "bank/picture_ref.h"
#include "bank/question.h"
#include "common/utf8.h"

namespace bank {
namespace {

constexpr std::uint64_t kMix = 0x9e3779b97f4a7c15ull;

std::uint64_t Finish(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

// A text's bytes in little-endian words of eight, the last one padded with zeros, and its
// length: no two texts give the same sequence. The text lies in a field whose size is a
// multiple of eight bytes.
std::uint64_t HashText(const char* text, std::size_t size, std::uint64_t h) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  h = (h ^ size) * kMix;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= size; i += 8) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      h = (h ^ word) * kMix;
      h ^= h >> 32;
    }
    // The last, partial word read whole and cut to the text: the fields' sizes are multiples of
    // eight, so the read stays inside the field; a loop over the bytes would end where the
    // processor cannot guess.
    if (i < size) {
      std::uint64_t word;
      std::memcpy(&word, p + i, 8);
      word &= ~0ull >> (64 - 8 * (size - i));
      h = (h ^ word) * kMix;
      h ^= h >> 32;
    }
    return Finish(h);
  }
  for (; i < size; i += 8) {
    std::uint64_t word = 0;
    std::size_t n = size - i < 8 ? size - i : 8;
    for (std::size_t b = 0; b < n; ++b) word |= static_cast<std::uint64_t>(p[i + b]) << (8 * b);
    h = (h ^ word) * kMix;
    h ^= h >> 32;
  }
  return Finish(h);
}

// A text of a UTF-8 record as its key reads it: ill-formed sequences as the U+FFFD shown, and
// each picture's path with `\` read as `/`, so the separator its writer used does not matter.
std::string KeyText(std::string_view field) {
  std::string text;
  utf8::Repair(field, &text);
  if (!picref::HasPicture(text)) return text;
  const picref::Split split = picref::SplitText(text);
  for (const picref::Run& run : split.runs) {
    if (!run.picture || run.path.empty()) continue;
    // The path is the reference's last part: `...(path)` or `...(<path>)`.
    std::size_t last = run.end - 1;
    if (last > run.begin && text[last - 1] == '>') --last;
    for (std::size_t i = last - run.path.size(); i < last; ++i)
      if (text[i] == '\\') text[i] = '/';
  }
  return text;
}

// The key of a UTF-8 record: on the Windows-1251 bytes of its texts when every character of
// them has one, so a question converted from Windows-1251 keeps its key; otherwise on the UTF-8.
std::uint64_t Utf8Key(const QuestionClass& q, int n) {
  std::string texts[1 + kMaxVariants];
  texts[0] = KeyText(std::string_view(q.Task, strnlen(q.Task, sizeof q.Task)));
  for (int k = 0; k < n; ++k)
    texts[1 + k] = KeyText(std::string_view(q.Vrnt[k].Text, strnlen(q.Vrnt[k].Text, sizeof q.Vrnt[k].Text)));
  bool fits = true;
  for (int k = 0; k <= n && fits; ++k) fits = utf8::FitsCp1251(texts[k]);
  if (fits) {
    for (int k = 0; k <= n; ++k) {
      std::string bytes;
      utf8::ToCp1251(texts[k], &bytes);
      texts[k] = std::move(bytes);
    }
  }
  // HashText reads the last word whole: eight zero bytes behind each text keep it inside.
  std::uint64_t variants = 0;
  for (int k = 0; k < n; ++k) {
    std::size_t size = texts[1 + k].size();
    texts[1 + k].append(8, '\0');
    variants += HashText(texts[1 + k].data(), size, q.Vrnt[k].bCorrect ? 1 : 2);
  }
  std::size_t size = texts[0].size();
  texts[0].append(8, '\0');
  std::uint64_t h = HashText(texts[0].data(), size, static_cast<unsigned>(n));
  return Finish((h ^ variants) * kMix);
}

}  // namespace

static_assert(sizeof(vrnt::Text) % 8 == 0 && sizeof(QuestionClass::Task) % 8 == 0);

std::uint64_t ContentKey(const QuestionClass& q, int present) {
  int n = present < 0 ? 0 : present < kMaxVariants ? present : kMaxVariants;
  if (q.bUtf8) return Utf8Key(q, n);
  // The variants' hashes are added: the sum is the same in any order, with neither a sort nor a
  // chain of mixing steps through them (each hash is independent of the others).
  std::uint64_t variants = 0;
  for (int k = 0; k < n; ++k) {
    const vrnt& v = q.Vrnt[k];
    variants += HashText(v.Text, strnlen(v.Text, sizeof v.Text), v.bCorrect ? 1 : 2);
  }
  std::uint64_t h = HashText(q.Task, strnlen(q.Task, sizeof q.Task), static_cast<unsigned>(n));
  return Finish((h ^ variants) * kMix);
}

}  // namespace bank
