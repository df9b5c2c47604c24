#include "bridge/number_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bridge {

namespace {

constexpr const char* kMonths[] = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                                   "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
constexpr const char* kMonthsShort[] = {"янв", "фев", "мар", "апр", "май", "июн",
                                        "июл", "авг", "сен", "окт", "ноя", "дек"};
constexpr const char* kDays[] = {"воскресенье", "понедельник", "вторник", "среда",
                                 "четверг",     "пятница",     "суббота"};
constexpr const char* kDaysShort[] = {"Вс", "Пн", "Вт", "Ср", "Чт", "Пт", "Сб"};

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// |v| rounded to 15 significant digits (what a spreadsheet keeps), then to `decimals` places,
// half away from zero: the integer part's digits and the fraction's.
void Fixed(double v, int decimals, std::string* whole, std::string* fraction) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
  std::string digits;
  const char* p = buf;
  for (; *p != 'e' && *p != 0; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
  // value = 0.DIGITS × 10^(exponent + 1)
  int point = exponent + 1;  // digits before the point
  int keep = point + decimals;
  if (keep < 0) {
    digits.assign(1, '0');
    point = 1;
  } else if (keep < static_cast<int>(digits.size())) {
    bool up = digits[static_cast<std::size_t>(keep)] >= '5';
    digits.resize(static_cast<std::size_t>(keep));
    if (up) {
      int i = keep - 1;
      while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9') digits[static_cast<std::size_t>(i--)] = '0';
      if (i >= 0) {
        ++digits[static_cast<std::size_t>(i)];
      } else {
        digits.insert(digits.begin(), '1');
        ++point;
      }
    }
    if (digits.empty()) {
      digits.assign(1, '0');
      point = 1;
    }
  }
  // Digits placed around the point.
  whole->clear();
  fraction->clear();
  for (int i = 0; i < point; ++i)
    *whole += i < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(i)] : '0';
  for (int i = 0; i < decimals; ++i) {
    int at = point + i;
    *fraction += at >= 0 && at < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(at)] : '0';
  }
  std::size_t nonzero = whole->find_first_not_of('0');
  *whole = nonzero == std::string::npos ? std::string() : whole->substr(nonzero);
}

std::string General(double v) {
  if (v == 0) return "0";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  std::string out;
  for (const char* p = buf; *p != 0; ++p) {
    if (*p == '.') out += ',';
    else if (*p == 'e') out += 'E';
    else out += *p;
  }
  // "1E+020" on some C libraries: the exponent's digits as a spreadsheet writes them.
  std::size_t e = out.find('E');
  if (e != std::string::npos && e + 2 < out.size()) {
    std::size_t d = e + 2;
    while (d + 2 < out.size() && out[d] == '0') out.erase(d, 1);
  }
  return out;
}

std::string Group(const std::string& whole) {
  std::string out;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out += "\xC2\xA0";
    out += whole[i];
  }
  return out;
}

// The sections of a code, split at ';' outside quotes and brackets.
std::vector<std::string_view> Sections(std::string_view code) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  bool quoted = false;
  int bracket = 0;
  for (std::size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '\\' && !quoted) {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == '[') {
      ++bracket;
    } else if (!quoted && c == ']' && bracket > 0) {
      --bracket;
    } else if (!quoted && bracket == 0 && c == ';') {
      out.push_back(code.substr(start, i - start));
      start = i + 1;
    }
  }
  out.push_back(code.substr(start));
  return out;
}

// One piece of a section: a literal or a run of one format letter.
struct Piece {
  bool literal;
  std::string text;  // the literal, or the letters (lower case) of a run
};

