// HTML to plain text through an HTML5 parser (gumbo), so that tags, attributes, raw text and
// character references are read as a browser reads them.
#ifdef EXAMEO_HAVE_GUMBO
#include <gumbo.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bridge/text.h"

namespace bridge {

namespace {

// Gumbo's own clean-up walks the tree recursively, which a text of thousands of nested tags
// would take past the stack; every node is taken from this arena instead and freed with it.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  ~Arena() {
    for (void* block : blocks_) std::free(block);
  }

  void* Take(std::size_t size) {
    size = (size + 15) & ~static_cast<std::size_t>(15);
    if (size > kBlock / 4) return Keep(std::malloc(size));
    if (left_ < size) {
      next_ = static_cast<char*>(Keep(std::malloc(kBlock)));
      left_ = next_ != nullptr ? kBlock : 0;
      if (next_ == nullptr) return nullptr;
    }
    void* p = next_;
    next_ += size;
    left_ -= size;
    return p;
  }

  static void* Allocate(void* arena, std::size_t size) {
    void* p = static_cast<Arena*>(arena)->Take(size);
    if (p == nullptr) std::abort();  // gumbo has no way to fail; neither has malloc's default
    return p;
  }
  static void Release(void*, void*) {}

 private:
  static constexpr std::size_t kBlock = 64 * 1024;
  void* Keep(void* block) {
    if (block != nullptr) blocks_.push_back(block);
    return block;
  }
  std::vector<void*> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Numeric references a browser shows as U+FFFD (zero, surrogates, past U+10FFFF) are kept as
// written instead: their '&' becomes "&amp;" before parsing.
std::string KeepInvalidNumericReferences(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&' || i + 2 >= s.size() || s[i + 1] != '#') {
      out.push_back(s[i]);
      continue;
    }
    std::size_t k = i + 2;
    bool hex = s[k] == 'x' || s[k] == 'X';
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
    bool invalid = any && (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF));
    out += invalid ? "&amp;" : "&";
  }
  return out;
}

// How deep a text nests its elements, counted from its tags alone: the parser's work grows with
// the square of the depth (each tag looks through the open elements), so a deep text is not
// parsed. Void elements and those whose end tag may be left out are not counted.
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

// Tags that end a block of text: they separate the words on either side.
bool IsBlockTag(GumboTag tag) {
  switch (tag) {
    case GUMBO_TAG_BR:
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_HR:
      return true;
    default:
      return false;
  }
}

// Elements whose contents a reader never sees: style sheets, scripts, and the fallback text of
// players and frames.
bool HidesContents(GumboTag tag) {
  return tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_AUDIO ||
         tag == GUMBO_TAG_VIDEO || tag == GUMBO_TAG_OBJECT || tag == GUMBO_TAG_IFRAME ||
         tag == GUMBO_TAG_EMBED || tag == GUMBO_TAG_TEMPLATE;
}

// Elements whose text is kept literally by the parser: a '<' inside them is text.
bool KeepsLiteralText(GumboTag tag) {
  return tag == GUMBO_TAG_TEXTAREA || tag == GUMBO_TAG_TITLE || tag == GUMBO_TAG_XMP ||
         tag == GUMBO_TAG_PLAINTEXT || tag == GUMBO_TAG_NOEMBED || tag == GUMBO_TAG_NOFRAMES ||
         tag == GUMBO_TAG_NOSCRIPT;
}

const char* Attribute(const GumboNode* node, const char* name) {
  const GumboAttribute* a = gumbo_get_attribute(&node->v.element.attributes, name);
  return a != nullptr ? a->value : nullptr;
}

// The attached files an element names, in any of the attributes that load or link one.
void CollectFiles(const GumboNode* node, std::vector<std::string>* files) {
  for (const char* name : {"src", "href", "data", "poster"}) {
    const char* url = Attribute(node, name);
    std::string file = url != nullptr ? AttachedFileName(url) : std::string();
    if (!file.empty()) files->push_back(std::move(file));
  }
}

class Converter {
 public:
  explicit Converter(HtmlDropped* dropped) : dropped_(dropped) {}

