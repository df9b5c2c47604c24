// A model of the quiz, written from the rules of the quiz flow, the statistics, the command chain
// and the chooser, for the randomized test. It keeps its own copy of every topic as it was
// written, its own counters, flags, ticks and marks, and predicts from them what the program
// must show after each act of the user: `Current`, `Round`, the solved flags and show counts,
// the title line, the boxes with their texts, and the ticks and marks of the question on the
// board. It calls nothing of the program; what it learns of the window system is what the user
// did (recorded in an Act when it happened).
#pragma once

#include <cstddef>
#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/cp1251.h"

namespace quizmodel {

// A question as its file gives it: the number of variant lines (at most 12) and their signs.
struct Question {
  int variants = 0;
  bool correct[12] = {};
};
// A topic file: its questions in order (none for an empty file).
using TopicFile = std::vector<Question>;

struct Act;

// A box that came up during an act, and what the user did while it was up.
struct BoxSeen {
  bool ownedByMain = false;  // else owned by no window
  std::string caption;
  std::string text;
  std::vector<Act> nested;
};

enum class Kind {
  kNone,          // nothing to act on (no control, no chooser)
  kKey,           // a typed character
  kClick,         // a click on a control of the main window
  kCommand,       // a command sent to the main window (a menu item, say)
  kChooserOk,     // a click on a chooser's OK button (perhaps after one on a radio button)
  kChooserClose,  // a chooser closed with its close box
  kPump,          // the message loop delivers what was posted
  kFailPost,      // the next post of a message will fail
};

// One act of the user, with what the window system showed when it happened.
struct Act {
  Kind kind = Kind::kNone;
  char key = 0;             // kKey
  unsigned wParam = 0;      // kCommand
  int checkBoxRank = -1;    // kClick on a check box: 0 for the newest live one, 1 the one before...
  bool pushButton = false;  // kClick on the OK button
  bool accepted = false;    // kClick: the control took the click
  // Identifiers of the main window's live check boxes, newest first, just before the act.
  std::vector<int> checkBoxIds;
  std::vector<int> tickedTopics;  // kChooserOk: the topics whose radio buttons read ticked
  std::vector<BoxSeen> boxes;     // boxes shown during the act itself, in order
};

enum class Mark { kNone, kRight, kMissed, kWrong };

// How often the model met the situations worth reaching, so that a run can tell that it did.
struct Seen {
  int solvedByGrading = 0;
  int failedByGrading = 0;
  int roundsEnded = 0;
  int laterRounds = 0;  // rounds from the third on that began with questions left
  int quizzesOver = 0;
  int loads = 0;
  int lostStartsStartedAtOnce = 0;
  int startsCountedDown = 0;
  int actsDuringBoxes = 0;
  int undoneClicks = 0;
};

class Model {
 public:
  // The program after start-up with a discipline whose topics are `topics`; nothing loaded.
  explicit Model(std::vector<TopicFile> topics) : topics_(std::move(topics)) { LoadEmpty(); }

  // Replays one act; returns what went other than predicted (empty when all did).
  std::string Apply(const Act& act) {
    errors_.str("");
    Replay(act);
    return errors_.str();
  }

  // What the program must show now.
  int Current() const { return current_; }
  int Round() const { return round_; }
  int Count() const { return static_cast<int>(records_.size()); }
  bool Solved(int i) const { return records_[i].solved; }
  int ShowCount(int i) const { return records_[i].showCount; }
  bool Present(int i) const { return records_[i].present; }
  const std::string& Title() const { return title_; }
  bool Asking() const { return ask_; }
  bool NobodyHome() const { return nobodyHome_; }
  int StartsPending() const { return startsPending_; }
  // The question on the board as the latest one: its check boxes, their ticks, marks and state.
  int BoardBoxes() const { return boardBoxes_; }
  int Tick(int k) const { return ticks_[k]; }
  Mark MarkOf(int k) const { return marks_[k]; }
  bool BoxesEnabled() const { return boxesEnabled_; }
  const Seen& Situations() const { return seen_; }

