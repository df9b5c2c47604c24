// Word documents (.docx): questions in one of three shapes (markup tags, a table of
// questions, numbered paragraphs), each paragraph's text, numbering, style and emphasis read as
// document.xml streams from the zip.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "bridge/office_rows.h"
#include "bridge/office_xml.h"
#include "bridge/omml_text.h"
#include "bridge/pictures.h"
#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/symbol_font.h"
#include "bridge/text.h"

namespace bridge {

namespace {

constexpr std::string_view kKind = ".docx";

// Emphasis of each byte of a paragraph's text. kNeutral: a picture's mark or an equation,
// which neither gives nor spoils the emphasis of the text around it.
enum : unsigned char { kBold = 1, kUnderline = 2, kHighlight = 4, kNeutral = 8 };

struct Para {
  int number = 0;  // from 1, in document order (a table's paragraphs too)
  std::string text;
  std::vector<unsigned char> marks;  // per byte of text
  std::string style;
  bool hasNumbering = false;  // numbering set on the paragraph itself (numId 0 turns it off)
  int numId = 0, level = 0;
  int outline = -1;
  int pictures = 0;                     // marks of pictures in its text, resolved after reading
  std::vector<lang::Text> lost;         // text boxes, comments, footnotes, pictures, equations
  int table = -1, row = -1, cell = -1;  // of the outermost table, -1 outside tables
};

struct Style {
  std::string name, basedOn;
  bool paragraph = true;  // else a character style (w:rStyle)
  bool hasNumbering = false;
  int numId = 0, level = 0;
  int outline = -1;
  unsigned char on = 0, off = 0;  // emphasis its run properties set and clear
};

using Styles = std::map<std::string, Style, std::less<>>;

// The emphasis a style gives its text through its basedOn chain, the nearer style winning.
unsigned char StyleEmphasis(const Styles& styles, std::string_view id) {
  const Style* chain[16];
  int n = 0;
  while (n < 16 && !id.empty()) {
    auto found = styles.find(id);
    if (found == styles.end()) break;
    chain[n++] = &found->second;
    id = found->second.basedOn;
  }
  unsigned char e = 0;
  while (n > 0) {
    const Style* s = chain[--n];
    e = static_cast<unsigned char>((e & ~s->off) | s->on);
  }
  return e;
}

// The emphasis bit an element of run properties sets (w:b, w:u, w:highlight, w:shd), or 0;
// *on: whether it sets it rather than clears it.
unsigned char EmphasisOf(const XmlElement& e, bool* on);

struct Level {
  std::string format;  // decimal, lowerLetter, russianLower, bullet, ...
  std::string text;    // "%1)"
};

struct Numbering {
  std::map<int, std::map<int, Level>> abstract;  // abstractNumId -> level -> format
  std::map<int, int> abstractOf;                  // numId -> abstractNumId
  std::map<int, std::map<int, Level>> overrides;  // numId -> level -> format

  const Level* Find(int numId, int level) const {
    if (auto o = overrides.find(numId); o != overrides.end())
      if (auto l = o->second.find(level); l != o->second.end()) return &l->second;
    auto a = abstractOf.find(numId);
    if (a == abstractOf.end()) return nullptr;
    auto levels = abstract.find(a->second);
    if (levels == abstract.end()) return nullptr;
    auto l = levels->second.find(level);
    return l == levels->second.end() ? nullptr : &l->second;
  }
};

int Int(std::string_view s, int fallback) {
  if (s.empty()) return fallback;
  bool negative = s[0] == '-';
  if (negative) s.remove_prefix(1);
  long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return fallback;
    if (v < 100000000) v = v * 10 + (c - '0');
  }
  return static_cast<int>(negative ? -v : v);
}

// w:b, w:u and the like: on unless their value says off.
bool On(const XmlElement& e) {
  std::string_view v = e.Attr("val");
  return v != "0" && v != "false" && v != "off" && v != "none";
}

unsigned char EmphasisOf(const XmlElement& e, bool* on) {
  *on = On(e);
  if (e.local == "b") return kBold;
  if (e.local == "u") return kUnderline;
  if (e.local == "highlight") return kHighlight;
  if (e.local == "shd") {
    std::string_view fill = e.Attr("fill");
    *on = !fill.empty() && fill != "auto" && fill != "FFFFFF" && fill != "ffffff";
    return kHighlight;
  }
  return 0;
}

// --- styles.xml ---------------------------------------------------------------------------

struct StylesReader {
  Styles styles;
  std::string current;
  bool read = false;  // a paragraph or character style
  bool inRPr = false;
};

void StylesStart(void* c, const XmlElement& e) {
  StylesReader& r = *static_cast<StylesReader*>(c);
  if (e.ns != Ns::kWord) return;
  if (e.local == "style") {
    std::string_view type = e.Attr("type");
    r.read = type == "paragraph" || type == "character";
    r.current = std::string(e.Attr("styleId"));
    if (r.read) {
      r.styles[r.current] = Style{};
      r.styles[r.current].paragraph = type == "paragraph";
    }
    return;
  }
  if (!r.read || r.current.empty()) return;
  Style& s = r.styles[r.current];
  if (e.local == "rPr") {
    r.inRPr = true;
    return;
  }
  if (r.inRPr) {
    bool on = false;
    unsigned char bit = EmphasisOf(e, &on);
    if (on) s.on |= bit;
    else s.off |= bit;
    return;
  }
  if (e.local == "name") s.name = LowerRu(e.Attr("val"));
  else if (e.local == "basedOn") s.basedOn = std::string(e.Attr("val"));
  else if (e.local == "numId") {
    s.hasNumbering = true;
    s.numId = Int(e.Attr("val"), 0);
  } else if (e.local == "ilvl") s.level = Int(e.Attr("val"), 0);
  else if (e.local == "outlineLvl") s.outline = Int(e.Attr("val"), -1);
}

void StylesEnd(void* c, Ns ns, std::string_view local) {
  StylesReader& r = *static_cast<StylesReader*>(c);
  if (ns == Ns::kWord && local == "style") {
    r.current.clear();
    r.read = false;
  }
  if (ns == Ns::kWord && local == "rPr") r.inRPr = false;
}

// --- numbering.xml ------------------------------------------------------------------------

struct NumberingReader {
  Numbering* out;
  int abstractId = -1, numId = -1, level = -1;
  bool inOverride = false;
};

void NumberingStart(void* c, const XmlElement& e) {
  NumberingReader& r = *static_cast<NumberingReader*>(c);
  if (e.ns != Ns::kWord) return;
  if (e.local == "abstractNum") {
    r.abstractId = Int(e.Attr("abstractNumId"), -1);
    r.numId = -1;
  } else if (e.local == "num") {
    r.numId = Int(e.Attr("numId"), -1);
    r.abstractId = -1;
  } else if (e.local == "abstractNumId" && r.numId >= 0) {
    r.out->abstractOf[r.numId] = Int(e.Attr("val"), -1);
  } else if (e.local == "lvlOverride") {
    r.inOverride = true;
    r.level = Int(e.Attr("ilvl"), 0);
  } else if (e.local == "lvl") {
    if (!r.inOverride) r.level = Int(e.Attr("ilvl"), 0);
  } else if (e.local == "numFmt" || e.local == "lvlText") {
    Level* level = nullptr;
    if (r.inOverride && r.numId >= 0)
      level = &r.out->overrides[r.numId][r.level];
    else if (r.abstractId >= 0 && r.level >= 0)
      level = &r.out->abstract[r.abstractId][r.level];
    if (level == nullptr) return;
    if (e.local == "numFmt") level->format = std::string(e.Attr("val"));
    else level->text = std::string(e.Attr("val"));
  }
}

void NumberingEnd(void* c, Ns ns, std::string_view local) {
  NumberingReader& r = *static_cast<NumberingReader*>(c);
  if (ns != Ns::kWord) return;
  if (local == "lvlOverride") r.inOverride = false;
  if (local == "abstractNum") r.abstractId = -1;
  if (local == "num") r.numId = -1;
}

// --- comments, footnotes and endnotes: id -> text -----------------------------------------

struct NotesReader {
  std::map<std::string, std::string, std::less<>> texts;
  std::string id;
  bool inNote = false, inText = false;
};

void NotesStart(void* c, const XmlElement& e) {
  NotesReader& r = *static_cast<NotesReader*>(c);
  if (e.ns != Ns::kWord) return;
  if (e.local == "comment" || e.local == "footnote" || e.local == "endnote") {
    std::string_view type = e.Attr("type");
    r.inNote = type.empty() || type == "normal";
    r.id = std::string(e.Attr("id"));
  } else if (e.local == "t" && r.inNote) {
    r.inText = true;
  } else if (e.local == "p" && r.inNote && !r.texts[r.id].empty()) {
    r.texts[r.id] += ' ';
  }
}

void NotesEnd(void* c, Ns ns, std::string_view local) {
  NotesReader& r = *static_cast<NotesReader*>(c);
  if (ns != Ns::kWord) return;
  if (local == "t") r.inText = false;
  if (local == "comment" || local == "footnote" || local == "endnote") r.inNote = false;
}

void NotesText(void* c, std::string_view t) {
  NotesReader& r = *static_cast<NotesReader*>(c);
  if (r.inText) r.texts[r.id] += t;
}

// --- document.xml -------------------------------------------------------------------------

// A picture a paragraph marks, read from its part once document.xml is read (the zip
// inflates one part at a time).
struct PendingPicture {
  std::string rel;  // relationship id
  bool linked = false;  // r:link: a file outside the document, never in it
  std::string alt;
};

struct DocumentReader {
  std::vector<Para>* paras = nullptr;
  const NotesReader* comments = nullptr;
  const NotesReader* footnotes = nullptr;
  const NotesReader* endnotes = nullptr;
  const Styles* styles = nullptr;
  const std::vector<Relationship>* rels = nullptr;
  std::vector<PendingPicture>* pictures = nullptr;

