// Random use of the whole program: keys, clicks on any control, OK, menu commands, choosers
// opened, used and closed, starts pumped, posts that fail, and acts while boxes are up, over
// topics of random shapes, among them long ones that wrap the board round and one whose variants
// outnumber the check box identifiers. After every event the board must be consistent, and the
// quiz must be where the model (quiz_model.h) says: the question asked, the round, the solved
// flags, the title line, the boxes and their texts, the ticks and marks on the board.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "quiz_model.h"
#include "quiz_support.h"

namespace {

using namespace quiztest;

// The seed of the run: EXAMEO_SEED when set, else a fixed one.
unsigned RunSeed() {
  const char* env = std::getenv("EXAMEO_SEED");
  return env != nullptr ? static_cast<unsigned>(std::strtoul(env, nullptr, 10)) : 20261208u;
}

// A random topic: n questions of minVariants to maxVariants variants, task texts of 1 to `words`
// words. What was written goes to `file` as well, for the model.
std::string RandomTopic(std::mt19937& rng, int n, int minVariants, int maxVariants, int words,
                        quizmodel::TopicFile& file) {
  std::string bytes;
  for (int i = 0; i < n; ++i) {
    int w = 1 + static_cast<int>(rng() % static_cast<unsigned>(words));
    bytes += "Q" + std::to_string(i);
    for (int j = 0; j < w; ++j) bytes += " word";
    bytes += "\r\n";
    int variants = minVariants +
                   static_cast<int>(rng() % static_cast<unsigned>(maxVariants - minVariants + 1));
    quizmodel::Question question;
    question.variants = variants;
    for (int k = 0; k < variants; ++k) {
      question.correct[k] = rng() % 2 != 0;
      bytes += question.correct[k] ? "\t+" : "\t-";
      bytes += std::string(rng() % 90, 'x') + "\r\n";
    }
    file.push_back(question);
  }
  return bytes;
}

bool IsCheckBox(HWND control) {
  return (control->style & 0xF) == ws::kStyleAutoCheckBox;
}

// The main window's live check boxes, the newest first.
std::vector<HWND> CheckBoxesNewestFirst() {
  std::vector<HWND> boxes;
  std::vector<HWND> children = fake::LiveChildren(OnScreen2.hWnd);
  for (auto it = children.rbegin(); it != children.rend(); ++it)
    if (IsCheckBox(*it)) boxes.push_back(*it);
  return boxes;
}

quizmodel::Mark MarkOf(HWND control) {
  HFONT font = control->font;
  if (font == nullptr) return quizmodel::Mark::kNone;
  if (font->strikeOut && font->weight == 400 && !font->underline) return quizmodel::Mark::kWrong;
  if (font->weight == 700 && font->underline && !font->strikeOut) return quizmodel::Mark::kMissed;
  if (font->weight == 700 && !font->underline && !font->strikeOut) return quizmodel::Mark::kRight;
  return static_cast<quizmodel::Mark>(-1);  // a font the flow never sets
}

// Where the program is against where the model says it must be; empty when they agree.
std::string CompareWithModel(const quizmodel::Model& model) {
  std::ostringstream out;
  auto expect = [&](const char* what, auto got, auto want) {
    if (got != want) out << what << " is " << got << ", the model says " << want << "\n";
  };
  expect("Current", Topic_test.Current, model.Current());
  expect("Round", Topic_test.Round, model.Round());
  expect("Count", Topic_test.Count, model.Count());
  expect("the title", OnScreen2.hWnd->text, model.Title());
  expect("bAsk", OnScreen2.bAsk, model.Asking());
  expect("bNobodyHome", bNobodyHome, model.NobodyHome());
  expect("StartsPending", quiz::StartsPending, model.StartsPending());
  if (Topic_test.Count == model.Count()) {
    const QuestionClass* q = &Topic_test.Head;
    for (int i = 0; i < model.Count(); ++i, q = q->Next) {
      if (q->bExists != model.Present(i)) out << "question " << i << ": bExists differs\n";
      if (q->bSolved != model.Solved(i))
        out << "question " << i << ": bSolved is " << q->bSolved << "\n";
      if (q->ShowCount != model.ShowCount(i))
        out << "question " << i << ": ShowCount is " << q->ShowCount << ", the model says "
            << model.ShowCount(i) << "\n";
    }
  }
  // The question placed last: its check boxes are the newest ones.
  std::vector<HWND> boxes = CheckBoxesNewestFirst();
  int m = model.BoardBoxes();
  if (static_cast<int>(boxes.size()) < m) {
    out << boxes.size() << " check boxes on the board, the latest question has " << m << "\n";
    return out.str();
  }
  for (int k = 0; k < m; ++k) {
    HWND box = boxes[static_cast<std::size_t>(m - 1 - k)];
    if (box->tick != model.Tick(k))
      out << "variant " << k << " reads " << box->tick << ", the model ticked " << model.Tick(k)
          << "\n";
    if (MarkOf(box) != model.MarkOf(k)) out << "variant " << k << " carries the wrong mark\n";
    if (box->enabled != model.BoxesEnabled()) out << "variant " << k << ": enabled differs\n";
  }
  // Every older check box is frozen.
  for (std::size_t r = static_cast<std::size_t>(m); r < boxes.size(); ++r)
    if (boxes[r]->enabled) out << "an earlier question's check box is still enabled\n";
  return out.str();
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

// Acts as the user at random and records each act, with the boxes it brought up and what was
// done while they were up, for the model to replay.
class RandomUse {
 public:
  explicit RandomUse(unsigned seed) : rng_(seed) {}

  quizmodel::Act Event() {
    using quizmodel::Kind;
    HWND main = OnScreen2.hWnd;
    quizmodel::Act act;
    Begin(act);
    unsigned roll = rng_() % 100;
    if (roll < 35) {
      Type(act, rng_() % 2 ? '\r' : ' ');
    } else if (roll < 55) {
      static const char kKeys[] = "123456789:;<0=xq";
      Type(act, kKeys[rng_() % (sizeof kKeys - 1)]);
    } else if (roll < 68) {
      std::vector<HWND> children = fake::LiveChildren(main);
      if (!children.empty()) {
        HWND control = children[rng_() % children.size()];
        act.kind = Kind::kClick;
        act.pushButton = !IsCheckBox(control);
        if (!act.pushButton) {
          std::vector<HWND> boxes = CheckBoxesNewestFirst();
          for (std::size_t r = 0; r < boxes.size(); ++r)
            if (boxes[r] == control) act.checkBoxRank = static_cast<int>(r);
        }
        act.accepted = fake::Click(control);
      }
    } else if (roll < 74) {
      unsigned pick = rng_() % 6;
      unsigned id = pick == 0   ? 10 + rng_() % 3
                    : pick == 1 ? static_cast<unsigned>(AnswerId(static_cast<int>(rng_() % 12)))
                    : pick == 2 ? 300
                    : pick == 3 ? 10000 + rng_() % 12
                                : rng_() % 0x20000;
      act.kind = Kind::kCommand;
      act.wParam = id | (rng_() % 2) << 16;
      fake::Command(act.wParam);
    } else if (roll < 80) {
      act.kind = Kind::kCommand;
      act.wParam = 20 + rng_() % 2;  // a discipline item (the second one does not exist)
      fake::Command(act.wParam);
    } else if (roll < 90) {
      std::vector<HWND> choosers = fake::LiveChoosers();
      if (!choosers.empty()) {
        HWND chooser = choosers[rng_() % choosers.size()];
        std::vector<HWND> controls = fake::LiveChildren(chooser);
        // Mostly a radio button then OK.
        if (controls.size() > 1 && rng_() % 3 != 0)
          fake::Click(controls[rng_() % (controls.size() - 1)]);
        act.kind = Kind::kChooserOk;
        for (HWND control : controls)
          if (control != controls.back() && control->tick == 1)
            act.tickedTopics.push_back(control->id - 100);
        fake::Click(controls.back());
      }
    } else if (roll < 92) {
      std::vector<HWND> choosers = fake::LiveChoosers();
      if (!choosers.empty()) {
        act.kind = Kind::kChooserClose;
        fake::Close(choosers[rng_() % choosers.size()]);
      }
    } else if (roll < 98) {
      act.kind = Kind::kPump;
      fake::Pump();
    } else {
      act.kind = Kind::kFailPost;
      fake::FailNextPost();
    }
    End();
    return act;
  }

  // A typed character, as an act of its own.
  quizmodel::Act Key(char c) {
    quizmodel::Act act;
    Begin(act);
    Type(act, c);
    End();
    return act;
  }

  // A box came up: it belongs to the act in progress; now and then a few acts while it is up.
  void OnBox(const fake::Box& box, int depth) {
    quizmodel::Act& act = *open_.back();
    act.boxes.push_back({box.owner == OnScreen2.hWnd, box.caption, box.text, {}});
    std::size_t index = act.boxes.size() - 1;
    if (depth > 1 || rng_() % 3 != 0) return;
    int n = 1 + static_cast<int>(rng_() % 3);
    for (int i = 0; i < n; ++i) {
      quizmodel::Act nested = Event();
      act.boxes[index].nested.push_back(std::move(nested));
    }
  }

  std::mt19937& Rng() { return rng_; }

 private:
  void Begin(quizmodel::Act& act) {
    act.kind = quizmodel::Kind::kNone;
    for (HWND box : CheckBoxesNewestFirst()) act.checkBoxIds.push_back(box->id);
    open_.push_back(&act);
  }
  void End() { open_.pop_back(); }
  void Type(quizmodel::Act& act, char c) {
    act.kind = quizmodel::Kind::kKey;
    act.key = c;
    fake::TypeChar(c);
  }

  std::mt19937 rng_;
  std::vector<quizmodel::Act*> open_;  // the acts in progress, the innermost last
};

TEST(QuizRandomTest, TheBoardStaysConsistentUnderRandomUse) {
  const unsigned seed = RunSeed();
  ScratchDir dir;
  std::mt19937 shapes(seed);
  // Topics: small ones, a long one that wraps the board many times, one whose variants
  // outnumber the identifiers below the answer keys, and an empty one.
  std::string description = "Random\r\n";
  const int kTopics = 6;
  std::vector<quizmodel::TopicFile> files(kTopics);
  for (int t = 0; t < kTopics; ++t) {
    std::string name = "r\\t" + std::to_string(t) + ".txt";
    description += "\tTopic " + std::to_string(t) + "\"" + name + "\"\r\n";
    quizmodel::TopicFile& file = files[static_cast<std::size_t>(t)];
    std::string bytes = t == 0   ? RandomTopic(shapes, 3, 0, 4, 3, file)
                        : t == 1 ? RandomTopic(shapes, 12, 0, 12, 40, file)
                        : t == 2 ? RandomTopic(shapes, 300, 0, 5, 30, file)
                        : t == 3 ? RandomTopic(shapes, 850, 10, 12, 2, file)  // over 9000 variants
                        : t == 4 ? ""
                                 : RandomTopic(shapes, 40, 0, 2, 120, file);
    WriteBytes("Base\\" + name, bytes);
  }
  WriteBytes("Base\\1.txt", description);

  const int kSequences = 40;
  const int kEvents = 300;
  int depth = 0;
  quizmodel::Seen seen;
  for (int sequence = 0; sequence < kSequences; ++sequence) {
    unsigned sequenceSeed = seed + static_cast<unsigned>(sequence);
    SCOPED_TRACE("EXAMEO_SEED=" + std::to_string(seed) + ", sequence " + std::to_string(sequence));
    ResetProgram(sequence % 2 ? 1000 : 1280, sequence % 3 ? 560 : 900);
    std::string pattern = "Base\\*.txt";
    Discipline.LoadDisciplines(pattern.data());
    RandomUse use(sequenceSeed);
    quizmodel::Model model(files);
    fake::SetBoxHook([&](const fake::Box& box) {
      ++depth;
      use.OnBox(box, depth);
      --depth;
    });
    auto check = [&](const quizmodel::Act& act, int e) {
      std::string problems = CheckBoard();
      problems += model.Apply(act);
      problems += CompareWithModel(model);
      EXPECT_TRUE(problems.empty()) << "after event " << e << ":\n" << problems;
      EXPECT_FALSE(quiz::bFlowBusy);
      return problems.empty() && !quiz::bFlowBusy;
    };
    bool agreed = true;
    for (int e = 0; e < kEvents && agreed; ++e) {
      // Push the quiz on: long runs of OK presses now and then.
      if (use.Rng()() % 40 == 0) {
        for (int k = 0; k < 60 && agreed; ++k) agreed = check(use.Key('\r'), e);
      } else {
        agreed = check(use.Event(), e);
      }
    }
    fake::SetBoxHook(nullptr);
    const quizmodel::Seen& s = model.Situations();
    for (auto [total, part] : {std::pair{&seen.solvedByGrading, s.solvedByGrading},
                               {&seen.failedByGrading, s.failedByGrading},
                               {&seen.roundsEnded, s.roundsEnded},
                               {&seen.laterRounds, s.laterRounds},
                               {&seen.quizzesOver, s.quizzesOver},
                               {&seen.loads, s.loads},
                               {&seen.lostStartsStartedAtOnce, s.lostStartsStartedAtOnce},
                               {&seen.startsCountedDown, s.startsCountedDown},
                               {&seen.actsDuringBoxes, s.actsDuringBoxes},
                               {&seen.undoneClicks, s.undoneClicks}})
      *total += part;
    if (!agreed) return;
  }
  Topic_test.UnloadQuestions();
  // A run that never reached these would have checked little: each must have come up.
  std::printf(
      "solved %d, failed %d by grading; %d rounds ended, %d third or later rounds; %d quizzes "
      "over; %d loads, %d lost starts started at once, %d starts counted down; %d acts during "
      "boxes; %d clicks undone\n",
      seen.solvedByGrading, seen.failedByGrading, seen.roundsEnded, seen.laterRounds,
      seen.quizzesOver, seen.loads, seen.lostStartsStartedAtOnce, seen.startsCountedDown,
      seen.actsDuringBoxes, seen.undoneClicks);
  EXPECT_GT(seen.solvedByGrading, 0);
  EXPECT_GT(seen.failedByGrading, 0);
  EXPECT_GT(seen.roundsEnded, 0);
  EXPECT_GT(seen.laterRounds, 0);
  EXPECT_GT(seen.quizzesOver, 0);
  EXPECT_GT(seen.loads, 0);
  EXPECT_GT(seen.lostStartsStartedAtOnce, 0);
  EXPECT_GT(seen.startsCountedDown, 0);
  EXPECT_GT(seen.actsDuringBoxes, 0);
  EXPECT_GT(seen.undoneClicks, 0);
}

}  // namespace
