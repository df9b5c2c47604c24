// The question file reader's own seam: what it tells a sink must not depend on where the blocks
// it is fed end. The loader's block test holds the records of a reading sink at one boundary;
// this one holds every boundary for the paths only the other sinks take: records passed over
// (lines skipped to their LF, which may lie in a later block) and the lines exameo-check asks for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bank/question_file.h"

namespace {

// Everything a sink is told, as text, and the records it read.
template <bool kRead, bool kLines>
struct Recorder {
  std::string events;
  std::vector<std::unique_ptr<QuestionClass>> records;

  bool Begin(int place, QuestionClass*& into) {
    events += "B" + std::to_string(place) + " ";
    into = nullptr;
    if (kRead && place % 2 == 0) {  // every other record, as assembling picks some
      records.push_back(std::make_unique<QuestionClass>());
      std::memset(records.back()->Vrnt, 0, sizeof records.back()->Vrnt);
      into = records.back().get();
    }
    return place < 6;  // and stops, as assembling does past its last pick
  }
  void Variant(int place, int slot) {
    events += "V" + std::to_string(place) + "." + std::to_string(slot) + " ";
  }
  void End(int place, int present) {
    events += "E" + std::to_string(place) + "/" + std::to_string(present) + " ";
  }
  void Line(const bank::QuestionLine& l) requires kLines {
    events += "L" + std::to_string(l.number) + ":" + std::to_string(l.start) + "+" +
              std::to_string(l.length) + (l.endsWithLf ? "n" : "") + "k" +
              std::to_string(static_cast<int>(l.kind)) + "p" + std::to_string(l.place) + "v" +
              std::to_string(l.variant) + "s" + std::to_string(l.stored) + " ";
  }
  std::string Texts() const {
    std::string all;
    for (const auto& q : records) {
      all += std::string(q->Task) + "|";
      for (const vrnt& v : q->Vrnt)
        if (v.bExists) all += (v.bCorrect ? "+" : "-") + std::string(v.Text) + "|";
    }
    return all;
  }
};

template <class Sink>
Sink Fed(std::string_view bytes, std::size_t first, std::size_t rest) {
  Sink sink;
  bank::QuestionFileReader reader;
  auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t at = std::min(first, bytes.size());
  if (reader.Feed(b, at, sink)) {
    while (at < bytes.size()) {
      std::size_t n = std::min(rest, bytes.size() - at);
      if (!reader.Feed(b + at, n, sink)) break;
      at += n;
    }
  }
  reader.Finish(sink);
  return sink;
}

template <class Sink>
void ExpectSameAtEveryBoundary(std::string_view bytes) {
  Sink whole = Fed<Sink>(bytes, bytes.size(), 1);
  for (std::size_t first = 0; first <= bytes.size(); ++first) {
    for (std::size_t rest : {std::size_t{1}, std::size_t{3}, bytes.size() + 1}) {
      SCOPED_TRACE("blocks of " + std::to_string(first) + " then " + std::to_string(rest));
      Sink split = Fed<Sink>(bytes, first, rest);
      ASSERT_EQ(whole.events, split.events);
      ASSERT_EQ(whole.Texts(), split.Texts());
    }
  }
}

TEST(QuestionFileReader, BlockBoundariesChangeNothingForAnySink) {
  std::string thirteen = "Many\r\n";
  for (int k = 0; k < 13; ++k) thirteen += "\t-v\r\n";
  const std::string files[] = {
      "\torphan\n\t+too\nQ0\r\n\t+a\r\n\t-+b\tc\r\n\t\r\nQ1\n\tx\nQ2 + - \t\n",
      thirteen + "After\r\n\t+y",
      "\n\n\t+\nQ\rR\r\nT\n\tv\nU\n\tw\nV\nW\n\tlast",  // the stop comes mid-file
      "",
  };
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    ExpectSameAtEveryBoundary<Recorder<true, false>>(f);
    ExpectSameAtEveryBoundary<Recorder<false, false>>(f);
    ExpectSameAtEveryBoundary<Recorder<false, true>>(f);
  }
  // The lines as exameo-check gets them: kinds, places, slots and uncut lengths.
  auto lines = Fed<Recorder<false, true>>("\t+o\nQ\r\n\t+-a\tb+\r\n", 99, 1).events;
  EXPECT_EQ("L1:0+3nk3p-1v-1s1 B0 L2:4+2nk0p0v-1s1 V0.0 L3:7+8nk1p0v0s3 E0/1 ", lines);
}

}  // namespace
