// The in-memory window system's pictures.
#include "fake/fake_pictures.h"

#include <deque>
#include <map>

namespace {
struct Known {
  int width, height;
  ws::PictureFault fault;
};
struct PictureState {
  std::map<std::string, Known> files;
  std::deque<HPICTURE__> pictures;  // stable addresses
  std::vector<std::string> loads;
  std::vector<fake::PictureDraw> draws;
  std::vector<fake::PictureWindow> windows;
};
PictureState& Pictures() {
  static PictureState state;
  return state;
}
void Draw(HPICTURE picture, Rect rect, bool paint) {
  if (picture == nullptr || !picture->alive) return;
  Pictures().draws.push_back({picture->path, rect, paint});
}
}  // namespace

namespace fake {
void AddPicture(const std::string& path, int width, int height, ws::PictureFault fault) {
  Pictures().files[path] = {width, height, fault};
}
void ResetPictures() { Pictures() = PictureState(); }
int LivePictures() {
  int n = 0;
  for (const HPICTURE__& p : Pictures().pictures) n += p.alive ? 1 : 0;
  return n;
}
const std::vector<std::string>& PictureLoads() { return Pictures().loads; }
const std::vector<PictureDraw>& PictureDraws() { return Pictures().draws; }
const std::vector<PictureWindow>& PictureWindows() { return Pictures().windows; }
}  // namespace fake

namespace ws {
LoadedPicture LoadPicture(const std::string& path) {
  PictureState& state = Pictures();
  state.loads.push_back(path);
  auto found = state.files.find(path);
  if (found == state.files.end()) return {nullptr, 0, 0, PictureFault::kMissing};
  const Known& known = found->second;
  if (known.fault != PictureFault::kNone) return {nullptr, 0, 0, known.fault};
  state.pictures.push_back({path, known.width, known.height, 0, 0, true});
  return {&state.pictures.back(), known.width, known.height, PictureFault::kNone};
}
void FitPicture(HPICTURE picture, int width, int height) {
  if (picture == nullptr || !picture->alive) return;
  picture->fitWidth = width;
  picture->fitHeight = height;
}
void DrawPictureNow(HWND, HPICTURE picture, Rect rect) { Draw(picture, rect, false); }
void DrawPicture(HDC, HPICTURE picture, Rect rect) { Draw(picture, rect, true); }
void ReleasePicture(HPICTURE picture) {
  if (picture != nullptr) picture->alive = false;
}
bool OpenPictureWindow(HINSTANCE, HWND owner, const std::string& path, Text title) {
  if (Pictures().files.count(path) == 0) return false;
  Pictures().windows.push_back({owner, path, title.bytes != nullptr ? title.bytes : ""});
  return true;
}
}  // namespace ws
