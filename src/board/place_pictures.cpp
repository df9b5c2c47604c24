// Loading and sizing a question's pictures for the board.
#include <cstring>
#include <string_view>

#include "bank/picture_ref.h"
#include "bank/question.h"
#include "board/pictures.h"
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
  for (int i = 0; i < kVariants; ++i) {
    const vrnt& v = q.Vrnt[i];
    s.hasReference[i] = false;
    s.label[i].clear();
    s.vrnt[i] = {};
    if (!v.bExists) continue;
    const std::string_view text = Field(v.Text, sizeof v.Text);
    if (!picref::HasPicture(text)) continue;
    const picref::Split split = picref::SplitText(text);
    const picref::Run* first = nullptr;
    for (const picref::Run& run : split.runs) {
      if (run.picture) {
        first = &run;
        break;
      }
    }
    if (first == nullptr) continue;  // an unclosed `![` only: plain text
    s.hasReference[i] = true;
    std::string label = LabelOf(text);
    Size natural;
    HPICTURE p = LoadOne(*first, folder, &natural);
    const Size fitted = p != nullptr ? Fit(natural, dpi, variantWidth, variantHeight) : Size{};
    if (p != nullptr && fitted.width > 0) {
      s.pictures.hVrnt[i] = p;
      s.vrnt[i] = fitted;
    } else {
      ws::ReleasePicture(p);
      // Nothing drawn: the variant reads as its text with the picture's text in its place.
      label = picref::AltText(text);
    }
    s.label[i] = std::move(label);
  }
}

}  // namespace pictures
