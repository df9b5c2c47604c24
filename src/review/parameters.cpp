// The fitted parameters' line of exameo.ini.
#include "review/parameters.h"

#include <charconv>

#include "review/fit.h"
#include "records/ini.h"

namespace review {

ParametersRead ReadParameters(std::string_view ini) {
  ParametersRead read;
  std::string value;
  if (!records::IniValue(ini, "review", "parameters", &value)) return read;
  Parameters p{};
  std::string_view rest = value;
  int n = 0;
  bool ok = true;
  while (ok) {
    std::size_t comma = rest.find(',');
    std::string_view field = records::IniTrim(rest.substr(0, comma));
    double x = 0;
    auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), x);
    ok = !field.empty() && ec == std::errc() && end == field.data() + field.size() &&
         n < kParameters;
    if (ok) p.w[n++] = x;
    if (comma == std::string_view::npos) break;
    rest.remove_prefix(comma + 1);
  }
  if (!ok || n != kParameters || !WithinBounds(p)) {
    read.ignored = true;
    return read;
  }
  read.params = p;
  read.fitted = true;
  return read;
}

std::string FormatParameters(const Parameters& p) {
  std::string text;
  for (int i = 0; i < kParameters; ++i) {
    char number[32];
    auto [end, ec] = std::to_chars(number, number + sizeof number, p.w[i]);
    if (i > 0) text += ", ";
    text.append(number, ec == std::errc() ? end : number);
  }
  return text;
}

std::string IniWithParameters(std::string_view ini, const Parameters& p) {
  records::IniPair pair{"parameters", FormatParameters(p)};
  return records::IniWithValues(ini, "review", &pair, 1);
}

}  // namespace review