  // Parses `html` as the contents of a <div> and appends its text to *out.
  void Convert(std::string_view html, std::string* out) {
    Arena arena;
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Arena::Allocate;
    options.deallocator = &Arena::Release;
    options.userdata = &arena;
    options.fragment_context = GUMBO_TAG_DIV;
    options.max_errors = 0;
    GumboOutput* output = gumbo_parse_with_options(&options, html.data(), html.size());
    Walk(output->root, out);
  }

 private:
  struct Open {
    const GumboNode* node;
    unsigned next;  // the next child to visit
  };

  // Depth first without recursion: a text may nest tags thousands deep.
  void Walk(const GumboNode* root, std::string* out) {
    std::vector<Open> stack;
    stack.push_back(Open{root, 0});
    int hidden = 0;  // open elements whose contents are not shown
    int media = 0;   // open elements that gave a note of their own
    while (!stack.empty()) {
      Open& top = stack.back();
      const GumboVector& children = top.node->v.element.children;
      if (top.next == children.length) {
        const GumboNode* done = top.node;
        stack.pop_back();
        if (done == root) break;
        GumboTag tag = done->v.element.tag;
        if (IsBlockTag(tag)) out->push_back(' ');
        if (HidesContents(tag)) --hidden;
        if (GivesNote(tag)) --media;
        continue;
      }
      const GumboNode* child = static_cast<const GumboNode*>(children.data[top.next++]);
      switch (child->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
          if (hidden == 0) Text(child, top.node->v.element.tag, out);
          break;
        case GUMBO_NODE_COMMENT:
          dropped_->tags = true;
          break;
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE: {
          dropped_->tags = true;
          GumboTag tag = child->v.element.tag;
          if (media > 0) {
            CollectFiles(child, &dropped_->files);
          } else {
            Note(child);
          }
          if (hidden == 0) {
            if (IsBlockTag(tag)) out->push_back(' ');
            if (tag == GUMBO_TAG_SUP) out->push_back('^');
            if (tag == GUMBO_TAG_SUB) out->push_back('_');
          }
          if (HidesContents(tag)) ++hidden;
          if (GivesNote(tag)) ++media;
          stack.push_back(Open{child, 0});
          break;
        }
        default:
          break;
      }
    }
  }

  // Whether an element is dropped with a note of its own (a link only when it names an
  // attached file).
  static bool GivesNote(GumboTag tag) {
    return tag == GUMBO_TAG_IMG || tag == GUMBO_TAG_AUDIO || tag == GUMBO_TAG_VIDEO ||
           tag == GUMBO_TAG_OBJECT || tag == GUMBO_TAG_EMBED || tag == GUMBO_TAG_IFRAME;
  }

  void Note(const GumboNode* node) {
    GumboTag tag = node->v.element.tag;
    std::vector<std::string> files;
    CollectFiles(node, &files);
    std::string what;
    switch (tag) {
      case GUMBO_TAG_IMG:
        ++dropped_->images;
        what = "image";
        break;
      case GUMBO_TAG_AUDIO:
        what = "audio";
        break;
      case GUMBO_TAG_VIDEO:
        what = "video";
        break;
      case GUMBO_TAG_OBJECT:
      case GUMBO_TAG_EMBED:
        what = "embedded object";
        break;
      case GUMBO_TAG_IFRAME:
        what = "embedded frame";
        break;
      case GUMBO_TAG_A:
        if (files.empty()) return;
        what = "link to attached file '" + files.front() + "'";
        break;
      default:
        return;
    }
    // Images keep their plain note; a player names its file, its own or its first <source>'s
    // (whose files are gathered as the walk goes through them).
    if (tag != GUMBO_TAG_IMG && tag != GUMBO_TAG_A) {
      std::vector<std::string> named = files;
      const GumboVector& children = node->v.element.children;
      for (unsigned i = 0; i < children.length && named.empty(); ++i) {
        const GumboNode* child = static_cast<const GumboNode*>(children.data[i]);
        if (child->type == GUMBO_NODE_ELEMENT) CollectFiles(child, &named);
      }
      if (!named.empty()) what += " '" + named.front() + "'";
    }
    dropped_->media.push_back(std::move(what));
    for (std::string& file : files) dropped_->files.push_back(std::move(file));
  }