  Para para;
  bool inPara = false;
  int tableDepth = 0, tables = -1, row = -1, cell = -1;
  int deleted = 0;   // inside w:del or w:moveFrom
  int changed = 0;   // inside w:rPrChange or w:pPrChange: formatting as it was before
  int box = 0;       // inside w:txbxContent
  std::string boxText;
  int math = 0;      // inside m:oMath
  OmmlText equation;
  std::size_t equationEnd = 0;  // where the paragraph's last equation ended in its text
  bool inText = false, inPPr = false, inRPr = false;
  std::string alt;       // the drawing's wp:docPr description, else its title
  std::string shapeAlt;  // a VML shape's alt
  // Emphasis: the paragraph's style, the run's style, and what the run sets and clears itself.
  unsigned char paraStyle = 0, runStyle = 0, runOn = 0, runOff = 0;

  unsigned char Emphasis() const {
    return static_cast<unsigned char>(((paraStyle | runStyle) & ~runOff) | runOn);
  }
  void Append(std::string_view text, unsigned char marks) {
    // The document's own U+FDD0 would be taken for a picture's mark.
    std::size_t from = para.text.size();
    para.text += text;
    for (std::size_t at = para.text.find(kPictureMark, from); at != std::string::npos;
         at = para.text.find(kPictureMark, at))
      para.text.replace(at, kPictureMark.size(), "\xEF\xBF\xBD");
    para.marks.resize(para.text.size(), marks);
  }
  void Append(std::string_view text) { Append(text, Emphasis()); }
};

// A picture (a:blip r:embed or r:link, v:imagedata r:id) at this place of the paragraph.
void MarkPicture(DocumentReader& r, std::string_view embed, std::string_view link,
                 std::string alt) {
  if (!r.inPara || r.deleted > 0) return;
  if (r.box > 0) {
    // A text box's picture goes with its text.
    std::string_view id = embed.empty() ? link : embed;
    std::string name(id);
    for (const Relationship& rel : *r.rels)
      if (rel.id == id) name = rel.target.substr(rel.target.rfind('/') + 1);
    r.para.lost.push_back(lang::Say(lang::Id::kPictureOutsideQuestion, name));
    return;
  }
  r.pictures->push_back(
      PendingPicture{std::string(embed.empty() ? link : embed), embed.empty(), std::move(alt)});
  std::string mark = PictureMarker(r.pictures->size() - 1);
  r.para.text += mark;
  r.para.marks.resize(r.para.text.size(), kNeutral);
  ++r.para.pictures;
}

unsigned Hex(std::string_view s) {
  unsigned v = 0;
  for (char c : s) {
    int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F'                               ? c - 'A' + 10
                                                                 : -1;
    if (d < 0 || v > 0xFFFFFF) return 0;
    v = v * 16 + static_cast<unsigned>(d);
  }
  return v;
}

// w:sym: a character of a symbol font. The Symbol font's codes are Unicode's through its
// table; another font's code is its Unicode character unless it lies in the private-use block
// (Wingdings and the like draw pictures there), which is noted.
void Symbol(DocumentReader& r, const XmlElement& e) {
  std::string_view font = e.Attr("font");
  unsigned code = Hex(e.Attr("char"));
  char32_t u = 0;
  if (LowerRu(font) == "symbol")
    u = SymbolFontChar(code);
  else if (code >= 0x20 && code < 0x110000 && !(code >= 0xD800 && code <= 0xDFFF) &&
           !(code >= 0xE000 && code <= 0xF8FF))
    u = code;
  if (u == 0) {
    r.para.lost.push_back(
        lang::Say(lang::Id::kSymbolDropped, std::string(e.Attr("char")), std::string(font)));
    return;
  }
  std::string text;
  AppendUtf8(u, &text);
  r.Append(text);
}

void DocStart(void* c, const XmlElement& e) {
  DocumentReader& r = *static_cast<DocumentReader*>(c);
  if (e.ns == Ns::kMath) {
    if (e.local == "oMath" && r.math++ == 0) r.equation.kept.clear();
    if (r.math > 0) r.equation.Start(e);
    return;
  }
  if (e.ns == Ns::kDrawing) {
    if (e.local == "docPr") {
      r.alt = std::string(e.Attr("descr"));
      if (r.alt.empty()) r.alt = std::string(e.Attr("title"));
    } else if (e.local == "blip") {
      MarkPicture(r, e.Attr("embed"), e.Attr("link"), std::move(r.alt));
      r.alt.clear();
    } else if ((e.local == "chart" || e.local == "relIds") && r.inPara && r.deleted == 0) {
      // A chart or a SmartArt diagram: drawn by Word from data, no picture to take.
      r.para.lost.push_back(
          lang::Say(lang::Id::kMediaDropped, lang::Say(lang::Id::kMediaObject)));
    }
    return;
  }
  if (e.ns == Ns::kVml) {
    if (e.local == "shape") {
      r.shapeAlt = std::string(e.Attr("alt"));
    } else if (e.local == "imagedata") {
      std::string alt(e.Attr("title"));
      MarkPicture(r, e.Attr("id"), {}, alt.empty() ? r.shapeAlt : alt);
    }
    return;
  }
  if (e.ns != Ns::kWord) return;
  std::string_view n = e.local;
  if (n == "txbxContent") {
    if (r.box++ == 0) r.boxText.clear();
    return;
  }
  if (r.box > 0) {
    if (n == "t") r.inText = true;
    if (n == "p" && !r.boxText.empty()) r.boxText += ' ';
    return;
  }
  if (n == "rPrChange" || n == "pPrChange") {
    ++r.changed;
  } else if (r.changed > 0) {
    return;
  } else if (n == "del" || n == "moveFrom") {
    ++r.deleted;
  } else if (n == "tbl") {
    if (r.tableDepth++ == 0) {
      ++r.tables;
      r.row = -1;
    }
  } else if (n == "tr" && r.tableDepth == 1) {
    ++r.row;
    r.cell = -1;
  } else if (n == "tc" && r.tableDepth == 1) {
    ++r.cell;
  } else if (n == "p") {
    r.para = Para{};
    r.inPara = true;
    r.paraStyle = 0;
    r.equationEnd = 0;
    if (r.tableDepth > 0) {
      r.para.table = r.tables;
      r.para.row = r.row;
      r.para.cell = r.cell;
    }
  } else if (n == "pPr") {
    r.inPPr = true;
  } else if (n == "rPr") {
    r.inRPr = true;
  } else if (n == "r") {
    r.runStyle = r.runOn = r.runOff = 0;
  } else if (r.inPPr && !r.inRPr) {
    if (n == "pStyle") {
      r.para.style = std::string(e.Attr("val"));
      r.paraStyle = StyleEmphasis(*r.styles, r.para.style);
    } else if (n == "numId") {
      r.para.hasNumbering = true;
      r.para.numId = Int(e.Attr("val"), 0);
    } else if (n == "ilvl") r.para.level = Int(e.Attr("val"), 0);
    else if (n == "outlineLvl") r.para.outline = Int(e.Attr("val"), -1);
  } else if (r.inRPr && !r.inPPr) {
    // A character style's emphasis counts as the run's own; the run's own settings win.
    if (n == "rStyle") {
      r.runStyle = StyleEmphasis(*r.styles, e.Attr("val"));
    } else {
      bool on = false;
      unsigned char bit = EmphasisOf(e, &on);
      if (on) r.runOn |= bit;
      else r.runOff |= bit;
    }
  } else if (n == "t") {
    r.inText = r.deleted == 0;
  } else if (r.deleted == 0 && r.inPara && r.math == 0 &&
             (n == "tab" || n == "br" || n == "cr")) {
    r.Append(" ");
  } else if (r.deleted == 0 && r.inPara && n == "noBreakHyphen") {
    r.Append("-");
  } else if (r.deleted == 0 && r.inPara && r.math == 0 && n == "sym") {
    Symbol(r, e);
  } else if (r.inPara && n == "commentReference") {
    auto found = r.comments->texts.find(e.Attr("id"));
    r.para.lost.push_back(lang::Say(
        lang::Id::kCommentLeftOut,
        FoldSpace(found == r.comments->texts.end() ? std::string() : found->second)));
  } else if (r.inPara && (n == "footnoteReference" || n == "endnoteReference")) {
    const NotesReader* notes = n == "footnoteReference" ? r.footnotes : r.endnotes;
    auto found = notes->texts.find(e.Attr("id"));
    r.para.lost.push_back(lang::Say(
        lang::Id::kFootnoteLeftOut,
        FoldSpace(found == notes->texts.end() ? std::string() : found->second)));
  }
}

void DocEnd(void* c, Ns ns, std::string_view n) {
  DocumentReader& r = *static_cast<DocumentReader*>(c);
  if (ns == Ns::kMath) {
    if (r.math > 0) r.equation.End(n);
    if (n == "oMath" && r.math > 0 && --r.math == 0) {
      std::string text = r.equation.Take();
      if (!r.inPara || r.deleted > 0 || r.box > 0) return;
      // Equations one after another (an m:oMathPara) stay apart.
      if (r.equationEnd > 0 && r.equationEnd == r.para.text.size() &&
          r.para.text.back() != ' ')
        r.Append(" ", kNeutral);
      r.Append(text, kNeutral);
      r.equationEnd = r.para.text.size();
      for (const OmmlText::Kept& k : r.equation.kept)
        r.para.lost.push_back(lang::Say(lang::Id::kEquationPartKept, k.element, k.text));
    }
    return;
  }
  if (ns != Ns::kWord) return;
  if (n == "txbxContent") {
    if (r.box > 0 && --r.box == 0) {
      std::string text = FoldSpace(r.boxText);
      if (!text.empty() && r.inPara) r.para.lost.push_back(lang::Say(lang::Id::kTextBoxLeftOut, text));
    }
    return;
  }
  if (r.box > 0) {
    if (n == "t") r.inText = false;
    return;
  }
  if (n == "rPrChange" || n == "pPrChange") {
    if (r.changed > 0) --r.changed;
  } else if (r.changed > 0) {
    return;
  } else if (n == "del" || n == "moveFrom") {
    if (r.deleted > 0) --r.deleted;
  } else if (n == "tbl") {
    if (r.tableDepth > 0) --r.tableDepth;
  } else if (n == "p") {
    // A paragraph of a table nested in a cell belongs to the outer cell.
    r.para.number = static_cast<int>(r.paras->size()) + 1;
    r.paras->push_back(std::move(r.para));
    r.para = Para{};
    r.inPara = false;
  } else if (n == "pPr") {
    r.inPPr = false;
  } else if (n == "rPr") {
    r.inRPr = false;
  } else if (n == "t") {
    r.inText = false;
  }
}

void DocText(void* c, std::string_view t) {
  DocumentReader& r = *static_cast<DocumentReader*>(c);
  if (r.math > 0) {
    r.equation.Text(t);
    return;
  }
  if (r.box > 0) {
    if (r.inText) r.boxText += t;
    return;
  }
  if (r.inText && r.inPara) r.Append(t);
}

// --- the document as questions ------------------------------------------------------------

// What numbering a paragraph has, through its style when not on itself.
struct Numbered {
  enum Kind { kNone, kNumber, kLetter, kBullet } kind = kNone;
  int numId = 0, level = 0;
  bool closing = false;  // "%1)": a number closed by a parenthesis
};

class Document {
 public:
  Document(const Source& source, Bank* bank, Report* report, std::vector<Para>* paras,
           const Styles& styles, const Numbering& numbering)
      : source_(source),
        bank_(bank),
        report_(report),
        paras_(*paras),
        styles_(styles),
        numbering_(numbering),
        sink_(source, bank) {}

