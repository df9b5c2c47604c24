// Random use of the whole program: keys, clicks on any control, OK, menu commands, choosers
// opened, used and closed, starts pumped, and acts while boxes are up, over topics of random
// shapes, among them long ones that wrap the board round and one whose variants outnumber the
// check box identifiers. After every event the board must be consistent.
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "quiz_support.h"

namespace {

using namespace quiztest;

// The seed of the run: EXAMEO_SEED when set, else a fixed one.
unsigned RunSeed() {
  const char* env = std::getenv("EXAMEO_SEED");
  return env != nullptr ? static_cast<unsigned>(std::strtoul(env, nullptr, 10)) : 20261208u;
}

// A random topic: n questions of minVariants to maxVariants variants, task texts of 1 to `words`
// words.
std::string RandomTopic(std::mt19937& rng, int n, int minVariants, int maxVariants, int words) {
  std::string bytes;
  for (int i = 0; i < n; ++i) {
    int w = 1 + static_cast<int>(rng() % static_cast<unsigned>(words));
    bytes += "Q" + std::to_string(i);
    for (int j = 0; j < w; ++j) bytes += " word";
    bytes += "\r\n";
    int variants = minVariants +
                   static_cast<int>(rng() % static_cast<unsigned>(maxVariants - minVariants + 1));
    for (int k = 0; k < variants; ++k) {
      bytes += rng() % 2 ? "\t+" : "\t-";
      bytes += std::string(rng() % 90, 'x') + "\r\n";
    }
  }
  return bytes;
}

// What must hold of the board after every event; empty when it does.
std::string CheckBoard() {
  std::ostringstream out;
  HWND main = OnScreen2.hWnd;
  std::map<HWND, int> refs;
  for (int s = 0; s < kSlots; ++s) {
    const SingleVisualEntry2& slot = OnScreen2.Entry[s];
    for (int j = 0; j < 12; ++j) {
      if (slot.hVrnt[j] == nullptr) continue;
      ++refs[slot.hVrnt[j]];
      if (!slot.hVrnt[j]->alive) out << "slot " << s << " holds a destroyed check box\n";
    }
    if (slot.hOK != nullptr) {
      ++refs[slot.hOK];
      if (!slot.hOK->alive) out << "slot " << s << " holds a destroyed OK button\n";
      if (s != OnScreen2.CurrentSlot) out << "slot " << s << " holds an OK but is not current\n";
    }
  }
  for (HWND child : fake::LiveChildren(main)) {
    if (refs[child] != 1)
      out << "control " << child->id << " is referred to by " << refs[child] << " slots\n";
  }
  for (const auto& [handle, count] : refs)
    if (count != 1) out << "a control is held by " << count << " slots\n";

  // The current question's check boxes, found by identifier, are the ones its slot holds.
  int cs = OnScreen2.CurrentSlot;
  if (cs >= 0 && quiz::StartsPending == 0 && Topic_test.Current >= 0) {
    const SingleVisualEntry2& slot = OnScreen2.Entry[cs];
    if (slot.Question != Topic_test.Current)
      out << "current slot shows " << slot.Question << ", asked is " << Topic_test.Current << "\n";
    QuestionClass* q = Topic_test.Get(Topic_test.Current);
    for (int k = 0; k < 12; ++k) {
      if (!q->Vrnt[k].bExists) continue;
      int id = AnswerId(k);
      if (id < 1000 || id > 9999) out << "identifier " << id << " out of range\n";
      if (ws::FindChild(main, id) != slot.hVrnt[k])
        out << "identifier " << id << " finds another control than variant " << k << "\n";
    }
  }

  // No visible slot overlaps another in its column (the current one with its OK button).
  for (int a = 0; a < kSlots; ++a) {
    const SingleVisualEntry2& x = OnScreen2.Entry[a];
    if (!x.bVisible) continue;
    int xBottom = x.VrntRect.bottom + (a == cs ? 30 : 0);
    for (int b = a + 1; b < kSlots; ++b) {
      const SingleVisualEntry2& y = OnScreen2.Entry[b];
      if (!y.bVisible || (a < kColumnSlots) != (b < kColumnSlots)) continue;
      int yBottom = y.VrntRect.bottom + (b == cs ? 30 : 0);
      if (x.TextRect.top < yBottom && y.TextRect.top < xBottom)
        out << "slots " << a << " and " << b << " overlap\n";
    }
  }
  return out.str();
}

class RandomUse {
 public:
  explicit RandomUse(unsigned seed) : rng_(seed) {}

