// The memory a topic of pictures costs: a topic of 1,000 questions of one 2 MB picture each, its
// questions placed through the board of the real main window (its 64 slots reused over and
// over), keeps the process under 200 MB resident at its peak, since each picture is decoded when
// its question is placed and released with it. Run in a process of its own (its CTest entry), so
// that the peak is this test's. A ceiling of memory, not a timing.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "board/screen.h"
#include "shell/globals.h"
#include "support/noise_png.h"
#include "win32_test_support.h"

namespace {

constexpr int kQuestions = 1000;
// Placements, each decoding a 2 MB PNG (about 0.1 s under Wine), spread over the topic: the
// board's 64 slots all used, then each reused once. Once every slot has been used the memory
// stays level, so placing all 1,000 would only take longer: what a placement could keep (its
// fitted picture of about 0.9 MB) shows as growth over the second 64, 58 MB where at most
// kGrowthMb is allowed.
constexpr int kPlacements = 128;
constexpr int kSlots = 64;
constexpr double kGrowthMb = 16.0;
// Distinct files the questions take in turn: each placement reads and decodes its file anew,
// so a few stand for a thousand without writing 2 GB.
constexpr int kFiles = 4;
constexpr double kCeilingMb = 200.0;

double PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return -1.0;
  return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

TEST(PictureMemory, ATopicOfAThousandTwoMegabytePicturesStaysUnder200Mb) {
  CreateDirectoryW(L"Base\\figures", nullptr);
  for (int f = 0; f < kFiles; ++f) {
    const std::string name = "Base\\figures\\" + std::to_string(f) + ".png";
    ASSERT_GE(noisepng::Write(name, 1000, 1000, static_cast<unsigned>(f + 1)), 2'000'000) << name;
  }
  std::string topic = "\xEF\xBB\xBF";
  for (int i = 0; i < kQuestions; ++i) {
    topic += "Figure " + std::to_string(i) + "? ![figure " + std::to_string(i) + "](" +
             std::to_string(i % kFiles) + ".png)\r\n\t+yes\r\n\t-no\r\n";
  }
  std::FILE* file = std::fopen("Base\\figures\\t.txt", "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(topic.data(), 1, topic.size(), file), topic.size());
  std::fclose(file);

  char path[] = "Base\\figures\\t.txt";
  Topic_test.UnloadQuestions();
  Topic_test.LoadQuestions(path);
  ASSERT_EQ(Topic_test.Count, kQuestions);
  OnScreen2.PictureFolder = pictures::FolderOf(path);
  const double before = PeakWorkingSetMb();
  double level = 0.0;
  int drawn = 0;
  for (int n = 0; n < kPlacements; ++n) {
    const int i = n * (kQuestions / kPlacements);
    ASSERT_TRUE(PlaceQuestion2(i)) << i;
    if (OnScreen2.Entry[OnScreen2.CurrentSlot].Pictures.hTask[0] != nullptr) ++drawn;
    if (n % 32 == 31) Pump();
    if (n + 1 == kSlots) level = PeakWorkingSetMb();
  }
  const double peak = PeakWorkingSetMb();
  OnScreen2.HideAll();
  OnScreen2.RemoveInvisible();
  Pump();
  Topic_test.UnloadQuestions();

  // Every question was placed with its picture: a picture that failed to decode costs nothing.
  EXPECT_EQ(drawn, kPlacements);
  ASSERT_GT(peak, 0.0) << "GetProcessMemoryInfo failed";
  std::printf("peak working set: %.1f MB before placing, %.1f MB after %d questions placed, "
              "%.1f MB after %d\n", before, level, kSlots, peak, kPlacements);
  EXPECT_LT(peak, kCeilingMb);
  EXPECT_LT(peak - level, kGrowthMb) << "memory grows with every question placed";
}

}  // namespace
