// Telling and decoding the encodings of inputs.
#include "bridge/encoding.h"

#include <libxml/encoding.h>
#include <libxml/parser.h>

#include <mutex>

#include "bridge/text.h"
#include "common/cp1251.h"

namespace bridge {

namespace {

// KOI8-R bytes 0x80..0xFF (RFC 1489, as the Unicode Consortium's KOI8-R.TXT maps them).
constexpr char16_t kKoi8rHigh[128] = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524,  // 80
    0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590,  // 88
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248,  // 90
    0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7,  // 98
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556,  // A0
    0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E,  // A8
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565,  // B0
    0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9,  // B8
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433,  // C0
    0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E,  // C8
    0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432,  // D0
    0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A,  // D8
    0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,  // E0
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E,  // E8
    0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0416, 0x0412,  // F0
    0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A,  // F8
};

// An 8-bit code page into UTF-8, in libxml2's converter form: as much as fits in `out`.
// Windows-1251's undefined byte 0x98 becomes U+FFFD.
int FromTable(const char16_t* high, unsigned char* out, int* outlen, const unsigned char* in,
              int* inlen) {
  int o = 0, i = 0;
  for (; i < *inlen; ++i) {
    char32_t u = in[i] < 0x80 ? in[i] : high[in[i] - 0x80];
    if (u == 0 && in[i] >= 0x80) u = 0xFFFD;
    // Every character of the tables is in the first plane: at most three bytes.
    unsigned char bytes[3];
    int n = 0;
    if (u < 0x80) {
      bytes[n++] = static_cast<unsigned char>(u);
    } else if (u < 0x800) {
      bytes[n++] = static_cast<unsigned char>(0xC0 | (u >> 6));
      bytes[n++] = static_cast<unsigned char>(0x80 | (u & 0x3F));
    } else {
      bytes[n++] = static_cast<unsigned char>(0xE0 | (u >> 12));
      bytes[n++] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
      bytes[n++] = static_cast<unsigned char>(0x80 | (u & 0x3F));
    }
    if (o + n > *outlen) break;
    for (int k = 0; k < n; ++k) out[o++] = bytes[k];
  }
  *inlen = i;
  *outlen = o;
  return o;
}

int Windows1251ToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  return FromTable(cp1251::kHigh, out, outlen, in, inlen);
}
int Koi8rToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
  return FromTable(kKoi8rHigh, out, outlen, in, inlen);
}

// libxml2's converter of an encoding: its own for UTF-16, this bridge's tables (registered with
// it) for the code pages.
xmlCharEncodingHandlerPtr HandlerOf(Encoding encoding) {
  RegisterXmlEncodings();
  switch (encoding) {
    case Encoding::kUtf16le:
      return xmlGetCharEncodingHandler(XML_CHAR_ENCODING_UTF16LE);
    case Encoding::kUtf16be:
      return xmlGetCharEncodingHandler(XML_CHAR_ENCODING_UTF16BE);
    case Encoding::kWindows1251:
    case Encoding::kKoi8r:
      return xmlFindCharEncodingHandler(EncodingName(encoding));
    default:
      return nullptr;
  }
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool IsUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    std::size_t start = i;
    char32_t u = cp1251::DecodeUtf8(bytes.data(), bytes.size(), &i);
    std::size_t length = i - start;
    char32_t least = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (u == 0xFFFFFFFFu || u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return false;
  }
  return true;
}

// UTF-16 without a mark, told by its zero bytes: the high byte of every Latin letter, digit,
// blank and line end is zero, and a text in an 8-bit encoding or UTF-8 has none. Of the
// first pairs, one side must hold zeros in at least one pair in sixteen, and the other side
// at most a quarter as many.
Encoding Utf16ByZeros(std::string_view bytes) {
  std::size_t pairs = std::min<std::size_t>(bytes.size() / 2, 1 << 16);
  if (pairs < 2) return Encoding::kAuto;
  std::size_t even = 0, odd = 0;
  for (std::size_t k = 0; k < pairs; ++k) {
    even += bytes[2 * k] == 0 ? 1 : 0;
    odd += bytes[2 * k + 1] == 0 ? 1 : 0;
  }
  if (odd * 16 >= pairs && even * 4 <= odd) return Encoding::kUtf16le;
  if (even * 16 >= pairs && odd * 4 <= even) return Encoding::kUtf16be;
  return Encoding::kAuto;
}

}  // namespace

