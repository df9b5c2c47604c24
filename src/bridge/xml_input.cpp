// libxml2's SAX events written out again as plain UTF-8 XML, one chunk of input at a time, so
// that no tree of libxml2's is built beside the reader's own.
#include "bridge/xml_input.h"

#include <libxml/SAX2.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cstring>

#include "bridge/sax_handler.h"
#include "bridge/text.h"

namespace bridge {

int XmlInput::LineAt(std::ptrdiff_t offset) const {
  if (offset < 0 || lines.empty()) return 1;
  auto it = std::upper_bound(
      lines.begin(), lines.end(), static_cast<std::size_t>(offset),
      [](std::size_t o, const std::pair<std::size_t, int>& l) { return o < l.first; });
  return it == lines.begin() ? 1 : std::prev(it)->second;
}

namespace {

const char* C(const xmlChar* s) {
  return reinterpret_cast<const char*>(s);
}

struct Writer {
  const Source* source = nullptr;
  XmlInput* out = nullptr;
  xmlParserCtxtPtr main = nullptr;
  std::size_t expanded = 0;  // bytes written from entity references
  std::size_t limit = 0;
  bool overLimit = false;
  // The reader's tree, counted as it would be built: past kMaxXmlTreeBytes nothing more is
  // written, but the count goes on, to say how much it would have been.
  std::size_t elements = 0, attributes = 0;
  bool tooMuchMarkup = false;
  int lastLine = 0;

  std::size_t TreeBytes() const { return elements * 96 + attributes * 40; }
  std::vector<Note> notes;
  // The error the parser reports (see Error).
  bool failed = false;  // a fatal one
  int errorLine = 0;
  int errorCode = 0;
  std::string errorMessage;

  int Line() const { return main != nullptr && main->input != nullptr ? main->input->line : 0; }

  // False once the expansion went over its limit, or the tree: nothing more is written.
  bool Take(void* ctx, std::size_t bytes) {
    if (tooMuchMarkup) return false;
    if (overLimit) {
      xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
      return false;
    }
    if (ctx == main) return true;  // the file's own text
    expanded += bytes;
    if (expanded <= limit) return true;
    overLimit = true;
    xmlStopParser(static_cast<xmlParserCtxtPtr>(ctx));
    return false;
  }

  void Escaped(const char* s, std::size_t n, bool attribute) {
    std::string& x = out->xml;
    for (std::size_t i = 0; i < n; ++i) {
      char c = s[i];
      if (c == '&')
        x += "&amp;";
      else if (c == '<')
        x += "&lt;";
      else if (c == '>')
        x += "&gt;";
      else if (c == '\r')
        x += "&#13;";  // from a character reference: kept, not taken for a line end
      else if (attribute && c == '"')
        x += "&quot;";
      else if (attribute && (c == '\n' || c == '\t'))
        x += c == '\n' ? "&#10;" : "&#9;";
      else
        x += c;
    }
  }

