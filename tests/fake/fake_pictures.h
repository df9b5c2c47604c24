// The in-memory window system's pictures: files it knows by path, with their sizes or faults,
// and a record of every picture loaded, drawn, released and opened in a window of its own.
#pragma once

#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/window_system.h"

// A fake decoded picture. Never freed, so a test can see one released (alive false).
struct HPICTURE__ {
  std::string path;
  int width = 0, height = 0;  // as loaded
  int fitWidth = 0, fitHeight = 0;  // FitPicture's size; 0 until fitted
  bool alive = true;
};

namespace fake {

// LoadPicture of `path` gives this size, or this fault. Unknown paths are missing.
void AddPicture(const std::string& path, int width, int height,
                ws::PictureFault fault = ws::PictureFault::kNone);
// Forgets the files and every record below.
void ResetPictures();
// Pictures loaded and not yet released.
int LivePictures();
// Every LoadPicture call's path, in order.
const std::vector<std::string>& PictureLoads();
struct PictureDraw {
  std::string path;
  Rect rect;
  bool duringPaint;
};
const std::vector<PictureDraw>& PictureDraws();
struct PictureWindow {
  HWND owner;
  std::string path;
  std::string title;  // as handed (bytes)
};
const std::vector<PictureWindow>& PictureWindows();

}  // namespace fake