std::vector<Piece> Pieces(std::string_view s) {
  std::vector<Piece> out;
  auto literal = [&](std::string text) {
    if (!out.empty() && out.back().literal)
      out.back().text += text;
    else
      out.push_back(Piece{true, std::move(text)});
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '"') {
      std::size_t end = s.find('"', i + 1);
      if (end == std::string_view::npos) end = s.size();
      literal(std::string(s.substr(i + 1, end - i - 1)));
      i = end;
    } else if (c == '\\' && i + 1 < s.size()) {
      // One character, whole in UTF-8.
      std::size_t n = 1;
      while (i + 1 + n < s.size() && (static_cast<unsigned char>(s[i + 1 + n]) & 0xC0) == 0x80) ++n;
      literal(std::string(s.substr(i + 1, n)));
      i += n;
    } else if (c == '[') {
      std::size_t end = s.find(']', i);
      if (end == std::string_view::npos) end = s.size();
      std::string_view inside = s.substr(i + 1, end - i - 1);
      // [$₽-419]: a currency's sign; [h], [mm], [ss]: elapsed time, read as the letters.
      if (!inside.empty() && inside[0] == '$') {
        std::size_t dash = inside.find('-');
        literal(std::string(inside.substr(1, dash == std::string_view::npos ? inside.size() - 1 : dash - 1)));
      } else if (!inside.empty() && (Lower(inside[0]) == 'h' || Lower(inside[0]) == 'm' ||
                                     Lower(inside[0]) == 's')) {
        std::string letters;
        for (char l : inside) letters += Lower(l);
        out.push_back(Piece{false, letters});
      }
      i = end;
    } else if (c == '_' && i + 1 < s.size()) {
      literal(" ");
      ++i;
    } else if (c == '*' && i + 1 < s.size()) {
      ++i;
    } else if (std::string_view("yYmMdDhHsS").find(c) != std::string_view::npos) {
      std::string run;
      char l = Lower(c);
      while (i < s.size() && Lower(s[i]) == l) {
        run += l;
        ++i;
      }
      --i;
      out.push_back(Piece{false, run});
    } else if ((c == 'A' || c == 'a') && (s.substr(i, 5) == "AM/PM" || s.substr(i, 5) == "am/pm")) {
      out.push_back(Piece{false, "ampm"});
      i += 4;
    } else if (std::string_view("0#?.,%eE+-@").find(c) != std::string_view::npos) {
      out.push_back(Piece{false, std::string(1, c)});
    } else {
      literal(std::string(1, c));
    }
  }
  return out;
}

bool IsDate(const std::vector<Piece>& pieces) {
  for (const Piece& p : pieces)
    if (!p.literal && std::string_view("ymdhs").find(p.text[0]) != std::string_view::npos)
      return true;
  return false;
}

// Days since 1970-01-01 -> civil date.
void CivilFromDays(long long z, int* year, int* month, int* day) {
  z += 719468;
  long long era = (z >= 0 ? z : z - 146096) / 146097;
  long long doe = z - era * 146097;
  long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long y = yoe + era * 400;
  long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long long mp = (5 * doy + 2) / 153;
  *day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  *month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  *year = static_cast<int>(y + (*month <= 2 ? 1 : 0));
}

