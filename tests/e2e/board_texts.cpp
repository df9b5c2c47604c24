// For the end-to-end scripts: prints the texts of the program's answer check boxes, one per line
// in UTF-8, in the order of their identifiers (the order the questions were placed in, each
// question's variants in order), so that a script reads back exactly what the board shows.
// Exit 1 when the program's main window is not there.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Box {
  int id;
  std::string text;
};

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(std::max(n, 0)), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                      nullptr, nullptr);
  return out;
}

BOOL CALLBACK Collect(HWND child, LPARAM boxes) {
  wchar_t cls[32] = {};
  GetClassNameW(child, cls, 32);
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (lstrcmpiW(cls, L"Button") != 0 || (style & BS_TYPEMASK) != BS_AUTOCHECKBOX ||
      !IsWindowVisible(child))
    return TRUE;
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(child, text.data(), static_cast<int>(text.size()))));
  reinterpret_cast<std::vector<Box>*>(boxes)->push_back({GetDlgCtrlID(child), Utf8(text)});
  return TRUE;
}

}  // namespace

int main() {
  HWND main = FindWindowW(L"MainWClass", nullptr);
  if (main == nullptr) return 1;
  std::vector<Box> boxes;
  EnumChildWindows(main, Collect, reinterpret_cast<LPARAM>(&boxes));
  std::stable_sort(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) { return a.id < b.id; });
  std::string out;
  for (const Box& box : boxes) out += box.text + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), out.data(), static_cast<DWORD>(out.size()), &written,
            nullptr);
  return 0;
}