  // False, with *reason, when no question is found.
  bool Read(lang::Text* reason);

 private:
  // Heading text of a paragraph, or "" when it is not a heading.
  bool IsHeading(const Para& p) const;
  Numbered NumberingOf(const Para& p) const;
  void Heading(const Para& p);
  void BeforeQuestions(const Para& p, const std::string& text);
  void ParagraphLost(const Para& p);
  // A text no question keeps (a title, a heading, a remark, a paragraph left out) without its
  // pictures, each noted as dropped.
  std::string Unpictured(const Para& p, std::string_view text);

  bool ReadMarkup();
  bool ReadTables();
  bool ReadNumbered();

  // The numbered shape's question being built.
  struct Answer {
    std::string text;
    int line = 0;
    bool marked = false;
    unsigned char emphasis = 0;  // what covers all of its text
  };
  struct Open {
    Question question;
    std::vector<Answer> answers;
    std::string answerLine;  // "Ответ: Б" as written
    int answerLineAt = 0;
    int numId = -1, level = 0;  // its own Word numbering, -1 when in its text
    bool dashes = false;
  };
  void Finish(Open* open);

  const Source& source_;
  Bank* bank_;
  Report* report_;
  std::vector<Para>& paras_;
  const Styles& styles_;
  const Numbering& numbering_;
  TopicSink sink_;
  bool titled_ = false;
  int found_ = 0;  // questions found (kept or left out)
};

bool Document::IsHeading(const Para& p) const {
  if (p.table >= 0) return false;
  if (p.outline >= 0 && p.outline <= 8) return true;
  std::string id = p.style;
  for (int depth = 0; depth < 16 && !id.empty(); ++depth) {
    auto found = styles_.find(id);
    // A character style ("Heading 1 Char") heads nothing.
    if (found == styles_.end() || !found->second.paragraph) break;
    if (found->second.name.rfind("heading", 0) == 0) return true;
    if (found->second.outline >= 0 && found->second.outline <= 8) return true;
    id = found->second.basedOn;
  }
  return false;
}

Numbered Document::NumberingOf(const Para& p) const {
  bool has = p.hasNumbering;
  int numId = p.numId, level = p.level;
  std::string id = p.style;
  for (int depth = 0; !has && depth < 16 && !id.empty(); ++depth) {
    auto found = styles_.find(id);
    if (found == styles_.end()) break;
    if (found->second.hasNumbering) {
      has = true;
      numId = found->second.numId;
      level = found->second.level;
    }
    id = found->second.basedOn;
  }
  Numbered out;
  if (!has || numId == 0) return out;
  const Level* l = numbering_.Find(numId, level);
  if (l == nullptr) return out;
  out.numId = numId;
  out.level = level;
  out.closing = !l->text.empty() && l->text.back() == ')';
  const std::string& f = l->format;
  if (f == "decimal" || f == "decimalZero" || f == "decimalEnclosedParen" ||
      f == "decimalEnclosedFullstop")
    out.kind = Numbered::kNumber;
  else if (f == "lowerLetter" || f == "upperLetter" || f == "russianLower" ||
           f == "russianUpper")
    out.kind = Numbered::kLetter;
  else if (f == "bullet")
    out.kind = Numbered::kBullet;
  return out;
}

void Document::Heading(const Para& p) {
  std::string text = Unpictured(p, FoldSpace(p.text));
  if (text.empty()) return;
  std::string path;
  for (char c : text) {
    path += c;
    if (c == '/') path += '/';
  }
  sink_.Category(path, p.number);
}

// Before the first question: the first paragraph titles the discipline, the others are
// remarks (the document's instructions), said but not kept.
void Document::BeforeQuestions(const Para& p, const std::string& marked) {
  std::string text = Unpictured(p, marked);
  if (text.empty()) return;
  if (!titled_) {
    bank_->title = text;
    titled_ = true;
    return;
  }
  report_->Remark(source_.name, p.number, lang::Say(lang::Id::kParagraphLeftOut, text));
}

void Document::ParagraphLost(const Para& p) {
  for (const lang::Text& t : p.lost) report_->Lose(source_.name, p.number, t);
}

// The text of `text` without pictures, folded.
std::string WithoutPictures(std::string_view text, std::size_t pictures) {
  if (!HasMarks(text)) return std::string(text);
  std::string out;
  for (const MarkedPiece& piece : SplitMarked(text, pictures))
    if (!piece.picture) out += piece.text;
  return FoldSpace(out);
}

std::string Document::Unpictured(const Para& p, std::string_view text) {
  if (!HasMarks(text)) return std::string(text);
  for (const MarkedPiece& piece : SplitMarked(text, bank_->pictures.size()))
    if (piece.picture)
      report_->Lose(source_.name, p.number,
                    lang::Say(lang::Id::kPictureOutsideQuestion, bank_->pictures[piece.id].name));
  return WithoutPictures(text, bank_->pictures.size());
}

// --- markup: <question> and <variant> ---

// The tag at `i` of `s` ("<question>", "<question2>", "<variant>", any case): its length, and
// whether it opens a question; 0 when none is there.
std::size_t TagAt(std::string_view s, std::size_t i, bool* question) {
  if (s[i] != '<') return 0;
  std::string head = LowerRu(s.substr(i, 24));
  std::size_t n = 0;
  if (head.rfind("<question", 0) == 0) {
    n = 9;
    while (n < head.size() && head[n] >= '0' && head[n] <= '9') ++n;
    *question = true;
  } else if (head.rfind("<variant", 0) == 0) {
    n = 8;
    *question = false;
  } else {
    return 0;
  }
  return n < head.size() && head[n] == '>' ? n + 1 : 0;
}

bool HasMarkup(std::string_view s) {
  for (std::size_t i = s.find('<'); i != std::string_view::npos; i = s.find('<', i + 1)) {
    bool question = false;
    if (TagAt(s, i, &question) > 0 && question) return true;
  }
  return false;
}

bool Document::ReadMarkup() {
  bool open = false;
  Question q;
  std::string* target = nullptr;
  auto finish = [&] {
    if (!open) return;
    open = false;
    target = nullptr;
    q.task = FoldSpace(q.task);
    for (Variant& v : q.variants) v.text = FoldSpace(v.text);
    // The first answer is the right one: when it is empty, no answer left is right. Each
    // empty answer is noted.
    if (!q.variants.empty()) q.variants.front().correct = true;
    for (const Variant& v : q.variants)
      if (v.text.empty())
        report_->Lose(source_.name, v.line, lang::Say(lang::Id::kEmptyAnswerLeftOut));
    std::erase_if(q.variants, [](const Variant& v) { return v.text.empty(); });
    bool right = false;
    for (const Variant& v : q.variants) right = right || v.correct;
    if (q.task.empty()) {
      LeaveOut(source_, q.line, NoKind(), lang::Say(lang::Id::kWhyTextEmpty), report_);
    } else if (q.variants.empty()) {
      LeaveOut(source_, q.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswers), report_);
    } else if (!right) {
      LeaveOut(source_, q.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswerMarked), report_);
    } else {
      // Those tools put the right answer first: the order is shuffled, fixed by the text.
      ShuffleByTask(&q);
      // Past the program's limit they are counted, and the writer leaves the question out.
      if (q.variants.size() > static_cast<std::size_t>(kMaxVariantsPerQuestion)) {
        q.moreVariants = static_cast<int>(q.variants.size()) - kMaxVariantsPerQuestion;
        q.variants.resize(static_cast<std::size_t>(kMaxVariantsPerQuestion));
      }
      sink_.Add(std::move(q));
    }
    q = Question{};
  };
  for (const Para& p : paras_) {
    ParagraphLost(p);
    if (IsHeading(p)) {
      finish();
      Heading(p);
      continue;
    }
    std::string_view s = p.text;
    std::size_t from = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
      bool question = false;
      std::size_t n = TagAt(s, i, &question);
      if (n == 0) continue;
      if (target != nullptr) *target += s.substr(from, i - from);
      else if (!open) BeforeQuestions(p, FoldSpace(s.substr(from, i - from)));
      if (question) {
        finish();
        open = true;
        ++found_;
        q.line = p.number;
        target = &q.task;
      } else if (open) {
        q.variants.push_back(Variant{std::string(), false, p.number});
        target = &q.variants.back().text;
      } else {
        target = nullptr;
      }
      i += n - 1;
      from = i + 1;
    }
    if (target != nullptr) {
      *target += s.substr(from);
      *target += ' ';
    } else if (!open) {
      BeforeQuestions(p, FoldSpace(s.substr(from)));
    }
  }
  finish();
  return found_ > 0;
}

