// The in-memory window system's own Windows-like behaviour, which the other tests rely on.
#include <gtest/gtest.h>

#include "fake/fake_window_system.h"
#include "platform/window_system.h"

namespace {

class FakeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    main_ = fake::CreateMainWindow(1000, 700);
  }
  HWND Box(int id, int x = 0, int y = 0) {
    return ws::CreateButton(main_, "box", 0x50002003, x, y, 100, 20, id, nullptr);
  }
  HWND main_ = nullptr;
};

TEST_F(FakeTest, FindChildGivesFirstLiveMatchInCreationOrder) {
  HWND first = Box(1000);
  HWND second = Box(1000);
  EXPECT_EQ(ws::FindChild(main_, 1000), first);
  ws::Destroy(first);
  EXPECT_EQ(ws::FindChild(main_, 1000), second);
  ws::Destroy(second);
  EXPECT_EQ(ws::FindChild(main_, 1000), nullptr);
  EXPECT_EQ(ws::FindChild(nullptr, 1000), nullptr);
}

}  // namespace
