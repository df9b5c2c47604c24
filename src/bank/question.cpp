// Question records and the chain of the loaded topic.
#include "bank/question.h"

#include <cstring>
#include <new>

namespace bank {
namespace {
void* DefaultAllocate(std::size_t size) {
  return ::operator new(size, std::nothrow);
}
void DefaultRelease(void* record) {
  ::operator delete(record);
}
}  // namespace

void* (*AllocateRecord)(std::size_t size) = DefaultAllocate;
void (*ReleaseRecord)(void* record) = DefaultRelease;
}  // namespace bank

namespace {
// Everything a fresh record holds apart from Id and Next.
void ClearRecord(QuestionClass* q) {
  std::memset(q->Task, 0, sizeof q->Task);
  std::memset(q->Vrnt, 0, sizeof q->Vrnt);
  q->bExists = false;
  q->bSolved = false;
  q->bUtf8 = false;
  q->ShowCount = 0;
}

int PresentVariants(const QuestionClass* q) {
  // All twelve are looked at: the button numbering counts every present one.
  int n = 0;
  for (const vrnt& v : q->Vrnt) n += v.bExists ? 1 : 0;
  return n;
}

// The index answers only while it still describes the chain.
bool HasIndex(const TopicClass& t) {
  return t.Index != nullptr && t.IndexSize == t.Count;
}
}  // namespace

QuestionClass::QuestionClass() : bExists(false), bSolved(false), bUtf8(false), ShowCount(0) {
  std::memset(Task, 0, sizeof Task);
}

TopicClass::TopicClass()
    : Count(1),
      Round(1),
      Current(0),
      Index(nullptr),
      VariantsBefore(nullptr),
      IndexSize(0),
      Keys(nullptr),
      KeyOnLoad(false),
      ArrangeOnLoad(nullptr),
      ArrangedOnLoad(false) {
  // A topic need not live in zeroed static storage (tests keep them on the stack), so the
  // variants are cleared here rather than assumed zero.
  ClearRecord(&Head);
  Head.Id = 0;
  Head.Next = &Head;
}

TopicClass::~TopicClass() {
  UnloadQuestions();
}

QuestionClass* TopicClass::Get(int n) {
  if (n <= 0) return &Head;
  // Past the end the last record answers: following the last record's link would lead back
  // to the head and, for a large n, walk for a very long time.
  if (n >= Count) n = Count - 1;
  if (HasIndex(*this)) return Index[n];
  QuestionClass* q = &Head;
  for (int i = 0; i < n; ++i) q = q->Next;
  return q;
}

int TopicClass::GetNextQuestion(int n) {
  if (n >= Count) return -1;
  if (n < 0) n = 0;
  if (HasIndex(*this)) {
    for (int i = n; i < Count; ++i)
      if (Index[i]->bExists && !Index[i]->bSolved) return i;
    return -1;
  }
  QuestionClass* q = Get(n);
  for (int i = n; i < Count; ++i, q = q->Next)
    if (q->bExists && !q->bSolved) return i;
  return -1;
}

int TopicClass::GetIDComponent(int n) {
  if (n <= 0) return 0;
  if (n > Count) n = Count;
  if (HasIndex(*this)) return VariantsBefore[n];
  int sum = 0;
  QuestionClass* q = &Head;
  for (int i = 0; i < n; ++i, q = q->Next) sum += PresentVariants(q);
  return sum;
}

QuestionClass* TopicClass::myNew(QuestionClass* after) {
  if (after == nullptr) return nullptr;
  void* memory = bank::AllocateRecord(sizeof(QuestionClass));
  if (memory == nullptr) return nullptr;
  DropIndex();
  // The constructor clears the task and the flags; the variants are cleared here.
  QuestionClass* q = new (memory) QuestionClass;
  std::memset(q->Vrnt, 0, sizeof q->Vrnt);
  q->Next = after->Next;
  after->Next = q;
  q->Id = after->Id + 1;
  ++Count;
  return q;
}

void TopicClass::UnloadQuestions() {
  DropIndex();
  QuestionClass* q = Head.Next;
  for (int i = 1; i < Count; ++i) {
    QuestionClass* next = q->Next;
    q->~QuestionClass();
    bank::ReleaseRecord(q);
    q = next;
  }
  ClearRecord(&Head);
  Head.Next = &Head;
  Count = 1;
  ArrangedOnLoad = false;
}

void TopicClass::BuildIndex() {
  DropIndex();
  auto* index = new (std::nothrow) QuestionClass*[Count];
  auto* before = new (std::nothrow) int[static_cast<std::size_t>(Count) + 1];
  if (index == nullptr || before == nullptr) {
    delete[] index;
    delete[] before;
    return;  // the topic walks instead
  }
  QuestionClass* q = &Head;
  before[0] = 0;
  for (int i = 0; i < Count; ++i, q = q->Next) {
    index[i] = q;
    before[i + 1] = before[i] + PresentVariants(q);
  }
  Index = index;
  VariantsBefore = before;
  IndexSize = Count;
}

void TopicClass::DropIndex() {
  delete[] Index;
  delete[] VariantsBefore;
  delete[] Keys;
  Index = nullptr;
  VariantsBefore = nullptr;
  Keys = nullptr;
  IndexSize = 0;
}