// --- tables of questions ---

bool Document::ReadTables() {
  // The cells of each outermost table, paragraphs of a cell one a line.
  struct Table {
    std::vector<std::vector<std::string>> rows;
    std::vector<int> lines;  // first paragraph of each row
    RowColumns columns;
  };
  std::map<int, Table> tables;
  for (const Para& p : paras_) {
    if (p.table < 0 || p.row < 0 || p.cell < 0) continue;
    Table& t = tables[p.table];
    if (t.rows.size() <= static_cast<std::size_t>(p.row)) {
      t.rows.resize(static_cast<std::size_t>(p.row) + 1);
      t.lines.resize(static_cast<std::size_t>(p.row) + 1, 0);
    }
    std::vector<std::string>& cells = t.rows[static_cast<std::size_t>(p.row)];
    if (cells.size() <= static_cast<std::size_t>(p.cell)) cells.resize(static_cast<std::size_t>(p.cell) + 1);
    std::string& cell = cells[static_cast<std::size_t>(p.cell)];
    if (!cell.empty()) cell += '\n';
    cell += p.text;
    if (t.lines[static_cast<std::size_t>(p.row)] == 0) t.lines[static_cast<std::size_t>(p.row)] = p.number;
  }
  bool any = false;
  for (auto& [index, t] : tables) {
    if (!t.rows.empty()) t.columns = ReadHeaderRow(t.rows[0]);
    any = any || t.columns.kind != RowColumns::kNone;
  }
  if (!any) return false;
  int done = -1;  // the last table read
  for (const Para& p : paras_) {
    ParagraphLost(p);
    if (p.table >= 0) {
      Table& t = tables[p.table];
      if (t.columns.kind != RowColumns::kNone) {
        if (p.table == done) continue;
        done = p.table;
        for (std::size_t r = 1; r < t.rows.size(); ++r) {
          bool empty = true;
          for (const std::string& c : t.rows[r]) empty = empty && FoldSpace(c).empty();
          if (empty) continue;
          ++found_;
          Question q;
          q.line = t.lines[r];
          lang::Text why;
          if (QuestionOfRow(t.columns, t.rows[r], &q, &why))
            sink_.Add(std::move(q));
          else
            LeaveOut(source_, t.lines[r], NoKind(), std::move(why), report_);
        }
        continue;
      }
    }
    if (IsHeading(p)) {
      Heading(p);
      continue;
    }
    std::string text = FoldSpace(p.text);
    if (found_ == 0) {
      BeforeQuestions(p, text);
    } else {
      text = Unpictured(p, text);
      if (!text.empty())
        report_->Remark(source_.name, p.number, lang::Say(lang::Id::kParagraphLeftOut, text));
    }
  }
  return found_ > 0;
}

