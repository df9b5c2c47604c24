// The sizes pictures are drawn at on the board, and a slot's hold on them.
#include "board/pictures.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "bank/picture_ref.h"
#include "common/dpi.h"
#include "common/utf8.h"

namespace pictures {

namespace {
int AtLeastOne(double length) {
  const double rounded = std::floor(length + 0.5);
  if (rounded < 1.0) return 1;
  if (rounded > 1e9) return 1000000000;
  return static_cast<int>(rounded);
}
}  // namespace

Size Fit(Size natural, int dpi, int maxWidth, int maxHeight) {
  if (natural.width <= 0 || natural.height <= 0 || maxWidth <= 0 || maxHeight <= 0) return {};
  if (dpi <= 0) dpi = dpi::kBase;
  const double display = static_cast<double>(dpi) / dpi::kBase;
  const double w = natural.width * display;
  const double h = natural.height * display;
  // One factor for both sides keeps the proportions; 1 at most: never larger than the display
  // makes text.
  const double factor = std::min({1.0, maxWidth / w, maxHeight / h});
  Size out{AtLeastOne(w * factor), AtLeastOne(h * factor)};
  // Rounding must not step over the limits it was scaled to.
  out.width = std::min(out.width, maxWidth);
  out.height = std::min(out.height, maxHeight);
  return out;
}

void ShrinkToRoom(Size* sizes, int count, int fixed, int room) {
  if (sizes == nullptr || count <= 0) return;
  long long total = 0;
  for (int i = 0; i < count; ++i) total += std::max(0, sizes[i].height);
  if (total == 0 || fixed + total <= room) return;
  const long long available = static_cast<long long>(room) - fixed;
  const double factor = available > 0 ? static_cast<double>(available) / total : 0.0;
  for (int i = 0; i < count; ++i) {
    Size& s = sizes[i];
    if (s.height <= 0 || s.width <= 0) continue;
    // Rounded down, so that the shrunk heights together never exceed what is available.
    const int h = std::max(1, static_cast<int>(std::floor(s.height * factor)));
    if (h >= s.height) continue;
    s.width = AtLeastOne(static_cast<double>(s.width) * h / s.height);
    s.height = h;
  }
}

void FitRow(const Size* natural, int count, int dpi, int maxWidth, int maxHeight, int gap,
            Size* out) {
  if (out == nullptr || count <= 0) return;
  for (int i = 0; i < count; ++i) out[i] = {};
  if (natural == nullptr) return;
  if (dpi <= 0) dpi = dpi::kBase;
  const double display = static_cast<double>(dpi) / dpi::kBase;
  const long long room = static_cast<long long>(maxWidth) - static_cast<long long>(gap) * (count - 1);
  if (room < count || maxHeight <= 0) return;
  double width = 0, height = 0;
  for (int i = 0; i < count; ++i) {
    if (natural[i].width <= 0 || natural[i].height <= 0) return;
    width += natural[i].width * display;
    height = std::max(height, natural[i].height * display);
  }
  const double factor = std::min({1.0, static_cast<double>(room) / width, maxHeight / height});
  long long total = 0;
  int widest = 0;
  for (int i = 0; i < count; ++i) {
    out[i] = {AtLeastOne(natural[i].width * display * factor),
              std::min(AtLeastOne(natural[i].height * display * factor), maxHeight)};
    total += out[i].width;
    if (out[i].width > out[widest].width) widest = i;
  }
  // Rounding, and thin pictures kept at a pixel, must not push the row past its room; the
  // widest gives it back, so that its proportions change least.
  if (total > room) out[widest].width -= static_cast<int>(std::min<long long>(total - room, out[widest].width - 1));
}

int RowsFor(int height, int row, int maxRows) {
  if (maxRows < 1) maxRows = 1;
  if (row <= 0 || height <= 0) return 1;
  const int rows = static_cast<int>((static_cast<long long>(height) + row - 1) / row);
  return std::clamp(rows, 1, maxRows);
}

void SlotPictures::Release() {
  for (HPICTURE& p : hTask) {
    ws::ReleasePicture(p);
    p = nullptr;
  }
  for (auto& row : hVrnt) {
    for (HPICTURE& p : row) {
      ws::ReleasePicture(p);
      p = nullptr;
    }
  }
  for (int i = 0; i < kTaskPictures; ++i) {
    TaskRect[i] = {};
    TaskPath[i].clear();
    TaskAlt[i].clear();
  }
  for (auto& row : VrntRect) {
    for (Rect& r : row) r = {};
  }
  Text.clear();
  NextOpen = 0;
  bAny = false;
}

void SlotPictures::Take(SlotPictures& from) {
  if (&from == this) return;
  Release();
  bAny = from.bAny;
  for (int i = 0; i < kTaskPictures; ++i) {
    hTask[i] = std::exchange(from.hTask[i], nullptr);
    TaskRect[i] = from.TaskRect[i];
    TaskPath[i] = std::move(from.TaskPath[i]);
    TaskAlt[i] = std::move(from.TaskAlt[i]);
  }
  for (int i = 0; i < kVariants; ++i) {
    for (int j = 0; j < kVariantPictures; ++j) {
      hVrnt[i][j] = std::exchange(from.hVrnt[i][j], nullptr);
      VrntRect[i][j] = from.VrntRect[i][j];
    }
  }
  Text = std::move(from.Text);
  NextOpen = from.NextOpen;
  from.Release();
}

std::string LabelOf(std::string_view text, unsigned drawn) {
  const picref::Split split = picref::SplitText(text);
  std::string label;
  std::string alts;
  int picture = 0;
  for (const picref::Run& run : split.runs) {
    if (!run.picture) {
      label += run.text;
      continue;
    }
    const bool isDrawn = picture < 32 && (drawn >> picture & 1u) != 0;
    ++picture;
    if (!isDrawn) {
      label += run.text;
      continue;
    }
    if (!alts.empty()) alts += ' ';
    alts += run.text;
  }
  if (label.find_first_not_of(" \t\r\n") == std::string::npos) return alts;
  return label;
}

}  // namespace pictures