 private:
  struct Record {
    bool present = false;
    int variants = 0;
    bool correct[12] = {};
    bool solved = false;
    int showCount = 0;
  };

  // ---- The records of the loaded topic ----

  void LoadEmpty() {
    records_.assign(1, Record{});  // the head, not present
  }
  void Load(const TopicFile& file) {
    records_.clear();
    for (const Question& q : file) {
      Record r;
      r.present = true;
      r.variants = q.variants;
      for (int k = 0; k < 12; ++k) r.correct[k] = q.correct[k];
      records_.push_back(r);
    }
    if (records_.empty()) LoadEmpty();
  }
  // The first present, unsolved question at or after n, or -1; never wraps round.
  int NextUnsolved(int n) const {
    for (int i = n < 0 ? 0 : n; i < Count(); ++i)
      if (records_[i].present && !records_[i].solved) return i;
    return -1;
  }
  bool HasCurrent() const { return current_ >= 0 && current_ < Count(); }

  // ---- The board, as far as the flow sees it ----

  void EmptyBoard() {
    boardBoxes_ = 0;
    boardQuestion_ = -1;
  }
  void Place(int q) {
    if (q < 0 || q >= Count()) return;
    Record& r = records_[q];
    boardQuestion_ = q;
    boardBoxes_ = r.variants;
    for (int k = 0; k < 12; ++k) {
      ticks_[k] = 0;
      marks_[k] = Mark::kNone;
    }
    boxesEnabled_ = true;
    ++r.showCount;
  }
  // Variant k's check box of the current question, when the board holds it.
  bool HasBox(int k) const {
    return boardQuestion_ == current_ && HasCurrent() && k >= 0 && k < boardBoxes_;
  }

  // ---- Statistics ----

  std::string Percent(int correct, int asked) const {
    double percent = asked == 0 ? 0.0 : static_cast<double>(correct) / asked * 100.0;
    char text[32];
    std::snprintf(text, sizeof text, "%3.3f", percent);
    return text;
  }
  void Figures(int& asked, int& correct, int& remaining) const {
    asked = correct = remaining = 0;
    for (const Record& r : records_) {
      if (!r.present) continue;
      if (r.showCount == round_) {
        ++asked;
        correct += r.solved ? 1 : 0;
      } else if (r.showCount < round_ && !r.solved) {
        ++remaining;
      }
    }
  }
  std::string TitleLine() const {
    int asked, correct, remaining;
    Figures(asked, correct, remaining);
    return std::string(Cp1251("Правильно ").c_str()) + Percent(correct, asked) +
           Cp1251(" %, осталось ").c_str() + std::to_string(remaining);
  }
  std::string BoxLine() const {
    int asked, correct, remaining;
    Figures(asked, correct, remaining);
    return std::string(Cp1251("Правильных ").c_str()) + std::to_string(correct) +
           Cp1251(", всего ").c_str() + std::to_string(asked) + " (" + Percent(correct, asked) +
           " %)";
  }

  // ---- Boxes: each predicted box must be the next one the act saw ----

  void Box(bool ownedByMain, const std::string& caption, const std::string* text) {
    Frame& frame = frames_.back();
    if (frame.next >= frame.act->boxes.size()) {
      errors_ << "expected a box \"" << caption << "\" that did not come\n";
      return;
    }
    const BoxSeen& seen = frame.act->boxes[frame.next++];
    if (seen.caption != caption)
      errors_ << "box \"" << seen.caption << "\" for \"" << caption << "\"\n";
    if (text != nullptr && seen.text != *text)
      errors_ << "box text \"" << seen.text << "\" for \"" << *text << "\"\n";
    if (seen.ownedByMain != ownedByMain)
      errors_ << "box \"" << caption << "\" has the wrong owner\n";
    // A box owned by the main window disables it while it is up.
    bool reenable = ownedByMain && mainEnabled_;
    if (ownedByMain) mainEnabled_ = false;
    ++boxDepth_;
    for (const Act& act : seen.nested) {
      ++seen_.actsDuringBoxes;
      Replay(act);
    }
    --boxDepth_;
    if (reenable) mainEnabled_ = true;
  }