std::string Two(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string ShowDate(double value, const std::vector<Piece>& pieces, bool date1904) {
  if (value < 0 || value > 2958465.0 || std::isnan(value)) return General(value);
  long long serial = static_cast<long long>(std::floor(value));
  long long seconds = std::llround((value - static_cast<double>(serial)) * 86400.0);
  if (seconds >= 86400) {
    ++serial;
    seconds -= 86400;
  }
  int year = 1900, month = 1, day = 0, weekday = 0;
  if (date1904) {
    CivilFromDays(serial - 24107, &year, &month, &day);  // 1904-01-01 is day -24107
    weekday = static_cast<int>(((serial - 24107) % 7 + 7 + 4) % 7);
  } else if (serial == 60) {
    // The day a spreadsheet counts in 1900 (after Lotus's leap year) and no calendar has.
    year = 1900, month = 2, day = 29, weekday = 3;
  } else {
    long long days = serial - (serial > 60 ? 25569 : 25568);
    if (serial == 0) {
      year = 1900, month = 1, day = 0;
    } else {
      CivilFromDays(days, &year, &month, &day);
    }
    weekday = static_cast<int>((days % 7 + 7 + 4) % 7);
  }
  int hour = static_cast<int>(seconds / 3600), minute = static_cast<int>(seconds / 60 % 60),
      second = static_cast<int>(seconds % 60);
  bool ampm = false;
  for (const Piece& p : pieces) ampm = ampm || (!p.literal && p.text == "ampm");
  std::string out;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const Piece& p = pieces[k];
    if (p.literal) {
      out += p.text;
      continue;
    }
    const std::string& t = p.text;
    auto near = [&](char letter) {
      // An m beside an h before it or an s after it is minutes.
      for (std::size_t j = k; j-- > 0;) {
        if (pieces[j].literal) continue;
        return pieces[j].text[0] == letter;
      }
      return false;
    };
    auto next = [&](char letter) {
      for (std::size_t j = k + 1; j < pieces.size(); ++j) {
        if (pieces[j].literal) continue;
        return pieces[j].text[0] == letter;
      }
      return false;
    };
    switch (t[0]) {
      case 'y':
        out += t.size() <= 2 ? Two(year % 100) : std::to_string(year);
        break;
      case 'm':
        if (t.size() <= 2 && (near('h') || next('s'))) {
          out += t.size() == 2 ? Two(minute) : std::to_string(minute);
        } else if (t.size() == 1) {
          out += std::to_string(month);
        } else if (t.size() == 2) {
          out += Two(month);
        } else if (t.size() == 3) {
          out += kMonthsShort[month - 1];
        } else {
          out += kMonths[month - 1];
        }
        break;
      case 'd':
        if (t.size() == 1) out += std::to_string(day);
        else if (t.size() == 2) out += Two(day);
        else if (t.size() == 3) out += kDaysShort[weekday];
        else out += kDays[weekday];
        break;
      case 'h': {
        int h = ampm ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
        out += t.size() >= 2 ? Two(h) : std::to_string(h);
        break;
      }
      case 's':
        out += t.size() >= 2 ? Two(second) : std::to_string(second);
        break;
      case 'a':
        out += hour < 12 ? "AM" : "PM";
        break;
      default:
        out += t;
    }
  }
  return out;
}