  void Name(const xmlChar* prefix, const xmlChar* local) {
    if (prefix != nullptr) {
      out->xml += C(prefix);
      out->xml += ':';
    }
    out->xml += C(local);
  }
};

Writer& Of(void* ctx) {
  return *static_cast<Writer*>(static_cast<xmlParserCtxtPtr>(ctx)->_private);
}

void StartElement(void* ctx, const xmlChar* local, const xmlChar* prefix, const xmlChar*,
                  int namespaces, const xmlChar** ns, int attributes, int, const xmlChar** atts) {
  Writer& w = Of(ctx);
  ++w.elements;
  w.attributes += static_cast<std::size_t>(attributes + namespaces);
  if (w.TreeBytes() > kMaxXmlTreeBytes) w.tooMuchMarkup = true;
  if (!w.Take(ctx, std::strlen(C(local)) + 2)) return;
  w.out->xml += '<';
  // Lines only grow: one entry for each line with an element, read back by upper_bound.
  int line = w.Line();
  if (w.out->lines.empty() || line != w.lastLine) {
    w.out->lines.emplace_back(w.out->xml.size(), line);
    w.lastLine = line;
  }
  w.Name(prefix, local);
  for (int k = 0; k < namespaces; ++k) {
    w.out->xml += ns[2 * k] != nullptr ? " xmlns:" : " xmlns";
    if (ns[2 * k] != nullptr) w.out->xml += C(ns[2 * k]);
    w.out->xml += "=\"";
    const char* uri = ns[2 * k + 1] != nullptr ? C(ns[2 * k + 1]) : "";
    w.Escaped(uri, std::strlen(uri), true);
    w.out->xml += '"';
  }
  for (int k = 0; k < attributes; ++k) {
    const xmlChar** a = atts + 5 * k;  // local name, prefix, URI, value, end of value
    std::size_t length = static_cast<std::size_t>(a[4] - a[3]);
    if (!w.Take(ctx, length)) return;
    w.out->xml += ' ';
    w.Name(a[1], a[0]);
    w.out->xml += "=\"";
    w.Escaped(C(a[3]), length, true);
    w.out->xml += '"';
  }
  w.out->xml += '>';
}

void EndElement(void* ctx, const xmlChar* local, const xmlChar* prefix, const xmlChar*) {
  Writer& w = Of(ctx);
  if (!w.Take(ctx, std::strlen(C(local)) + 3)) return;
  w.out->xml += "</";
  w.Name(prefix, local);
  w.out->xml += '>';
}

void Characters(void* ctx, const xmlChar* text, int length) {
  Writer& w = Of(ctx);
  if (!w.Take(ctx, static_cast<std::size_t>(length))) return;
  w.Escaped(C(text), static_cast<std::size_t>(length), false);
}

void Cdata(void* ctx, const xmlChar* text, int length) {
  Writer& w = Of(ctx);
  if (!w.Take(ctx, static_cast<std::size_t>(length))) return;
  // A CDATA section stays one (the HTML in it is the reader's to read); an "]]>" in it, which
  // only an entity can bring, is split across two.
  std::string_view t(C(text), static_cast<std::size_t>(length));
  w.out->xml += "<![CDATA[";
  for (std::size_t at = t.find("]]>"); at != std::string_view::npos; at = t.find("]]>")) {
    w.out->xml.append(t.substr(0, at + 2));
    w.out->xml += "]]><![CDATA[";
    t.remove_prefix(at + 2);
  }
  w.out->xml.append(t);
  w.out->xml += "]]>";
}

// A reference to an entity declared nowhere the parser reads (an external DTD may declare
// it): kept as written, and noted.
void Reference(void* ctx, const xmlChar* name) {
  Writer& w = Of(ctx);
  if (!w.Take(ctx, std::strlen(C(name)) + 2)) return;
  w.out->xml += "&amp;";
  w.out->xml += C(name);
  w.out->xml += ';';
  w.notes.push_back(Note{w.source->name, w.Line(),
                         lang::Say(lang::Id::kXmlEntityNotExpanded, std::string(C(name))), false});
}

// External entities are never read (a file names no other file to be read along with it):
// each is declared again as internal, a general one standing for its reference as written,
// a parameter one for nothing, and noted.
void EntityDecl(void* ctx, const xmlChar* name, int type, const xmlChar* publicId,
                const xmlChar* systemId, xmlChar* content) {
  Writer& w = Of(ctx);
  bool general = type == XML_EXTERNAL_GENERAL_PARSED_ENTITY;
  if (!general && type != XML_EXTERNAL_PARAMETER_ENTITY) {
    xmlSAX2EntityDecl(ctx, name, type, publicId, systemId, content);
    return;
  }
  std::string where = systemId != nullptr ? C(systemId) : publicId != nullptr ? C(publicId) : "";
  std::string shown(general ? "&" : "%");
  shown += C(name);
  shown += ';';
  w.notes.push_back(
      Note{w.source->name, w.Line(), lang::Say(lang::Id::kXmlExternalEntity, shown, where), false});
  std::string stands;
  if (general) {
    stands = "&amp;";
    stands += C(name);
    stands += ';';
  }
  xmlSAX2EntityDecl(ctx, name,
                    general ? XML_INTERNAL_GENERAL_ENTITY : XML_INTERNAL_PARAMETER_ENTITY, nullptr,
                    nullptr, reinterpret_cast<xmlChar*>(stands.data()));
}

void ExternalSubset(void* ctx, const xmlChar*, const xmlChar* publicId, const xmlChar* systemId) {
  if (systemId == nullptr && publicId == nullptr) return;  // a DTD of the file's own alone
  Writer& w = Of(ctx);
  std::string where = systemId != nullptr ? C(systemId) : C(publicId);
  w.notes.push_back(
      Note{w.source->name, w.Line(), lang::Say(lang::Id::kXmlExternalDtd, where), false});
}

xmlParserInputPtr ResolveEntity(void*, const xmlChar*, const xmlChar*) {
  return nullptr;
}

// Keeps the first fatal error (the first other error until one comes): errors that are not
// fatal (an entity a DTD outside the file may declare) leave the file well-formed.
void Error(void* ctx, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR) return;
  Writer& w = Of(ctx);
  bool fatal = error->level == XML_ERR_FATAL;
  if (w.failed || (w.errorCode != 0 && !fatal)) return;
  w.failed = fatal;
  w.errorCode = error->code;
  // An error inside an entity's text has that text's line: the reference's is the file's.
  w.errorLine = error->ctxt == w.main && error->line > 0 ? error->line : w.Line();
  w.errorMessage = error->message != nullptr ? error->message : "";
  while (!w.errorMessage.empty() && (w.errorMessage.back() == '\n' || w.errorMessage.back() == ' '))
    w.errorMessage.pop_back();
}

// How the two commonest errors have always been worded to the user; libxml2's words otherwise.
std::string ErrorText(int code, const std::string& message, bool anyElement) {
  if (code == XML_ERR_TAG_NAME_MISMATCH) return "Start-end tags mismatch";
  if (code == XML_ERR_DOCUMENT_EMPTY || (code == XML_ERR_DOCUMENT_END && !anyElement))
    return "No document element found";
  return message;
}

// One pass of the parser over `bytes`; `utf8` when they are already UTF-8 decoded from what
// the file's own declaration does not say. *declared tells whether the file declared an
// encoding (only when not `utf8`).
bool Pass(const Source& source, std::string_view bytes, bool utf8, XmlInput* out,
          std::vector<Note>* notes, std::string* error, bool* declared) {
  RegisterXmlEncodings();
  // The parse's errors come to Error.
  xmlSAXHandler sax = QuietSaxHandler();
  sax.startElementNs = &StartElement;
  sax.endElementNs = &EndElement;
  sax.characters = &Characters;
  sax.ignorableWhitespace = &Characters;
  sax.cdataBlock = &Cdata;
  sax.reference = &Reference;
  sax.entityDecl = &EntityDecl;
  sax.externalSubset = &ExternalSubset;
  sax.resolveEntity = &ResolveEntity;
  sax.serror = &Error;

  Writer w;
  w.source = &source;
  w.out = out;
  w.limit = bytes.size() + kMaxEntityExpansion;
  out->xml.clear();
  out->lines.clear();
  out->xml.reserve(bytes.size() + bytes.size() / 8);

  constexpr std::size_t kChunk = 1 << 16;
  std::size_t first = std::min<std::size_t>(bytes.size(), 4);
  // Made without bytes, so that the writer is known to every callback before the first error
  // (a byte order mark libxml2 cannot decode is one, raised as the first bytes arrive).
  xmlParserCtxtPtr ctxt = xmlCreatePushParserCtxt(&sax, nullptr, nullptr, 0, nullptr);
  if (ctxt == nullptr) {
    *error = lang::Tr(lang::Id::kXmlError, 1, "out of memory");
    return false;
  }
  w.main = ctxt;
  ctxt->_private = &w;
  // Entities expanded, within libxml2's own limits (no XML_PARSE_HUGE); nothing fetched.
  int options = XML_PARSE_NOENT | XML_PARSE_NONET;
  if (utf8) options |= XML_PARSE_IGNORE_ENC;
  xmlCtxtUseOptions(ctxt, options);
  if (utf8) xmlSwitchEncoding(ctxt, XML_CHAR_ENCODING_UTF8);
  if (first > 0)
    xmlParseChunk(ctxt, bytes.data(), static_cast<int>(first), 0);
  for (std::size_t at = first; at < bytes.size() && !w.overLimit && !w.failed; at += kChunk) {
    std::size_t n = std::min(kChunk, bytes.size() - at);
    xmlParseChunk(ctxt, bytes.data() + at, static_cast<int>(n), 0);
  }
  if (!w.overLimit && !w.failed) xmlParseChunk(ctxt, nullptr, 0, 1);
  bool wellFormed = ctxt->wellFormed != 0 && !w.overLimit && !w.failed;
  if (declared != nullptr)
    *declared =
        ctxt->encoding != nullptr || (ctxt->input != nullptr && ctxt->input->encoding != nullptr);
  int stopped = w.Line();
  if (ctxt->myDoc != nullptr) xmlFreeDoc(ctxt->myDoc);
  ctxt->myDoc = nullptr;
  xmlFreeParserCtxt(ctxt);
  w.main = nullptr;

  if (w.overLimit) {
    *error = lang::Tr(lang::Id::kXmlEntitiesTooLarge, stopped, kMaxEntityExpansion >> 20);
    return false;
  }
  if (w.tooMuchMarkup && wellFormed) {
    *error = lang::Tr(lang::Id::kXmlTooMuchMarkup, w.TreeBytes() >> 20, kMaxXmlTreeBytes >> 20);
    return false;
  }
  if (!wellFormed) {
    if (w.errorCode == 0) w.errorMessage = "not well-formed";
    *error = lang::Tr(lang::Id::kXmlError, w.errorLine > 0 ? w.errorLine : 1,
                      ErrorText(w.errorCode, w.errorMessage, !out->lines.empty()));
    return false;
  }
  *notes = std::move(w.notes);
  return true;
}

}  // namespace