// --- numbered paragraphs ---

std::size_t SkipSpace(std::string_view s, std::size_t i) {
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  if (s.substr(i, 2) == "\xC2\xA0") return SkipSpace(s, i + 2);
  return i;
}

bool StartsWithLower(std::string_view s, std::size_t i, std::string_view word) {
  return LowerRu(s.substr(i, word.size())) == word;
}

// Where a question's own text begins after its number or label ("1.", "№1", "Вопрос 1.",
// "Вопрос:", "Q1:", "Q:"), or npos when the paragraph begins with none. *closing: a number
// closed by ')' ("1)"), which may be an answer instead.
std::size_t QuestionStart(std::string_view s, int* number, bool* closing) {
  std::size_t i = SkipSpace(s, 0);
  *closing = false;
  *number = 0;
  auto digits = [&](std::size_t* at) {
    std::size_t start = *at;
    long v = 0;
    while (*at < s.size() && s[*at] >= '0' && s[*at] <= '9') {
      if (v < 100000) v = v * 10 + (s[*at] - '0');
      ++*at;
    }
    *number = static_cast<int>(v);
    return *at > start;
  };
  constexpr std::string_view kNumero = "№";
  if (s.substr(i, kNumero.size()) == kNumero) {
    std::size_t j = SkipSpace(s, i + kNumero.size());
    if (!digits(&j)) return std::string_view::npos;
    if (j < s.size() && (s[j] == '.' || s[j] == ')' || s[j] == ':')) ++j;
    return SkipSpace(s, j);
  }
  for (std::string_view label : {std::string_view("вопрос"), std::string_view("задание"),
                                 std::string_view("question"), std::string_view("q")}) {
    if (!StartsWithLower(s, i, label)) continue;
    std::size_t j = i + label.size();
    if (label.size() > 1) j = SkipSpace(s, j);
    bool numbered = digits(&j);
    if (j < s.size() && (s[j] == ':' || s[j] == '.' || s[j] == ')')) {
      if (!numbered && s[j] != ':') continue;
      return SkipSpace(s, j + 1);
    }
    if (numbered && j < s.size() && s[j] == ' ' && label.size() > 1) return SkipSpace(s, j);
  }
  std::size_t j = i;
  if (!digits(&j) || j >= s.size()) return std::string_view::npos;
  if (s[j] == '.') {
    // "1.5 is ..." is no number of a question.
    if (j + 1 < s.size() && s[j + 1] >= '0' && s[j + 1] <= '9') return std::string_view::npos;
    return SkipSpace(s, j + 1);
  }
  if (s[j] == ')') {
    *closing = true;
    return SkipSpace(s, j + 1);
  }
  return std::string_view::npos;
}