std::string ShowFixed(double value, const std::vector<Piece>& pieces, bool sign) {
  std::string prefix, suffix;
  int intZeros = 0, fracZeros = 0, fracAll = 0;
  bool point = false, group = false, percent = false, any = false, scientific = false;
  int expZeros = 0;
  bool expPlus = false;
  bool text = false;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const Piece& p = pieces[k];
    if (p.literal) {
      (any ? suffix : prefix) += p.text;
      continue;
    }
    char c = p.text[0];
    if (c == '@') {
      text = true;
      any = true;
    } else if (scientific) {
      if (c == '0' || c == '#' || c == '?') ++expZeros;
      else if (c == '+') expPlus = true;
    } else if (c == '0' || c == '#' || c == '?') {
      any = true;
      if (point) {
        ++fracAll;
        if (c == '0') fracZeros = fracAll;
      } else if (c == '0') {
        ++intZeros;
      }
    } else if (c == '.') {
      point = true;
      any = true;
    } else if (c == ',') {
      if (any && !point) group = true;
    } else if (c == '%') {
      percent = true;
      (any ? suffix : prefix) += '%';
    } else if (c == 'e' || c == 'E') {
      scientific = true;
    } else {
      (any ? suffix : prefix) += c;
    }
  }
  if (text && !point && intZeros == 0) {
    std::string shown = prefix;
    shown.append(General(value)).append(suffix);
    return shown;
  }
  double v = percent ? value * 100 : value;
  std::string whole, fraction;
  std::string exponent;
  if (scientific && v != 0) {
    int e = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    double mantissa = v / std::pow(10.0, e);
    Fixed(mantissa, fracAll, &whole, &fraction);
    if (whole.size() > 1) {  // 9.99 rounded up to 10
      ++e;
      Fixed(v / std::pow(10.0, e), fracAll, &whole, &fraction);
    }
    std::string digits = std::to_string(std::abs(e));
    while (static_cast<int>(digits.size()) < std::max(expZeros, 1)) digits.insert(digits.begin(), '0');
    exponent.assign(1, 'E');
    if (e < 0 || expPlus) exponent.push_back(e < 0 ? '-' : '+');
    exponent.append(digits);
  } else {
    Fixed(v, fracAll, &whole, &fraction);
    if (scientific) {
      exponent.assign(1, 'E');
      if (expPlus) exponent.push_back('+');
      exponent.append(static_cast<std::size_t>(std::max(expZeros, 1)), '0');
    }
  }
  while (static_cast<int>(fraction.size()) > fracZeros && !fraction.empty() && fraction.back() == '0')
    fraction.pop_back();
  while (static_cast<int>(whole.size()) < intZeros) whole.insert(whole.begin(), '0');
  bool zero = whole.find_first_not_of('0') == std::string::npos &&
              fraction.find_first_not_of('0') == std::string::npos;
  std::string out = group ? Group(whole) : whole;
  if (!fraction.empty()) {
    out.push_back(',');
    out.append(fraction);
  } else if (out.empty() && (point || intZeros > 0)) {
    out.assign(1, '0');
  }
  out.append(exponent);
  std::string shown;
  if (sign && !zero) shown.push_back('-');
  shown.append(prefix).append(out).append(suffix);
  return shown;
}

}  // namespace

std::string_view BuiltinNumberFormat(int id) {
  switch (id) {
    case 1: return "0";
    case 2: return "0.00";
    case 3: return "#,##0";
    case 4: return "#,##0.00";
    case 9: return "0%";
    case 10: return "0.00%";
    case 11: return "0.00E+00";
    case 14: return "dd.mm.yyyy";
    case 15: return "d-mmm-yy";
    case 16: return "d-mmm";
    case 17: return "mmm-yy";
    case 18: return "h:mm AM/PM";
    case 19: return "h:mm:ss AM/PM";
    case 20: return "h:mm";
    case 21: return "h:mm:ss";
    case 22: return "dd.mm.yyyy h:mm";
    case 37: return "#,##0 ;-#,##0 ";
    case 38: return "#,##0 ;[Red]-#,##0 ";
    case 39: return "#,##0.00;-#,##0.00";
    case 40: return "#,##0.00;[Red]-#,##0.00";
    case 45: return "mm:ss";
    case 46: return "[h]:mm:ss";
    case 47: return "mm:ss.0";
    case 48: return "##0.0E+0";
    case 49: return "@";
    default: return "";
  }
}

std::string ShowNumber(double value, std::string_view code, bool date1904) {
  if (!std::isfinite(value)) return General(value);
  std::string lower;
  for (char c : code) lower += Lower(c);
  if (code.empty() || lower == "general" || lower == "standard") return General(value);
  std::vector<std::string_view> sections = Sections(code);
  std::string_view section = sections[0];
  bool sign = value < 0;
  if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
    section = sections[1];
    sign = false;  // the section writes its own sign, if any
    value = -value;
  } else if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
    section = sections[2];
  }
  std::vector<Piece> pieces = Pieces(section);
  std::string lowerSection;
  for (char c : section) lowerSection += Lower(c);
  if (lowerSection == "general") {
    std::string shown(sign ? "-" : "");
    shown.append(General(std::fabs(value)));
    return shown;
  }
  if (IsDate(pieces)) return ShowDate(value, pieces, date1904);
  return ShowFixed(std::fabs(value), pieces, sign);
}

}  // namespace bridge