bool ReadXmlInput(const Source& source, std::string_view bytes, Encoding forced, XmlInput* out,
                  Report* report, std::string* error) {
  Sniffed s = SniffEncoding(bytes, forced);
  std::vector<Note> notes;
  bool ok = false;
  if (s.told == Told::kValidUtf8 || s.told == Told::kNotUtf8) {
    // The file's own declaration decides; one that declares nothing and is no UTF-8 is read
    // again as Windows-1251.
    bool declared = false;
    ok = Pass(source, bytes, false, out, &notes, error, &declared);
    if (!ok && s.told == Told::kNotUtf8 && !declared) {
      std::string text = DecodeToUtf8(bytes, Encoding::kWindows1251);
      ok = Pass(source, text, true, out, &notes, error, nullptr);
      if (ok)
        report->Remark(source.name, 0,
                       lang::Say(lang::Id::kReadAsEncoding, EncodingName(Encoding::kWindows1251)));
    }
  } else {
    int bad = 0;
    std::string text = DecodeToUtf8(bytes.substr(s.mark), s.encoding, &bad);
    ok = Pass(source, text, true, out, &notes, error, nullptr);
    if (ok && s.told == Told::kZeroBytes)
      report->Remark(source.name, 0,
                     lang::Say(lang::Id::kReadAsEncoding, EncodingName(s.encoding)));
    if (ok && bad > 0)
      report->Lose(source.name, 0,
                   lang::Say(lang::Id::kUndecodable, bad, EncodingName(s.encoding)));
  }
  if (!ok) return false;
  for (Note& note : notes) report->Keep(std::move(note));
  return true;
}

}  // namespace bridge