Encoding ParseEncoding(std::string_view name) {
  std::string n = LowerAscii(name);
  if (n == "utf-8" || n == "utf8") return Encoding::kUtf8;
  if (n == "windows-1251" || n == "cp1251") return Encoding::kWindows1251;
  if (n == "koi8-r" || n == "koi8r") return Encoding::kKoi8r;
  if (n == "utf-16le" || n == "utf16le") return Encoding::kUtf16le;
  if (n == "utf-16be" || n == "utf16be") return Encoding::kUtf16be;
  return Encoding::kAuto;
}

const char* EncodingName(Encoding encoding) {
  switch (encoding) {
    case Encoding::kUtf8:
      return "UTF-8";
    case Encoding::kWindows1251:
      return "Windows-1251";
    case Encoding::kKoi8r:
      return "KOI8-R";
    case Encoding::kUtf16le:
      return "UTF-16LE";
    case Encoding::kUtf16be:
      return "UTF-16BE";
    case Encoding::kAuto:
      break;
  }
  return "";
}

Sniffed SniffEncoding(std::string_view bytes, Encoding forced) {
  struct Mark {
    std::string_view bytes;
    Encoding encoding;
  };
  static constexpr Mark kMarks[] = {{"\xEF\xBB\xBF", Encoding::kUtf8},
                                    {"\xFF\xFE", Encoding::kUtf16le},
                                    {"\xFE\xFF", Encoding::kUtf16be}};
  Sniffed s;
  for (const Mark& m : kMarks) {
    if (bytes.substr(0, m.bytes.size()) != m.bytes) continue;
    // A forced encoding still drops the mark of its own kind.
    if (forced == Encoding::kAuto || forced == m.encoding) {
      s.encoding = m.encoding;
      s.told = Told::kByteOrderMark;
      s.mark = m.bytes.size();
    }
    break;
  }
  if (forced != Encoding::kAuto) {
    s.encoding = forced;
    s.told = Told::kForced;
    return s;
  }
  if (s.mark > 0) return s;
  Encoding wide = Utf16ByZeros(bytes);
  if (wide != Encoding::kAuto) {
    s.encoding = wide;
    s.told = Told::kZeroBytes;
  } else if (IsUtf8(bytes)) {
    s.encoding = Encoding::kUtf8;
    s.told = Told::kValidUtf8;
  } else {
    s.encoding = Encoding::kWindows1251;
    s.told = Told::kNotUtf8;
  }
  return s;
}

std::string DecodeToUtf8(std::string_view bytes, Encoding encoding, int* bad) {
  xmlCharEncodingHandlerPtr handler = HandlerOf(encoding);
  if (handler == nullptr || handler->input == nullptr) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  unsigned char buffer[1 << 14];
  while (!bytes.empty()) {
    int inlen = static_cast<int>(std::min<std::size_t>(bytes.size(), 1 << 12));
    int outlen = sizeof buffer;
    int result = handler->input(buffer, &outlen,
                                reinterpret_cast<const unsigned char*>(bytes.data()), &inlen);
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(outlen));
    bytes.remove_prefix(static_cast<std::size_t>(inlen));
    if (result >= 0 && inlen > 0) continue;
    // A unit that cannot be decoded (a lone surrogate, a last odd byte): U+FFFD for it.
    out += kReplacement;
    if (bad != nullptr) ++*bad;
    bytes.remove_prefix(std::min<std::size_t>(bytes.size(), 2));
  }
  return out;
}

std::string DecodeInput(const Source& source, std::string bytes, Encoding forced, Report* report) {
  Sniffed s = SniffEncoding(bytes, forced);
  if (s.told == Told::kNotUtf8 || s.told == Told::kZeroBytes)
    report->Remark(source.name, 0, lang::Say(lang::Id::kReadAsEncoding, EncodingName(s.encoding)));
  if (s.encoding == Encoding::kUtf8) {
    bytes.erase(0, s.mark);
    return bytes;
  }
  int bad = 0;
  std::string text = DecodeToUtf8(std::string_view(bytes).substr(s.mark), s.encoding, &bad);
  if (bad > 0)
    report->Lose(source.name, 0, lang::Say(lang::Id::kUndecodable, bad, EncodingName(s.encoding)));
  return text;
}

void RegisterXmlEncodings() {
  static std::once_flag once;
  std::call_once(once, [] {
    xmlInitParser();
    // libxml2 keeps the handlers (and frees them in xmlCleanupCharEncodingHandlers).
    xmlNewCharEncodingHandler("WINDOWS-1251", &Windows1251ToUtf8, nullptr);
    xmlNewCharEncodingHandler("KOI8-R", &Koi8rToUtf8, nullptr);
    xmlAddEncodingAlias("WINDOWS-1251", "CP1251");
    xmlAddEncodingAlias("KOI8-R", "KOI8R");
  });
}

}  // namespace bridge