// "Ответ: Б", "Правильный ответ: 2", "Answer: B", "Correct: A", "Ans: C": where the names
// begin, or npos.
std::size_t AnswerLineStart(std::string_view s) {
  std::size_t i = SkipSpace(s, 0);
  for (std::string_view label :
       {std::string_view("правильный ответ"), std::string_view("верный ответ"),
        std::string_view("правильные ответы"), std::string_view("верные ответы"),
        std::string_view("ответ"), std::string_view("correct answer"), std::string_view("answer"),
        std::string_view("correct"), std::string_view("ans")}) {
    if (!StartsWithLower(s, i, label)) continue;
    std::size_t j = SkipSpace(s, i + label.size());
    if (j < s.size() && (s[j] == ':' || s[j] == '-')) return SkipSpace(s, j + 1);
    if (s.substr(j, 3) == "\xE2\x80\x93") return SkipSpace(s, j + 3);  // –
  }
  return std::string_view::npos;
}

// One answer of a paragraph: its text's bytes in the paragraph, and its mark.
struct Piece {
  std::size_t begin = 0, end = 0;
  bool marked = false;
};

bool IsMark(char c) {
  return c == '*' || c == '+';
}

// The letter (index) at `i` followed by `delimiter` or, when delimiter is 0, by ')' or '.':
// its index and the byte after the delimiter; -1 when none is there.
int LetterAt(std::string_view s, std::size_t i, char* delimiter, std::size_t* after) {
  if (i >= s.size()) return -1;
  std::size_t j = i;
  char32_t u = DecodeAt(s, &j);
  int index = AnswerLetterIndex(u);
  if (index < 0 || j >= s.size()) return -1;
  char d = s[j];
  if (d != ')' && d != '.') return -1;
  if (*delimiter != 0 && d != *delimiter) return -1;
  // "A.B." and "В.И. Ленин" are not letters of answers: a '.' is followed by a blank.
  if (d == '.' && j + 1 < s.size() && s[j + 1] != ' ' && s[j + 1] != '\t' && !IsMark(s[j + 1]))
    return -1;
  *delimiter = d;
  *after = j + 1;
  return index;
}

// The lettered answers of a paragraph ("А) 5; Б) 7; В) 9", marks before or after each); empty
// when it does not begin with a letter. *first: the first one's letter.
std::vector<Piece> LetteredAnswers(std::string_view s, int* first, std::size_t from = 0) {
  std::vector<Piece> out;
  std::size_t i = SkipSpace(s, from);
  bool markBefore = i < s.size() && IsMark(s[i]);
  if (markBefore) i = SkipSpace(s, i + 1);
  char delimiter = 0;
  std::size_t after = 0;
  int index = LetterAt(s, i, &delimiter, &after);
  if (index < 0) return out;
  *first = index;
  for (;;) {
    Piece piece;
    piece.marked = markBefore;
    std::size_t b = SkipSpace(s, after);
    if (b < s.size() && IsMark(s[b])) {
      piece.marked = true;
      b = SkipSpace(s, b + 1);
    }
    piece.begin = b;
    // The next letter in order, after a blank or ';', ends this one.
    std::size_t next = std::string_view::npos, nextAfter = 0;
    bool nextMarked = false;
    for (std::size_t k = b; k < s.size(); ++k) {
      if (s[k] != ' ' && s[k] != ';' && s[k] != '\t') continue;
      std::size_t j = SkipSpace(s, k + 1);
      bool m = j < s.size() && IsMark(s[j]);
      if (m) j = SkipSpace(s, j + 1);
      char d = delimiter;
      std::size_t a = 0;
      if (LetterAt(s, j, &d, &a) == index + 1) {
        next = k;
        nextAfter = a;
        nextMarked = m;
        break;
      }
    }
    std::size_t e = next == std::string_view::npos ? s.size() : next;
    // A mark after it: '*' at its end, '+' after a blank (so that "C++" keeps its pluses).
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == ';' || s[e - 1] == '\t')) --e;
    if (e > b && (s[e - 1] == '*' || (s[e - 1] == '+' && e - 1 > b && s[e - 2] == ' '))) {
      piece.marked = true;
      --e;
    }
    piece.end = e;
    out.push_back(piece);
    if (next == std::string_view::npos) break;
    ++index;
    after = nextAfter;
    markBefore = nextMarked;
  }
  return out;
}

// Where answers lettered from the first letter with ')' begin after a question's text (at a
// blank, a mark allowed before the letter), or s.size() when none do.
std::size_t InlineAnswers(std::string_view s, std::size_t from) {
  for (std::size_t k = from + 1; k < s.size(); ++k) {
    if (s[k - 1] != ' ') continue;
    std::size_t j = IsMark(s[k]) ? k + 1 : k;
    char d = ')';
    std::size_t after = 0;
    if (LetterAt(s, j, &d, &after) == 0) return k;
  }
  return s.size();
}

// The emphasis that covers every letter of [begin, end).
unsigned char Covering(const Para& p, std::size_t begin, std::size_t end) {
  unsigned char all = kBold | kUnderline | kHighlight;
  bool any = false;
  for (std::size_t i = begin; i < end && i < p.marks.size(); ++i) {
    char c = p.text[i];
    if (c == ' ' || c == '\t' || IsMark(c) || (p.marks[i] & kNeutral) != 0) continue;
    all &= p.marks[i];
    any = true;
  }
  return any ? all : 0;
}

