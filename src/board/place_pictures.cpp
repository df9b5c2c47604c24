// Loading and sizing a question's pictures for the board.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "bank/picture_ref.h"
#include "bank/question.h"
#include "board/pictures.h"
#include "common/dpi.h"
#include "platform/window_system.h"

namespace pictures {

namespace {
// A fixed field's text: up to its terminator, or the whole field without one.
std::string_view Field(const char* field, std::size_t size) {
  const void* end = std::memchr(field, 0, size);
  return std::string_view(field, end != nullptr ? static_cast<const char*>(end) - field : size);
}

// Loads the picture a reference names, or gives null (the reference's text then shows).
HPICTURE LoadOne(const picref::Run& run, const Folder& folder, Size* natural) {
  const picref::CheckedPath checked = picref::CheckPath(run.path, folder.depth);
  if (checked.fault != picref::PathFault::kNone) return nullptr;
  const ws::LoadedPicture loaded = ws::LoadPicture(folder.path + checked.path);
  if (loaded.fault != ws::PictureFault::kNone || loaded.picture == nullptr) return nullptr;
  *natural = {loaded.width, loaded.height};
  return loaded.picture;
}

std::string PathOf(const picref::Run& run, const Folder& folder) {
  return folder.path + picref::CheckPath(run.path, folder.depth).path;
}
}  // namespace

bool HoldsPictures(const QuestionClass& q) {
  if (!q.bUtf8) return false;
  if (picref::HasPicture(Field(q.Task, sizeof q.Task))) return true;
  for (const vrnt& v : q.Vrnt) {
    if (v.bExists && picref::HasPicture(Field(v.Text, sizeof v.Text)))
      return true;
  }
  return false;
}

void Stage(const QuestionClass& q, const Folder& folder, int dpi, int columnWidth,
           int halfHeight, int variantHeight, Staged* out) {
  Staged& s = *out;
  s.pictures.Release();
  s.pictures.bAny = true;
  s.taskCount = 0;

  const picref::Split task = picref::SplitText(Field(q.Task, sizeof q.Task));
  for (const picref::Run& run : task.runs) {
    if (!run.picture) {
      s.pictures.Text += run.text;
      continue;
    }
    Size natural;
    HPICTURE p = s.taskCount < kTaskPictures ? LoadOne(run, folder, &natural) : nullptr;
    const Size fitted = p != nullptr ? Fit(natural, dpi, columnWidth, halfHeight) : Size{};
    if (p != nullptr && fitted.width > 0) {
      const int i = s.taskCount++;
      s.pictures.hTask[i] = p;
      s.pictures.TaskPath[i] = PathOf(run, folder);
      s.pictures.TaskAlt[i] = run.text;
      s.task[i] = fitted;
    } else {
      ws::ReleasePicture(p);
      s.pictures.Text += run.text;
    }
  }

  const int variantWidth = columnWidth * 2 / 3;
  const int gap = dpi::Scale(kGap, dpi);
  for (int i = 0; i < kVariants; ++i) {
    const vrnt& v = q.Vrnt[i];
    s.hasReference[i] = false;
    s.label[i].clear();
    s.vrnt[i] = {};
    s.vrntCount[i] = 0;
    if (!v.bExists) continue;
    const std::string_view text = Field(v.Text, sizeof v.Text);
    if (!picref::HasPicture(text)) continue;
    const picref::Split split = picref::SplitText(text);
    // The first kVariantPictures pictures that load are drawn; bit j of `drawn` marks picture j.
    HPICTURE loaded[kVariantPictures] = {};
    Size natural[kVariantPictures];
    int ofText[kVariantPictures] = {};
    int count = 0, picture = 0;
    for (const picref::Run& run : split.runs) {
      if (!run.picture) continue;
      if (count < kVariantPictures) {
        loaded[count] = LoadOne(run, folder, &natural[count]);
        if (loaded[count] != nullptr) ofText[count++] = picture;
      }
      ++picture;
    }
    if (picture == 0) continue;  // an unclosed `![` only: plain text
    s.hasReference[i] = true;
    Size fitted[kVariantPictures];
    FitRow(natural, count, dpi, variantWidth, variantHeight, gap, fitted);
    unsigned drawn = 0;
    int shown = 0;
    for (int k = 0; k < count; ++k) {
      if (fitted[k].width <= 0) {
        ws::ReleasePicture(loaded[k]);
        continue;
      }
      drawn |= 1u << ofText[k];
      s.pictures.hVrnt[i][shown] = loaded[k];
      s.vrntEach[i][shown] = fitted[k];
      s.vrnt[i].width += (shown > 0 ? gap : 0) + fitted[k].width;
      s.vrnt[i].height = std::max(s.vrnt[i].height, fitted[k].height);
      ++shown;
    }
    s.vrntCount[i] = shown;
    // Each picture not drawn reads as its text in the label, in its place.
    s.label[i] = LabelOf(text, drawn);
  }
}

}  // namespace pictures