  // ---- The flow ----

  bool Blocked() const { return busy_ || startsPending_ > 0; }

  void Grade() {
    if (HasCurrent()) {
      Record& r = records_[current_];
      for (int k = 0; k < r.variants; ++k) {
        int tick = HasBox(k) ? ticks_[k] : 0;
        Mark mark = Mark::kNone;
        if (tick == 1 && r.correct[k]) {
          mark = Mark::kRight;
        } else if (tick == 1) {
          mark = Mark::kWrong;
          allRight_ = false;
        } else if (tick == 0 && r.correct[k]) {
          mark = Mark::kMissed;
          allRight_ = false;
        }
        if (HasBox(k) && mark != Mark::kNone) marks_[k] = mark;
      }
      if (allRight_) r.solved = true;
      ++(allRight_ ? seen_.solvedByGrading : seen_.failedByGrading);
    }
    title_ = TitleLine();
    ask_ = false;
  }

  void MoveOn() {
    if (HasCurrent() && boardQuestion_ == current_) boxesEnabled_ = false;
    allRight_ = true;
    current_ = NextUnsolved(current_ + 1);
    if (current_ != -1) {
      Place(current_);
      ask_ = true;
      return;
    }
    // The end of the round: the title line and the box sum it up before anything changes.
    title_ = TitleLine();
    std::string line = BoxLine();
    Box(true, "Statistics", &line);
    ++seen_.roundsEnded;
    ++round_;
    EmptyBoard();
    title_ = kTitle;
    current_ = NextUnsolved(0);
    if (current_ != -1) {
      seen_.laterRounds += round_ >= 3 ? 1 : 0;
      Place(current_);
      ask_ = true;
      return;
    }
    // Every question is solved.
    std::string over = "Game over";
    Box(false, over, &over);
    round_ = 1;
    current_ = -1;
    EmptyBoard();
    title_ = kTitle;
    topicTable_ = false;
    nobodyHome_ = true;
    ask_ = true;
    ++seen_.quizzesOver;
  }

  void Ok() {
    if (nobodyHome_ || Blocked()) return;
    busy_ = true;
    if (ask_)
      Grade();
    else
      MoveOn();
    busy_ = false;
    if (deferred_) {
      deferred_ = false;
      Start();
    }
  }

  void Start() {
    if (busy_) {
      deferred_ = true;
      return;
    }
    if (startsPending_ > 1) {
      --startsPending_;
      ++seen_.startsCountedDown;
      return;
    }
    startsPending_ = 0;
    EmptyBoard();
    current_ = 0;
    round_ = 1;
    ask_ = true;
    allRight_ = true;
    title_ = kTitle;
    Place(0);
  }

  void Toggle(int k) { ticks_[k] = ticks_[k] == 1 ? 0 : 1; }

  void AnswerKey(int n) {
    if (Blocked() || !ask_ || !HasCurrent() || n >= records_[current_].variants) return;
    if (HasBox(n)) Toggle(n);
  }

  void UndoClick(unsigned id, const Act& act) {
    if (Blocked() || ask_ || !HasCurrent()) return;
    for (int k = 0; k < records_[current_].variants; ++k) {
      if (!HasBox(k)) continue;
      std::size_t rank = static_cast<std::size_t>(boardBoxes_ - 1 - k);
      if (rank < act.checkBoxIds.size() && static_cast<unsigned>(act.checkBoxIds[rank]) == id) {
        Toggle(k);
        ++seen_.undoneClicks;
      }
    }
  }

  // The main window's command chain.
  void Command(unsigned wParam, const Act& act) {
    if (busy_) return;  // a box of the flow is up: every command is dropped
    unsigned id = wParam & 0xFFFF;
    if (id == 10) Box(true, Cp1251("О программе").c_str(), nullptr);
    if (id == 11) Box(true, Cp1251("Информация").c_str(), nullptr);
    if (id == 12) Box(true, Cp1251("Горячие клавиши").c_str(), nullptr);
    if (id == 20) topicTable_ = true;  // discipline 0's topics are read and its chooser opens
    if (id >= 10000 && id < 10012 && ask_) AnswerKey(static_cast<int>(id - 10000));
    if (!ask_) UndoClick(id, act);
    if (id == 300 && !nobodyHome_) Ok();
  }

