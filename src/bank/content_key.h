// The content key of a question: what identifies it whatever order it is shown or stored in.
//
// Its task and its present variants (the run from slot 0, as the loader fills them) with their
// marks. The variants count as a set (their hashes are added before they are combined with the
// task's), so the key is the same whatever order they are in; a changed text or mark gives another
// key. Texts are hashed eight bytes a step; the key is defined on the bytes alone, the same on
// every platform, so remembered keys stay valid across runs and builds. A record of a UTF-8 file
// is keyed on its Windows-1251 bytes when every character of it has one (a bank converted to
// UTF-8 keeps its keys), otherwise on its UTF-8 bytes, with ill-formed sequences as U+FFFD and
// `\` in its pictures' paths read as `/`.
#pragma once

#include <cstdint>

struct QuestionClass;

namespace bank {

// The key of `q`, whose present variants are slots 0..present-1.
std::uint64_t ContentKey(const QuestionClass& q, int present);

}  // namespace bank
