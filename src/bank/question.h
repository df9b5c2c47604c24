// Question records and the chain of questions of the loaded topic.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/files.h"
#include "platform/handles.h"

// One answer variant.
struct vrnt {
  char Text[1024];  // the bytes as read (in its record's encoding), zero-terminated
  bool bExists;     // the variant is present in the file
  bool bCorrect;    // the variant is a correct answer

  // Rows of 20 pixels its answer button takes, 1 to 8 (board/place.cpp); `utf8` when the text
  // is UTF-8, whose characters are counted rather than its bytes.
  int GetCoefficient(float lineChars, bool utf8 = false);
};

// One question. The variants, Id and Next are set by the record's owner.
struct QuestionClass {
  char Task[2048];
  vrnt Vrnt[12];
  bool bExists;
  bool bSolved;
  // The texts are UTF-8: the question file began with a UTF-8 byte order mark. Otherwise they
  // are Windows-1251.
  bool bUtf8;
  int ShowCount;
  int Id;
  QuestionClass* Next;

  QuestionClass();
  // Sum of GetCoefficient over variants 0 to n-1, present or not (board/place.cpp).
  int GetSumCoefficient(int n, float lineChars);
};

inline constexpr int kMaxVariants = 12;
inline constexpr int kTaskCapacity = 2048;
inline constexpr int kVariantCapacity = 1024;

// The loaded topic: a singly linked chain whose record 0 is the embedded head.
//
// Besides the chain, a loaded topic keeps an index of its records and of the number of present
// variants before each one, built by LoadQuestions once the file has been read. It gives Get,
// GetIDComponent and the walks of the quiz constant-time access on topics of any size; anything
// that changes the chain's shape (myNew, UnloadQuestions) drops it, and the operations then walk
// the chain as before. Variant presence is fixed once a topic is loaded.
struct TopicClass {
  int Count;
  int Round;
  int Current;
  QuestionClass Head;

  // The index: Index[i] is record i and VariantsBefore[i] the present variants in records 0 to
  // i-1, for i < IndexSize (VariantsBefore has IndexSize + 1 entries). Null when dropped.
  QuestionClass** Index;
  int* VariantsBefore;
  int IndexSize;
  // Keys[i] is the content key of record i (bank/content_key.h) as loaded, when the topic was
  // loaded with KeyOnLoad and nothing has changed the records' order since; null otherwise.
  // Computed while the loader still has each question's text at hand: keying a large topic
  // afterwards would read every record again. What is stored in the records is the same
  // either way.
  std::uint64_t* Keys;
  bool KeyOnLoad;
  // When set, LoadQuestions hands it every record as the record closes (its present variants in
  // slots 0..present-1), while its text is still in the cache: the study core shuffles the
  // answers there rather than reaching every record again after the load. Called in chain
  // order, after the record's key is taken. ArrangedOnLoad tells whether the last load did so.
  void (*ArrangeOnLoad)(QuestionClass& q, int present);
  bool ArrangedOnLoad;

  TopicClass();
  // The topic owns its appended records and its index and releases both.
  ~TopicClass();
  // A copy would share the records and the index and release them twice.
  TopicClass(const TopicClass&) = delete;
  TopicClass& operator=(const TopicClass&) = delete;

  QuestionClass* Get(int n);
  int GetNextQuestion(int n);
  int GetIDComponent(int n);
  // Appends a record after `after`. Returns null, and leaves the chain as it was, when no
  // memory is left.
  QuestionClass* myNew(QuestionClass* after);
  void UnloadQuestions();
  // `path` as the catalogue names it: Windows-1251, or UTF-8 when it says so (TitlePath).
  void LoadQuestions(files::Path path);
  // The statistics line in the window's title, and with `showBox` the round summary box
  // (quiz/statistics.cpp).
  void GetStat(bool showBox, HWND window);

  // Builds the index of a freshly loaded chain; without memory for it the topic walks.
  void BuildIndex();
  void DropIndex();
};

namespace bank {
// Allocates the memory of one record, or returns null. Replaceable so that tests can make
// allocation fail; defaults to the nothrow operator new.
extern void* (*AllocateRecord)(std::size_t size);
// Releases what AllocateRecord gave.
extern void (*ReleaseRecord)(void* record);
}  // namespace bank