void Document::Finish(Open* open) {
  Question& q = open->question;
  q.task = FoldSpace(q.task);
  if (open->answers.empty()) {
    LeaveOut(source_, q.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswers), report_);
    return;
  }
  std::vector<bool> right(open->answers.size(), false);
  bool any = false;
  for (std::size_t i = 0; i < open->answers.size(); ++i) {
    right[i] = open->answers[i].marked;
    any = any || right[i];
  }
  if (!open->answerLine.empty()) {
    std::vector<int> named;
    std::string_view names = open->answerLine;
    std::size_t at = AnswerLineStart(names);
    if (at != std::string_view::npos) names.remove_prefix(at);
    std::vector<Variant> texts;
    for (const Answer& a : open->answers) texts.push_back(Variant{a.text, false, a.line});
    int same = FindVariant(texts, names);
    if (same >= 0)
      named = {same};
    else if (!AnswersNamed(names, static_cast<int>(open->answers.size()), &named))
      named.clear();
    if (named.empty()) {
      LeaveOut(source_, open->answerLineAt, NoKind(),
               lang::Say(lang::Id::kWhyAnswerLineNamesNone, FoldSpace(open->answerLine)), report_);
      return;
    }
    std::vector<bool> decided(open->answers.size(), false);
    for (int k : named) decided[static_cast<std::size_t>(k)] = true;
    if (any && decided != right)
      report_->Remark(source_.name, open->answerLineAt,
                      lang::Say(lang::Id::kAnswerLineDecides, FoldSpace(open->answerLine)));
    right = decided;
    any = true;
  }
  if (!any) {
    // Bold, else underlined, else highlighted: the answers so set, unless all of them are.
    for (unsigned char e : {kBold, kUnderline, kHighlight}) {
      std::size_t count = 0;
      for (const Answer& a : open->answers) count += (a.emphasis & e) ? 1 : 0;
      if (count == 0 || count == open->answers.size()) continue;
      for (std::size_t i = 0; i < open->answers.size(); ++i)
        right[i] = (open->answers[i].emphasis & e) != 0;
      any = true;
      break;
    }
  }
  if (!any) {
    LeaveOut(source_, q.line, NoKind(), lang::Say(lang::Id::kWhyNoAnswerMarked), report_);
    return;
  }
  if (q.task.empty()) {
    LeaveOut(source_, q.line, NoKind(), lang::Say(lang::Id::kWhyTextEmpty), report_);
    return;
  }
  for (std::size_t i = 0; i < open->answers.size(); ++i)
    q.AddVariant(Variant{FoldSpace(open->answers[i].text), right[i], open->answers[i].line});
  sink_.Add(std::move(q));
}

bool Document::ReadNumbered() {
  Open open;
  bool isOpen = false;
  auto finish = [&] {
    if (isOpen) Finish(&open);
    isOpen = false;
    open = Open{};
  };
  auto add = [&](const Para& p, std::size_t b, std::size_t e, bool marked) {
    Answer a;
    a.text = FoldSpace(std::string_view(p.text).substr(b, e - b));
    a.line = p.number;
    a.marked = marked;
    a.emphasis = Covering(p, b, e);
    open.answers.push_back(std::move(a));
  };
  for (const Para& p : paras_) {
    ParagraphLost(p);
    if (IsHeading(p)) {
      finish();
      Heading(p);
      continue;
    }
    std::string_view s = p.text;
    std::string text = FoldSpace(s);
    if (text.empty()) continue;
    if (WithoutPictures(text, bank_->pictures.size()).empty()) {
      // Pictures alone: the question or answer before them shows them.
      if (!isOpen) {
        Unpictured(p, text);
        continue;
      }
      std::string& into = open.answers.empty() ? open.question.task : open.answers.back().text;
      into += ' ';
      into += text;
      continue;
    }
    Numbered numbered = NumberingOf(p);

    if (isOpen && !open.answers.empty() && AnswerLineStart(s) != std::string_view::npos) {
      if (open.answerLine.empty()) {
        open.answerLine = Unpictured(p, text);
        open.answerLineAt = p.number;
      } else {
        report_->Lose(source_.name, p.number,
                      lang::Say(lang::Id::kParagraphLeftOut, Unpictured(p, text)));
      }
      continue;
    }
    if (isOpen && open.answerLine.empty()) {
      // Lettered in its text: one or more answers.
      int first = -1;
      std::vector<Piece> pieces = LetteredAnswers(s, &first);
      if (!pieces.empty() && first == static_cast<int>(open.answers.size())) {
        for (const Piece& piece : pieces) add(p, piece.begin, piece.end, piece.marked);
        continue;
      }
      // Lettered, or a bullet, by Word's numbering; a deeper level of the question's own list;
      // a list of its own closed by ')'.
      bool wordAnswer =
          numbered.kind == Numbered::kLetter || numbered.kind == Numbered::kBullet ||
          (numbered.kind == Numbered::kNumber &&
           ((open.numId == numbered.numId && numbered.level > open.level) ||
            (open.numId != numbered.numId && numbered.closing)));
      // "1)", "2)" while a question is open, numbered from 1.
      int number = 0;
      bool closing = false;
      std::size_t start = QuestionStart(s, &number, &closing);
      bool restarted = start != std::string_view::npos && closing &&
                       number == static_cast<int>(open.answers.size()) + 1;
      // "- x = 2", "- *x = 2, 3": an answer of a dashed list.
      std::size_t d = SkipSpace(s, 0);
      std::size_t dash = s.substr(d, 1) == "-"                                ? 1
                         : s.substr(d, 3) == "\xE2\x80\x93" || s.substr(d, 3) == "\xE2\x80\x94" ||
                                 s.substr(d, 3) == "\xE2\x80\xA2"
                             ? 3
                             : 0;
      if (wordAnswer || restarted || (dash > 0 && (open.answers.empty() || open.dashes))) {
        std::size_t b = restarted ? start : dash > 0 && !wordAnswer ? SkipSpace(s, d + dash)
                                                                     : SkipSpace(s, 0);
        open.dashes = dash > 0 && !wordAnswer && !restarted;
        bool marked = false;
        if (b < s.size() && IsMark(s[b])) {
          marked = true;
          b = SkipSpace(s, b + 1);
        }
        std::size_t e = s.size();
        while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
        if (e > b && (s[e - 1] == '*' || (s[e - 1] == '+' && e - 1 > b && s[e - 2] == ' '))) {
          marked = true;
          --e;
        }
        add(p, b, e, marked);
        continue;
      }
    }
    // A question: numbered or labelled in its text, or numbered by Word with numbers.
    int number = 0;
    bool closing = false;
    std::size_t start = QuestionStart(s, &number, &closing);
    if (start != std::string_view::npos || numbered.kind == Numbered::kNumber) {
      finish();
      isOpen = true;
      ++found_;
      open.question.line = p.number;
      std::size_t begin = start != std::string_view::npos ? start : 0;
      // Answers on the question's own line: "2. Какие чётные? А) 3; *Б) 4".
      std::size_t inline_ = InlineAnswers(s, begin);
      open.question.task = std::string(s.substr(begin, inline_ - begin));
      if (inline_ < s.size()) {
        int first = -1;
        for (const Piece& piece : LetteredAnswers(s, &first, inline_))
          add(p, piece.begin, piece.end, piece.marked);
      }
      open.numId = start != std::string_view::npos ? -1 : numbered.numId;
      open.level = numbered.level;
      continue;
    }
    if (isOpen && open.answers.empty()) {
      // The question's text goes on in another paragraph.
      open.question.task += ' ';
      open.question.task += s;
      continue;
    }
    if (found_ == 0) {
      BeforeQuestions(p, text);
      continue;
    }
    report_->Lose(source_.name, p.number,
                  lang::Say(lang::Id::kParagraphLeftOut, Unpictured(p, text)));
  }
  finish();
  return found_ > 0;
}

