// exameo.ini's section [review], read tolerantly.
#include "review/settings.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "records/ini.h"

namespace review {
namespace {

// A plain decimal number, all of `text` ("0.85", "1"); false for anything else.
bool Number(std::string_view text, double* value) {
  if (text.empty() || text.size() > 32) return false;
  for (char c : text)
    if ((c < '0' || c > '9') && c != '.') return false;
  std::string copy(text);
  char* end = nullptr;
  *value = std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size();
}

}  // namespace

Settings ParseSettings(const char* bytes, std::size_t size) {
  Settings settings;
  if (bytes == nullptr) return settings;
  std::string_view text(bytes, size);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  bool inReview = false;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = records::IniTrim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.front() == '[') {
      inReview = line == "[review]";
      continue;
    }
    std::size_t equals = line.find('=');
    if (!inReview || equals == std::string_view::npos) continue;
    std::string_view name = records::IniTrim(line.substr(0, equals));
    double value = 0;
    if (!Number(records::IniTrim(line.substr(equals + 1)), &value)) continue;
    if (name == "retention" && value >= kMinRetention && value <= kMaxRetention)
      settings.retention = value;
    else if (name == "review_limit" && value >= 1 && value <= kMaxReviewLimit &&
             value == static_cast<int>(value))
      settings.reviewLimit = static_cast<int>(value);
  }
  return settings;
}

std::string FormatSettings(const Settings& settings) {
  if (settings == Settings{}) return {};
  char text[96];
  std::snprintf(text, sizeof text, "[review]\r\nretention=%.4g\r\nreview_limit=%d\r\n",
                settings.retention, settings.reviewLimit);
  return text;
}

}  // namespace review
