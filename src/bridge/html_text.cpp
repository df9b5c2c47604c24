// HTML to plain text through libxml2's HTML parser, so that tags, attributes, raw text and
// character references are read by a parser rather than by hand-written rules.
#include <libxml/HTMLparser.h>
#include <libxml/xmlerror.h>

#include <cstdint>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "bridge/sax_handler.h"
#include "bridge/text.h"
#include "common/cp1251.h"

namespace bridge {

namespace {

constexpr char32_t kBad = 0xFFFFFFFFu;

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiAlnum(char c) {
  return IsAsciiLetter(c) || (c >= '0' && c <= '9');
}

// The parser drops the control characters XML forbids, raw or as references, and would reread
// the rest of a text as Latin-1 after one malformed UTF-8 sequence. Before parsing, each such
// control character becomes one of Unicode's noncharacters for internal use, U+FDD0 + its
// code, and comes back afterwards, so the encoder's own check finds and notes it; a text's own
// U+FDD0..U+FDEF, U+FFFE and U+FFFF, and malformed sequences, become U+FFFD.
constexpr char32_t kControlBase = 0xFDD0;
constexpr char32_t kReplacement = 0xFFFD;

bool IsForbiddenControl(char32_t u) {
  return u != 0 && u < 0x20 && u != '\t' && u != '\n' && u != '\r';
}
bool IsNoncharacterUsed(char32_t u) {
  return (u >= 0xFDD0 && u <= 0xFDEF) || u == 0xFFFE || u == 0xFFFF;
}

// Decodes one UTF-8 sequence, refusing overlong forms, surrogates and values past U+10FFFF.
char32_t NextCodePoint(std::string_view s, std::size_t* i) {
  std::size_t start = *i;
  char32_t u = cp1251::DecodeUtf8(s.data(), s.size(), i);
  if (u == kBad) return kBad;
  std::size_t length = *i - start;
  char32_t least = length == 1 ? 0 : length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
  if (u < least || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) return kBad;
  return u;
}

// What a browser shows for the numeric references U+0080..U+009F: the Windows-1252 character
// of that byte (0 where it has none and the number stands).
constexpr char16_t kWindows1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Reads the character reference at s[i] == '&' the parser would read otherwise than a browser,
// appends what stands for it and returns the index past it; returns i when the parser reads
// it as a browser does (then '&' is copied as it is).
std::size_t PrepareReference(std::string_view s, std::size_t i, std::string* out) {
  std::size_t k = i + 1;
  if (k < s.size() && s[k] == '#') {
    ++k;
    bool hex = k < s.size() && (s[k] == 'x' || s[k] == 'X');
    if (hex) ++k;
    std::uint32_t value = 0;
    bool any = false;
    for (; k < s.size(); ++k) {
      char c = s[k];
      int digit = c >= '0' && c <= '9'          ? c - '0'
                  : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                  : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                : -1;
      if (digit < 0) break;
      any = true;
      if (value <= 0x10FFFF) value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
    }
    // "&#" before no digit is text (the parser would drop it).
    if (!any) {
      *out += "&amp;";
      return i + 1;
    }
    std::size_t end = k < s.size() && s[k] == ';' ? k + 1 : k;
    // A number a browser shows as U+FFFD stays as written.
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
      *out += "&amp;";
      return i + 1;
    }
    if (IsForbiddenControl(value)) {
      AppendUtf8(kControlBase + value, out);
    } else if (IsNoncharacterUsed(value)) {
      AppendUtf8(kReplacement, out);
    } else if (value >= 0x80 && value <= 0x9F && kWindows1252[value - 0x80] != 0) {
      *out += "&#" + std::to_string(kWindows1252[value - 0x80]) + ";";
    } else {
      return i;
    }
    return end;
  }
  // The Latin-1 names (&copy, &nbsp, &eacute ...) HTML also reads without their ';', unless a
  // letter, digit or '=' follows (as in a link's query).
  while (k < s.size() && IsAsciiAlnum(s[k])) ++k;
  if (k == i + 1 || k - i > 10 || (k < s.size() && (s[k] == ';' || s[k] == '='))) return i;
  std::string name(s.substr(i + 1, k - i - 1));
  const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str()));
  if (entity == nullptr || entity->value > 0xFF) return i;
  *out += "&" + name + ";";
  return k;
}