  // A text node. The parser ignores tags that cannot stand where they are (a table cell outside
  // a table) and joins the text around them; such a tag still separates words as it would in
  // its place, so the text is read again from the source, piece by piece between those tags.
  void Text(const GumboNode* node, GumboTag parent, std::string* out) {
    std::string_view source(node->v.text.original_text.data, node->v.text.original_text.length);
    bool literal = node->type == GUMBO_NODE_CDATA || KeepsLiteralText(parent);
    std::size_t tag = literal ? std::string_view::npos : NextTag(source, 0);
    if (tag == std::string_view::npos) {
      *out += node->v.text.text;
      return;
    }
    std::size_t start = 0;
    while (tag != std::string_view::npos) {
      *out += DecodeEntities(source.substr(start, tag - start));
      dropped_->tags = true;
      std::size_t k = tag + 1;
      bool closing = source[k] == '/';
      if (closing) ++k;
      std::size_t nameStart = k;
      while (k < source.size() && source[k] != '>' && source[k] != '/' && source[k] != ' ' &&
             source[k] != '\t' && source[k] != '\n' && source[k] != '\r' && source[k] != '\f')
        ++k;
      std::string name(source.substr(nameStart, k - nameStart));
      GumboTag t = gumbo_tagn_enum(name.data(), static_cast<unsigned>(name.size()));
      if (IsBlockTag(t)) out->push_back(' ');
      if (!closing && t == GUMBO_TAG_SUP) out->push_back('^');
      if (!closing && t == GUMBO_TAG_SUB) out->push_back('_');
      start = TagEnd(source, k);
      tag = NextTag(source, start);
    }
    *out += DecodeEntities(source.substr(start));
  }

  // Where the next tag starts: '<' before a letter, or "</" before one.
  static std::size_t NextTag(std::string_view s, std::size_t from) {
    for (std::size_t i = s.find('<', from); i != std::string_view::npos; i = s.find('<', i + 1)) {
      std::size_t k = i + 1;
      if (k < s.size() && s[k] == '/') ++k;
      if (k < s.size() && IsAsciiLetter(s[k])) return i;
    }
    return std::string_view::npos;
  }

  // Just past the '>' that ends a tag, skipping quoted attribute values.
  static std::size_t TagEnd(std::string_view s, std::size_t i) {
    char quote = 0;
    for (; i < s.size(); ++i) {
      char c = s[i];
      if (quote != 0) {
        if (c == quote) quote = 0;
      } else if (c == '>') {
        return i + 1;
      } else if ((c == '"' || c == '\'') && i > 0 && s[i - 1] == '=') {
        quote = c;
      }
    }
    return s.size();
  }

  HtmlDropped* dropped_;
};

}  // namespace

std::string DecodeEntities(std::string_view s) {
  // Parsed as HTML with every '<' made a reference, only the references are read.
  std::string escaped;
  escaped.reserve(s.size());
  for (char c : KeepInvalidNumericReferences(s)) {
    if (c == '<')
      escaped += "&lt;";
    else
      escaped.push_back(c);
  }
  Arena arena;
  GumboOptions options = kGumboDefaultOptions;
  options.allocator = &Arena::Allocate;
  options.deallocator = &Arena::Release;
  options.userdata = &arena;
  options.fragment_context = GUMBO_TAG_DIV;
  options.max_errors = 0;
  GumboOutput* output = gumbo_parse_with_options(&options, escaped.data(), escaped.size());
  std::string out;
  const GumboVector& children = output->root->v.element.children;
  for (unsigned i = 0; i < children.length; ++i) {
    const GumboNode* child = static_cast<const GumboNode*>(children.data[i]);
    if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE)
      out += child->v.text.text;
  }
  return out;
}

std::string HtmlToText(std::string_view html, HtmlDropped* dropped) {
  HtmlDropped ignored;
  if (dropped == nullptr) dropped = &ignored;
  if (html.size() > kMaxHtmlBytes) {
    dropped->unread = "it is over " + std::to_string(kMaxHtmlBytes) + " bytes";
    return std::string();
  }
  if (NestingDepth(html) > kMaxHtmlDepth) {
    dropped->unread = "it nests tags over " + std::to_string(kMaxHtmlDepth) + " deep";
    return std::string();
  }
  std::string plain;
  plain.reserve(html.size());
  Converter(dropped).Convert(KeepInvalidNumericReferences(html), &plain);
  return FoldSpace(plain);
}

}  // namespace bridge
#endif  // EXAMEO_HAVE_GUMBO