  void ChooserOk(const Act& act) {
    if (busy_) return;  // the chooser stays open with its choice
    bool loaded = false;
    for (int topic : act.tickedTopics) {
      if (!topicTable_ || topic < 0 || topic >= static_cast<int>(topics_.size())) continue;
      Load(topics_[topic]);
      ++seen_.loads;
      nobodyHome_ = false;
      loaded = true;
    }
    if (loaded) {
      if (!failNextPost_) {
        ++posts_;
        ++startsPending_;
      } else {
        failNextPost_ = false;
        if (startsPending_ == 0) {
          ++seen_.lostStartsStartedAtOnce;
          Start();
        }
      }
    }
    mainEnabled_ = true;  // the chooser is destroyed
  }

  void Replay(const Act& act) {
    frames_.push_back({&act, 0});
    switch (act.kind) {
      case Kind::kKey: {
        // Keys are translated by the program's own loop only; a box's loop has them.
        if (boxDepth_ > 0) break;
        char c = act.key;
        if (c >= '1' && c <= '<')
          Command(10000u + static_cast<unsigned>(c - '1'), act);
        else if (c == '\r' || c == ' ')
          Command(300, act);
        break;
      }
      case Kind::kClick: {
        bool current =
            act.checkBoxRank >= 0 && act.checkBoxRank < boardBoxes_ && boardQuestion_ >= 0;
        bool takes = mainEnabled_ && (act.pushButton || (current && boxesEnabled_));
        if (takes != act.accepted) {
          errors_ << "a click was " << (act.accepted ? "taken" : "refused") << ", expected "
                  << (takes ? "taken" : "refused") << "\n";
        }
        if (!act.accepted) break;
        if (act.pushButton) {
          Command(300, act);
        } else if (current) {
          int k = boardBoxes_ - 1 - act.checkBoxRank;
          Toggle(k);  // an automatic check box ticks and clears itself
          Command(static_cast<unsigned>(act.checkBoxIds[act.checkBoxRank]), act);
        }
        break;
      }
      case Kind::kCommand:
        Command(act.wParam, act);
        break;
      case Kind::kChooserOk:
        ChooserOk(act);
        break;
      case Kind::kChooserClose:
        mainEnabled_ = true;
        break;
      case Kind::kPump:
        while (posts_ > 0) {
          --posts_;
          Start();
        }
        break;
      case Kind::kFailPost:
        failNextPost_ = true;
        break;
      case Kind::kNone:
        break;
    }
    if (frames_.back().next != act.boxes.size())
      errors_ << act.boxes.size() - frames_.back().next << " box(es) came unexpected, first \""
              << act.boxes[frames_.back().next].caption << "\"\n";
    frames_.pop_back();
  }

  static constexpr const char* kTitle = "Exameo 2.0";

  struct Frame {
    const Act* act;
    std::size_t next;  // the next of its boxes to be predicted
  };

  std::vector<TopicFile> topics_;
  std::vector<Record> records_;
  int current_ = 0;
  int round_ = 1;
  bool ask_ = true;
  bool allRight_ = true;
  bool nobodyHome_ = false;
  bool topicTable_ = false;
  std::string title_ = kTitle;
  // The guards against nesting: an OK in progress, starts on their way, a start put off.
  bool busy_ = false;
  int startsPending_ = 0;
  bool deferred_ = false;
  int posts_ = 0;
  bool failNextPost_ = false;
  bool mainEnabled_ = true;
  int boxDepth_ = 0;
  int boardQuestion_ = -1;
  int boardBoxes_ = 0;
  int ticks_[12] = {};
  Mark marks_[12] = {};
  bool boxesEnabled_ = false;
  std::vector<Frame> frames_;
  std::ostringstream errors_;
  Seen seen_;
};

}  // namespace quizmodel