// The text as the parser is given it: inside a <body>, with the changes above.
std::string Prepare(std::string_view s) {
  std::string out = "<body>";
  out.reserve(s.size() + 16);
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '&') {
      std::size_t next = PrepareReference(s, i, &out);
      if (next == i) {
        out.push_back('&');
        ++i;
      } else {
        i = next;
      }
    } else if (c < 0x80) {
      if (IsForbiddenControl(c)) {
        AppendUtf8(kControlBase + c, &out);
      } else if (c != 0) {  // a browser drops U+0000 in text
        out.push_back(static_cast<char>(c));
      }
      ++i;
    } else {
      std::size_t start = i;
      char32_t u = NextCodePoint(s, &i);
      if (u == kBad || IsNoncharacterUsed(u)) {
        AppendUtf8(kReplacement, &out);
      } else {
        out.append(s.substr(start, i - start));
      }
    }
  }
  return out;
}

// The control characters Prepare set aside, back in place.
std::string Restore(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    // U+FDD1..U+FDEF is EF B7 91..EF B7 AF.
    if (static_cast<unsigned char>(s[i]) == 0xEF && i + 2 < s.size() &&
        static_cast<unsigned char>(s[i + 1]) == 0xB7 &&
        static_cast<unsigned char>(s[i + 2]) > 0x90 &&
        static_cast<unsigned char>(s[i + 2]) <= 0xAF) {
      out.push_back(static_cast<char>(static_cast<unsigned char>(s[i + 2]) - 0x90));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// How deep a text nests its elements, counted from its tags alone: the parser's work grows with
// the depth (each tag looks through the open elements), so a deep text is not parsed. Void
// elements and those whose end tag may be left out are not counted.
int NestingDepth(std::string_view s) {
  static constexpr std::string_view kFlat[] = {
      "area", "base",  "br",     "col",    "embed",    "hr",    "img",   "input", "link",
      "meta", "param", "source", "track",  "wbr",      "p",     "li",    "td",    "th",
      "tr",   "dt",    "dd",     "option", "optgroup", "tbody", "thead", "tfoot", "colgroup"};
  int depth = 0, deepest = 0;
  for (std::size_t i = s.find('<'); i != std::string_view::npos; i = s.find('<', i + 1)) {
    std::size_t k = i + 1;
    bool closing = k < s.size() && s[k] == '/';
    if (closing) ++k;
    std::size_t start = k;
    while (k < s.size() && (IsAsciiLetter(s[k]) || (k > start && s[k] >= '0' && s[k] <= '9'))) ++k;
    if (k == start) continue;
    std::string name(s.substr(start, k - start));
    for (char& c : name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    bool flat = false;
    for (std::string_view f : kFlat) flat = flat || name == f;
    if (flat) continue;
    if (closing) {
      depth = depth > 0 ? depth - 1 : 0;
    } else {
      deepest = ++depth > deepest ? depth : deepest;
    }
  }
  return deepest;
}

enum class Tag {
  kOther,
  kBlock,
  kSup,
  kSub,
  kImg,
  kAudio,
  kVideo,
  kObject,
  kEmbed,
  kIframe,
  kA,
  kStyle,
  kScript,
  kTemplate,
  kFrame
};

Tag TagOf(const char* name) {
  // Tags that end a block of text: they separate the words on either side.
  static constexpr const char* kBlocks[] = {"br", "p",  "div",        "li",  "ul", "ol",    "h1",
                                            "h2", "h3", "h4",         "h5",  "h6", "table", "tr",
                                            "td", "th", "blockquote", "pre", "hr"};
  for (const char* b : kBlocks)
    if (std::strcmp(name, b) == 0) return Tag::kBlock;
  struct Named {
    const char* name;
    Tag tag;
  };
  static constexpr Named kNamed[] = {
      {"sup", Tag::kSup},     {"sub", Tag::kSub},       {"img", Tag::kImg},
      {"audio", Tag::kAudio}, {"video", Tag::kVideo},   {"object", Tag::kObject},
      {"embed", Tag::kEmbed}, {"iframe", Tag::kIframe}, {"a", Tag::kA},
      {"style", Tag::kStyle}, {"script", Tag::kScript}, {"template", Tag::kTemplate},
      {"html", Tag::kFrame},  {"head", Tag::kFrame},    {"body", Tag::kFrame}};
  for (const Named& n : kNamed)
    if (std::strcmp(name, n.name) == 0) return n.tag;
  return Tag::kOther;
}

// Elements whose contents a reader never sees: style sheets, scripts, and the fallback text of
// players and frames.
bool HidesContents(Tag tag) {
  return tag == Tag::kStyle || tag == Tag::kScript || tag == Tag::kAudio || tag == Tag::kVideo ||
         tag == Tag::kObject || tag == Tag::kIframe || tag == Tag::kEmbed || tag == Tag::kTemplate;
}

// Elements dropped with a note of their own (a link only when it names an attached file).
bool GivesNote(Tag tag) {
  return tag == Tag::kImg || tag == Tag::kAudio || tag == Tag::kVideo || tag == Tag::kObject ||
         tag == Tag::kEmbed || tag == Tag::kIframe;
}

// The attached files an element names, in any of the attributes that load or link one.
std::vector<std::string> FilesOf(const xmlChar** atts) {
  std::vector<std::string> files;
  for (const char* wanted : {"src", "href", "data", "poster"}) {
    for (const xmlChar** a = atts; a != nullptr && a[0] != nullptr; a += 2) {
      if (std::strcmp(reinterpret_cast<const char*>(a[0]), wanted) != 0 || a[1] == nullptr)
        continue;
      std::string file = AttachedFileName(Restore(reinterpret_cast<const char*>(a[1])));
      if (!file.empty()) files.push_back(std::move(file));
      break;
    }
  }
  return files;
}

// The link of an <a> when it names a sound or video file (by its extension), else empty: the
// file is not carried, so the link is noted even where its text stays.
std::string MediaLinkOf(const xmlChar** atts) {
  static constexpr std::string_view kMedia[] = {".mp3", ".wav",  ".ogg", ".oga",  ".opus", ".m4a",
                                                ".aac", ".flac", ".wma", ".mid",  ".midi", ".mp4",
                                                ".m4v", ".webm", ".ogv", ".avi",  ".mov",  ".wmv",
                                                ".mkv", ".flv",  ".mpg", ".mpeg", ".3gp"};
  for (const xmlChar** a = atts; a != nullptr && a[0] != nullptr; a += 2) {
    if (std::strcmp(reinterpret_cast<const char*>(a[0]), "href") != 0 || a[1] == nullptr) continue;
    std::string href = Restore(reinterpret_cast<const char*>(a[1]));
    std::string path = LowerAscii(href.substr(0, href.find_first_of("?#")));
    for (std::string_view ext : kMedia)
      if (path.size() > ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        return href;
    return std::string();
  }
  return std::string();
}


// Walks the parser's events as they come, so no tree is built: each element opens and closes in
// order, and an end tag the parser ignores arrives as an error at its place.
class Converter {
 public:
  Converter(HtmlDropped* dropped, std::string* out) : dropped_(dropped), out_(out) {}

  // Parses a prepared text and appends its text to *out.
  void Run(const std::string& prepared) {
    static std::once_flag init;
    std::call_once(init, [] { xmlInitParser(); });
    // Errors outside a parse (memory, encodings) would go to stderr.
    xmlSetGenericErrorFunc(nullptr, &SilentXmlError);
    htmlParserCtxtPtr ctxt = htmlNewParserCtxt();
    if (ctxt == nullptr) return;
    htmlSAXHandler& sax = *ctxt->sax;
    std::memset(&sax, 0, sizeof sax);
    sax.initialized = XML_SAX2_MAGIC;  // so that serror takes every error
    sax.startElement = &StartElement;
    sax.endElement = &EndElement;
    sax.characters = &Characters;
    sax.ignorableWhitespace = &Characters;
    sax.cdataBlock = &Characters;
    sax.comment = &Comment;
    sax.processingInstruction = &Instruction;
    sax.serror = &Error;
    ctxt->_private = this;
    int options = HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                  HTML_PARSE_NONET | HTML_PARSE_NOIMPLIED;
    htmlDocPtr doc = htmlCtxtReadMemory(ctxt, prepared.data(), static_cast<int>(prepared.size()),
                                        nullptr, "UTF-8", options);
    if (doc != nullptr) xmlFreeDoc(doc);
    htmlFreeParserCtxt(ctxt);
  }

 private:
  struct Open {
    Tag tag;
    bool unnamed;  // a player whose note waits for the first file a child of it names
  };

  static Converter& Of(void* ctx) {
    return *static_cast<Converter*>(static_cast<htmlParserCtxtPtr>(ctx)->_private);
  }

  static void StartElement(void* ctx, const xmlChar* name, const xmlChar** atts) {
    Of(ctx).Start(reinterpret_cast<const char*>(name), atts);
  }
  static void EndElement(void* ctx, const xmlChar* name) {
    Of(ctx).End(reinterpret_cast<const char*>(name));
  }
  static void Characters(void* ctx, const xmlChar* text, int length) {
    Converter& c = Of(ctx);
    if (c.hidden_ == 0) c.out_->append(reinterpret_cast<const char*>(text), length);
  }
  static void Comment(void* ctx, const xmlChar*) { Of(ctx).dropped_->tags = true; }
  static void Instruction(void* ctx, const xmlChar*, const xmlChar*) {
    Of(ctx).dropped_->tags = true;
  }
  // The parser's complaints are no concern of the reader, but two tell of tags it dropped: an
  // end tag with nothing to close (`стол</p>стул`), and a second <html>, <head> or <body>.
  static void Error(void* ctx, xmlErrorPtr error) {
    if (error == nullptr) return;
    Converter& c = Of(error->ctxt != nullptr ? error->ctxt : ctx);
    if (error->code == XML_HTML_STRUCURE_ERROR) c.dropped_->tags = true;
    if (error->code == XML_ERR_TAG_NAME_MISMATCH && error->str1 != nullptr) {
      c.dropped_->tags = true;
      if (c.hidden_ == 0 && TagOf(error->str1) == Tag::kBlock) c.out_->push_back(' ');
    }
  }

  void Start(const char* name, const xmlChar** atts) {
    Tag tag = TagOf(name);
    if (tag == Tag::kFrame) return;  // the <body> the text is put in, or the text's own frame
    dropped_->tags = true;
    if (tag == Tag::kImg && dropped_->keepPictures && media_ == 0 && hidden_ == 0) {
      HtmlDropped::Image image;
      for (const xmlChar** a = atts; a != nullptr && a[0] != nullptr; a += 2) {
        if (a[1] == nullptr) continue;
        std::string value = Restore(reinterpret_cast<const char*>(a[1]));
        if (std::strcmp(reinterpret_cast<const char*>(a[0]), "src") == 0) image.src = value;
        if (std::strcmp(reinterpret_cast<const char*>(a[0]), "alt") == 0) image.alt = value;
      }
      dropped_->pictures.push_back(std::move(image));
      *out_ += "\xEF\xB7\x90";
      open_.push_back(Open{Tag::kOther, false});  // its end comes as any element's
      return;
    }
    std::vector<std::string> files = FilesOf(atts);
    if (media_ > 0) {
      Open& parent = open_.back();
      if (parent.unnamed && !files.empty()) {
        dropped_->media.back() =
            lang::Say(lang::Id::kMediaWithFile, std::move(dropped_->media.back()), files.front());
        parent.unnamed = false;
      }
      for (std::string& file : files) dropped_->files.push_back(std::move(file));
    } else {
      Note(tag, &files, atts);
    }
    if (hidden_ == 0) {
      if (tag == Tag::kBlock) out_->push_back(' ');
      if (tag == Tag::kSup) out_->push_back('^');
      if (tag == Tag::kSub) out_->push_back('_');
    }
    bool unnamed = media_ == 0 && GivesNote(tag) && tag != Tag::kImg && files.empty();
    if (HidesContents(tag)) ++hidden_;
    if (GivesNote(tag)) ++media_;
    open_.push_back(Open{tag, unnamed});
  }

  void End(const char* name) {
    if (TagOf(name) == Tag::kFrame || open_.empty()) return;
    Tag tag = open_.back().tag;
    open_.pop_back();
    if (tag == Tag::kBlock) out_->push_back(' ');
    if (HidesContents(tag)) --hidden_;
    if (GivesNote(tag)) --media_;
  }

  // Images keep their plain note; a player names its file, its own or the first one a child of
  // it names (its <source>).
  void Note(Tag tag, std::vector<std::string>* files, const xmlChar** atts) {
    lang::Text what;
    switch (tag) {
      case Tag::kImg:
        ++dropped_->images;
        what = lang::Say(lang::Id::kMediaImage);
        break;
      case Tag::kAudio:
        what = lang::Say(lang::Id::kMediaAudio);
        break;
      case Tag::kVideo:
        what = lang::Say(lang::Id::kMediaVideo);
        break;
      case Tag::kObject:
      case Tag::kEmbed:
        what = lang::Say(lang::Id::kMediaObject);
        break;
      case Tag::kIframe:
        what = lang::Say(lang::Id::kMediaFrame);
        break;
      case Tag::kA:
        if (files->empty()) {
          std::string media = MediaLinkOf(atts);
          if (media.empty()) return;
          what = lang::Say(lang::Id::kMediaLinkedFile, media);
          break;
        }
        what = lang::Say(lang::Id::kMediaLink, files->front());
        break;
      default:
        return;
    }
    if (tag != Tag::kImg && tag != Tag::kA && !files->empty())
      what = lang::Say(lang::Id::kMediaWithFile, std::move(what), files->front());
    dropped_->media.push_back(std::move(what));
    for (std::string& file : *files) dropped_->files.push_back(std::move(file));
  }

  HtmlDropped* dropped_;
  std::string* out_;
  std::vector<Open> open_;
  int hidden_ = 0;  // open elements whose contents are not shown
  int media_ = 0;   // open elements that gave a note of their own
};

}  // namespace

std::string DecodeEntities(std::string_view s) {
  // Parsed as HTML with every '<' made a reference, only the references are read.
  std::string escaped;
  escaped.reserve(s.size());
  for (char c : s) {
    if (c == '<')
      escaped += "&lt;";
    else
      escaped.push_back(c);
  }
  HtmlDropped ignored;
  std::string out;
  Converter(&ignored, &out).Run(Prepare(escaped));
  return Restore(out);
}

std::string HtmlToText(std::string_view html, HtmlDropped* dropped) {
  HtmlDropped ignored;
  if (dropped == nullptr) dropped = &ignored;
  if (html.size() > kMaxHtmlBytes) {
    dropped->unread = lang::Say(lang::Id::kHtmlTooLong, kMaxHtmlBytes);
    return std::string();
  }
  if (NestingDepth(html) > kMaxHtmlDepth) {
    dropped->unread = lang::Say(lang::Id::kHtmlTooDeep, kMaxHtmlDepth);
    return std::string();
  }
  std::string plain;
  plain.reserve(html.size());
  Converter(dropped, &plain).Run(Prepare(html));
  return FoldSpace(Restore(plain));
}

}  // namespace bridge