bool Document::Read(lang::Text* reason) {
  bool markup = false, read = false;
  for (const Para& p : paras_) markup = markup || HasMarkup(p.text);
  if (markup)
    read = ReadMarkup();
  else
    read = ReadTables() || ReadNumbered();
  if (!read) *reason = lang::Say(lang::Id::kDocxNoQuestion);
  return read;
}

std::string FolderOf(const std::string& part) {
  std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// The pictures the paragraphs mark, read from their parts and given to the bank: each mark
// becomes the bank's, or goes with a note at its paragraph. False, with *reason, when the zip
// fails (a limit refuses the input, as for any part).
bool ResolvePictures(ZipInput* zip, const std::vector<Relationship>& rels,
                     const std::vector<PendingPicture>& pending, const Source& source, Bank* bank,
                     std::vector<Para>* paras, lang::Text* reason) {
  if (pending.empty()) return true;
  std::map<std::string, std::string> taken;  // part and alt text -> the bank's mark
  PictureSource into{bank, nullptr};
  for (Para& p : *paras) {
    if (p.pictures == 0) continue;
    std::string text;
    std::vector<unsigned char> marks;
    for (const MarkedPiece& piece : SplitMarked(p.text, pending.size())) {
      if (!piece.picture) {
        std::size_t at = static_cast<std::size_t>(piece.text.data() - p.text.data());
        text += piece.text;
        marks.insert(marks.end(), p.marks.begin() + static_cast<std::ptrdiff_t>(at),
                     p.marks.begin() + static_cast<std::ptrdiff_t>(at + piece.text.size()));
        continue;
      }
      const PendingPicture& pic = pending[piece.id];
      const Relationship* rel = nullptr;
      for (const Relationship& r : rels)
        if (r.id == pic.rel) rel = &r;
      std::string mark;
      if (rel == nullptr) {
        p.lost.push_back(lang::Say(lang::Id::kPictureNotFound, pic.rel));
      } else if (rel->external || pic.linked) {
        p.lost.push_back(lang::Say(lang::Id::kPictureNotRelative, rel->target));
      } else if (!zip->Has(rel->target)) {
        p.lost.push_back(lang::Say(lang::Id::kPictureNotFound, rel->target));
      } else if (auto found = taken.find(rel->target + '\n' + pic.alt); found != taken.end()) {
        mark = found->second;
      } else {
        std::string bytes;
        if (!zip->Read(rel->target, &bytes)) {
          *reason = ZipFaultText(*zip, kKind);
          return false;
        }
        std::size_t slash = rel->target.rfind('/');
        std::string name = PictureFileName(
            slash == std::string::npos ? rel->target : rel->target.substr(slash + 1));
        Report notes;
        mark = TakePicture(name, pic.alt, std::move(bytes), name, source, p.number, into, &notes);
        for (Note& n : notes.notes) p.lost.push_back(std::move(n.text));
        if (!mark.empty()) taken[rel->target + '\n' + pic.alt] = mark;
      }
      text += mark;
      marks.resize(text.size(), kNeutral);
    }
    p.text = std::move(text);
    p.marks = std::move(marks);
  }
  return true;
}

bool ParseNotes(ZipInput* zip, const std::string& part, NotesReader* out, lang::Text* reason) {
  if (part.empty() || !zip->Has(part)) return true;
  XmlEvents e;
  e.start = &NotesStart;
  e.end = &NotesEnd;
  e.text = &NotesText;
  e.context = out;
  return ParsePart(zip, part, e, reason, kKind);
}

}  // namespace

bool ReadDocx(const Source& source, std::string_view bytes, Bank* bank, Report* report,
              lang::Text* reason) {
  ZipInput zip(bytes);
  if (!OpenOffice(bytes, &zip, ".doc", ".docx", kKind, reason)) return false;
  std::vector<Relationship> rels;
  if (!ReadRelationships(&zip, "_rels/.rels", "", &rels, reason, kKind)) return false;
  std::string main = "word/document.xml";
  for (const Relationship& r : rels)
    if (r.type == "officeDocument" && !r.external && zip.Has(r.target)) main = r.target;
  std::string folder = FolderOf(main);
  if (!ReadRelationships(&zip, folder + "_rels/" + main.substr(folder.size()) + ".rels", folder,
                         &rels, reason, kKind))
    return false;

  StylesReader styles;
  Numbering numbering;
  NotesReader comments, footnotes, endnotes;
  for (const Relationship& r : rels) {
    if (r.external || !zip.Has(r.target)) continue;
    if (r.type == "styles") {
      XmlEvents e;
      e.start = &StylesStart;
      e.end = &StylesEnd;
      e.context = &styles;
      if (!ParsePart(&zip, r.target, e, reason, kKind)) return false;
    } else if (r.type == "numbering") {
      NumberingReader n{&numbering};
      XmlEvents e;
      e.start = &NumberingStart;
      e.end = &NumberingEnd;
      e.context = &n;
      if (!ParsePart(&zip, r.target, e, reason, kKind)) return false;
    } else if (r.type == "comments") {
      if (!ParseNotes(&zip, r.target, &comments, reason)) return false;
    } else if (r.type == "footnotes") {
      if (!ParseNotes(&zip, r.target, &footnotes, reason)) return false;
    } else if (r.type == "endnotes") {
      if (!ParseNotes(&zip, r.target, &endnotes, reason)) return false;
    }
  }

  std::vector<Para> paras;
  std::vector<PendingPicture> pictures;
  DocumentReader doc;
  doc.paras = &paras;
  doc.styles = &styles.styles;
  doc.rels = &rels;
  doc.pictures = &pictures;
  doc.comments = &comments;
  doc.footnotes = &footnotes;
  doc.endnotes = &endnotes;
  XmlEvents e;
  e.start = &DocStart;
  e.end = &DocEnd;
  e.text = &DocText;
  e.context = &doc;
  if (!ParsePart(&zip, main, e, reason, kKind)) return false;
  if (!ResolvePictures(&zip, rels, pictures, source, bank, &paras, reason)) return false;

  report->paragraphs = true;
  Document document(source, bank, report, &paras, styles.styles, numbering);
  return document.Read(reason);
}

}  // namespace bridge