  void Event(int depth) {
    HWND main = OnScreen2.hWnd;
    unsigned roll = rng_() % 100;
    if (roll < 35) {
      fake::TypeChar(rng_() % 2 ? '\r' : ' ');
    } else if (roll < 55) {
      static const char kKeys[] = "123456789:;<0=xq";
      fake::TypeChar(kKeys[rng_() % (sizeof kKeys - 1)]);
    } else if (roll < 68) {
      std::vector<HWND> children = fake::LiveChildren(main);
      if (!children.empty()) fake::Click(children[rng_() % children.size()]);
    } else if (roll < 74) {
      unsigned pick = rng_() % 6;
      unsigned id = pick == 0   ? 10 + rng_() % 3
                    : pick == 1 ? static_cast<unsigned>(AnswerId(static_cast<int>(rng_() % 12)))
                    : pick == 2 ? 300
                    : pick == 3 ? 10000 + rng_() % 12
                                : rng_() % 0x20000;
      fake::Command(id | (rng_() % 2) << 16);
    } else if (roll < 80) {
      fake::Command(20 + rng_() % 2);  // a discipline item (the second one does not exist)
    } else if (roll < 90) {
      std::vector<HWND> choosers = fake::LiveChoosers();
      if (!choosers.empty()) {
        HWND chooser = choosers[rng_() % choosers.size()];
        std::vector<HWND> controls = fake::LiveChildren(chooser);
        // Mostly a radio button then OK.
        if (controls.size() > 1 && rng_() % 3 != 0)
          fake::Click(controls[rng_() % (controls.size() - 1)]);
        fake::Click(controls.back());
      }
    } else if (roll < 92) {
      std::vector<HWND> choosers = fake::LiveChoosers();
      if (!choosers.empty()) fake::Close(choosers[rng_() % choosers.size()]);
    } else {
      fake::Pump();
    }
    (void)depth;
  }

  // While a box is up: now and then a few events of their own.
  void OnBox(int depth) {
    if (depth > 1 || rng_() % 3 != 0) return;
    int n = 1 + static_cast<int>(rng_() % 3);
    for (int i = 0; i < n; ++i) Event(depth + 1);
  }

  std::mt19937& Rng() { return rng_; }

 private:
  std::mt19937 rng_;
};

TEST(QuizRandomTest, TheBoardStaysConsistentUnderRandomUse) {
  const unsigned seed = RunSeed();
  ScratchDir dir;
  std::mt19937 shapes(seed);
  // Topics: small ones, a long one that wraps the board many times, one whose variants
  // outnumber the identifiers below the answer keys, and an empty one.
  std::string description = "Random\r\n";
  const int kTopics = 6;
  for (int t = 0; t < kTopics; ++t) {
    std::string name = "r\\t" + std::to_string(t) + ".txt";
    description += "\tTopic " + std::to_string(t) + "\"" + name + "\"\r\n";
    std::string bytes = t == 0   ? RandomTopic(shapes, 3, 0, 4, 3)
                        : t == 1 ? RandomTopic(shapes, 12, 0, 12, 40)
                        : t == 2 ? RandomTopic(shapes, 300, 0, 5, 30)
                        : t == 3 ? RandomTopic(shapes, 850, 10, 12, 2)  // over 9000 variants
                        : t == 4 ? ""
                                 : RandomTopic(shapes, 40, 0, 2, 120);
    WriteBytes("Base\\" + name, bytes);
  }
  WriteBytes("Base\\1.txt", description);

  const int kSequences = 40;
  const int kEvents = 300;
  int depth = 0;
  for (int sequence = 0; sequence < kSequences; ++sequence) {
    unsigned sequenceSeed = seed + static_cast<unsigned>(sequence);
    SCOPED_TRACE("EXAMEO_SEED=" + std::to_string(seed) + ", sequence " + std::to_string(sequence));
    ResetProgram(sequence % 2 ? 1000 : 1280, sequence % 3 ? 560 : 900);
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
    RandomUse use(sequenceSeed);
    fake::SetBoxHook([&](const fake::Box&) {
      ++depth;
      use.OnBox(depth);
      --depth;
    });
    for (int e = 0; e < kEvents; ++e) {
      // Push the quiz on: long runs of OK presses now and then.
      if (use.Rng()() % 40 == 0) {
        for (int k = 0; k < 60; ++k) fake::TypeChar('\r');
      } else {
        use.Event(0);
      }
      std::string problems = CheckBoard();
      ASSERT_TRUE(problems.empty()) << "after event " << e << ":\n" << problems;
      ASSERT_FALSE(quiz::bFlowBusy);
    }
    fake::SetBoxHook(nullptr);
  }
  Topic_test.UnloadQuestions();
}

}  // namespace
