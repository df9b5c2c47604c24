// Spreadsheets (.xlsx): a header row, then one question a row; each worksheet a topic when
// there are several. Streamed from the zip: only the shared strings and one row are held.
#include <cstdlib>
#include <string>
#include <vector>

#include "bridge/number_format.h"
#include "bridge/office_rows.h"
#include "bridge/office_xml.h"
#include "bridge/reader_support.h"
#include "bridge/readers.h"
#include "bridge/text.h"

namespace bridge {

namespace {

constexpr std::string_view kKind = ".xlsx";

// "_x000D_" and the like: characters XML cannot hold, as a spreadsheet escapes them.
std::string Unescape(std::string_view s) {
  if (s.find("_x") == std::string_view::npos) return std::string(s);
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
      char* end = nullptr;
      std::string hex(s.substr(i + 2, 4));
      unsigned long u = std::strtoul(hex.c_str(), &end, 16);
      if (end == hex.c_str() + 4) {
        AppendUtf8(static_cast<char32_t>(u), &out);
        i += 6;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// Column index (from 0) of a reference "BC12", or -1.
int ColumnOf(std::string_view ref) {
  int column = 0;
  std::size_t i = 0;
  for (; i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z'; ++i) {
    column = column * 26 + (ref[i] - 'A' + 1);
    if (column > 16384) return -1;
  }
  return i == 0 ? -1 : column - 1;
}

int RowOf(std::string_view ref) {
  std::size_t i = 0;
  while (i < ref.size() && ref[i] >= 'A' && ref[i] <= 'Z') ++i;
  long row = 0;
  for (; i < ref.size() && ref[i] >= '0' && ref[i] <= '9'; ++i)
    if (row < 10000000) row = row * 10 + (ref[i] - '0');
  return static_cast<int>(row);
}

int Int(std::string_view s, int fallback) {
  if (s.empty()) return fallback;
  long v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return fallback;
    if (v < 100000000) v = v * 10 + (c - '0');
  }
  return static_cast<int>(v);
}

// The officeDocument part the package's relationships name, or the usual place.
std::string MainPart(ZipInput* zip, std::string_view fallback, lang::Text* reason, bool* ok) {
  std::vector<Relationship> rels;
  *ok = ReadRelationships(zip, "_rels/.rels", "", &rels, reason, kKind);
  for (const Relationship& r : rels)
    if (r.type == "officeDocument" && !r.external && zip->Has(r.target)) return r.target;
  return std::string(fallback);
}

std::string FolderOf(const std::string& part) {
  std::size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

// Collects text of <t> elements, leaving out phonetic runs (<rPh>).
struct TextCollector {
  bool inT = false;
  int phonetic = 0;
  std::string text;

  void Start(const XmlElement& e) {
    if (e.local == "rPh") ++phonetic;
    if (e.local == "t" && phonetic == 0) inT = true;
  }
  void End(std::string_view local) {
    if (local == "rPh" && phonetic > 0) --phonetic;
    if (local == "t") inT = false;
  }
  void Text(std::string_view t) {
    if (inT) text += t;
  }
};

struct Workbook {
  struct Sheet {
    std::string name, id;
    bool hidden = false;
  };
  std::vector<Sheet> sheets;
  bool date1904 = false;
};

void WorkbookStart(void* c, const XmlElement& e) {
  Workbook& w = *static_cast<Workbook*>(c);
  if (e.local == "sheet") {
    std::string_view state = e.Attr("state");
    w.sheets.push_back(Workbook::Sheet{std::string(e.Attr("name")), std::string(e.Attr("id")),
                                       state == "hidden" || state == "veryHidden"});
  } else if (e.local == "workbookPr") {
    std::string_view v = e.Attr("date1904");
    w.date1904 = v == "1" || v == "true";
  }
}

struct Styles {
  std::vector<std::pair<int, std::string>> formats;  // numFmtId -> code
  std::vector<int> cellFormats;                      // xf index -> numFmtId
  int inCellXfs = 0;

  std::string_view CodeOf(int style) const {
    if (style < 0 || static_cast<std::size_t>(style) >= cellFormats.size()) return {};
    int id = cellFormats[static_cast<std::size_t>(style)];
    for (const auto& f : formats)
      if (f.first == id) return f.second;
    return BuiltinNumberFormat(id);
  }
};

void StylesStart(void* c, const XmlElement& e) {
  Styles& s = *static_cast<Styles*>(c);
  if (e.local == "numFmt")
    s.formats.emplace_back(Int(e.Attr("numFmtId"), -1), std::string(e.Attr("formatCode")));
  else if (e.local == "cellXfs")
    ++s.inCellXfs;
  else if (e.local == "xf" && s.inCellXfs > 0)
    s.cellFormats.push_back(Int(e.Attr("numFmtId"), 0));
}
void StylesEnd(void* c, Ns, std::string_view local) {
  Styles& s = *static_cast<Styles*>(c);
  if (local == "cellXfs" && s.inCellXfs > 0) --s.inCellXfs;
}

struct Strings {
  std::vector<std::string> list;
  TextCollector item;
  bool inItem = false;
};
void StringsStart(void* c, const XmlElement& e) {
  Strings& s = *static_cast<Strings*>(c);
  if (e.local == "si") {
    s.inItem = true;
    s.item = TextCollector{};
  } else if (s.inItem) {
    s.item.Start(e);
  }
}
void StringsEnd(void* c, Ns, std::string_view local) {
  Strings& s = *static_cast<Strings*>(c);
  if (local == "si") {
    s.list.push_back(Unescape(s.item.text));
    s.inItem = false;
  } else if (s.inItem) {
    s.item.End(local);
  }
}
void StringsText(void* c, std::string_view t) {
  Strings& s = *static_cast<Strings*>(c);
  if (s.inItem) s.item.Text(t);
}

// One worksheet, row by row.
struct SheetReader {
  const Source* source = nullptr;
  Report* report = nullptr;
  TopicSink* sink = nullptr;
  const Strings* strings = nullptr;
  const Styles* styles = nullptr;
  bool date1904 = false;
  std::string sheetName;
  bool topics = false;  // several sheets: this one is a topic
  bool topicOpened = false;

  // The row being read.
  int row = 0;
  int nextColumn = 0;
  std::vector<std::string> cells;
  // The cell being read.
  int column = 0;
  std::string type;
  int style = 0;
  bool inValue = false, inInline = false, formula = false, valued = false;
  std::string reference;
  std::string value;
  TextCollector inlineText;

  RowColumns columns;
  bool header = false;
  std::string badHeader;  // set when the header names no known columns
  bool refused = false;

  void Cell() {
    // A spreadsheet saved by a program that never calculated keeps the formula alone.
    if (formula && !valued && type != "inlineStr")
      report->Lose(source->name, row, lang::Say(lang::Id::kFormulaNoValue, reference));
    std::string text;
    if (type == "s") {
      int k = Int(FoldSpace(value), -1);
      if (k >= 0 && static_cast<std::size_t>(k) < strings->list.size())
        text = strings->list[static_cast<std::size_t>(k)];
    } else if (type == "inlineStr") {
      text = Unescape(inlineText.text);
    } else if (type == "str" || type == "e") {
      text = Unescape(value);
    } else if (type == "b") {
      text = FoldSpace(value) == "1" ? "ИСТИНА" : FoldSpace(value).empty() ? "" : "ЛОЖЬ";
    } else if (type == "d") {
      // An ISO date: shown as the Russian locale shows dates.
      std::string v = FoldSpace(value);
      if (v.size() >= 10 && v[4] == '-' && v[7] == '-')
        text = v.substr(8, 2) + "." + v.substr(5, 2) + "." + v.substr(0, 4);
      else
        text = v;
    } else {
      std::string v = FoldSpace(value);
      if (!v.empty()) {
        char* end = nullptr;
        double number = std::strtod(v.c_str(), &end);
        text = end != v.c_str() && *end == 0 ? ShowNumber(number, styles->CodeOf(style), date1904)
                                             : v;
      }
    }
    if (column < 0 || column >= 16384) return;
    if (cells.size() <= static_cast<std::size_t>(column))
      cells.resize(static_cast<std::size_t>(column) + 1);
    cells[static_cast<std::size_t>(column)] = std::move(text);
  }

  void Row() {
    bool empty = true;
    for (const std::string& c : cells) empty = empty && FoldSpace(c).empty();
    if (empty || refused) return;
    if (!header) {
      header = true;
      columns = ReadHeaderRow(cells);
      if (columns.kind == RowColumns::kNone) {
        for (const std::string& c : cells) {
          std::string folded = FoldSpace(c);
          if (folded.empty()) continue;
          if (!badHeader.empty()) badHeader += " | ";
          badHeader += folded;
        }
        refused = true;
      }
      return;
    }
    Question question;
    question.line = row;
    lang::Text why;
    if (!QuestionOfRow(columns, cells, &question, &why)) {
      LeaveOut(*source, row, NoKind(), std::move(why), report);
      return;
    }
    if (topics && !topicOpened) {
      std::string path;
      for (char c : sheetName) {
        path += c;
        if (c == '/') path += '/';
      }
      sink->Category(path, row);
      sink->NameInput(source->name);
      topicOpened = true;
    }
    sink->Add(std::move(question));
  }
};

void SheetStart(void* c, const XmlElement& e) {
  SheetReader& s = *static_cast<SheetReader*>(c);
  if (e.ns != Ns::kSheet) return;
  if (e.local == "row") {
    s.row = Int(e.Attr("r"), s.row + 1);
    s.nextColumn = 0;
    s.cells.clear();
  } else if (e.local == "c") {
    std::string_view ref = e.Attr("r");
    int column = ref.empty() ? s.nextColumn : ColumnOf(ref);
    if (!ref.empty() && RowOf(ref) > 0 && s.cells.empty()) s.row = RowOf(ref);
    s.column = column;
    s.nextColumn = column + 1;
    s.type = std::string(e.Attr("t"));
    s.style = Int(e.Attr("s"), 0);
    s.value.clear();
    s.inlineText = TextCollector{};
    s.formula = s.valued = false;
    s.reference = std::string(ref);
  } else if (e.local == "v") {
    s.inValue = true;
    s.valued = true;
  } else if (e.local == "f") {
    s.formula = true;
  } else if (e.local == "is") {
    s.inInline = true;
  } else if (s.inInline) {
    s.inlineText.Start(e);
  }
}

void SheetEnd(void* c, Ns ns, std::string_view local) {
  SheetReader& s = *static_cast<SheetReader*>(c);
  if (ns != Ns::kSheet) return;
  if (local == "v") {
    s.inValue = false;
  } else if (local == "is") {
    s.inInline = false;
  } else if (s.inInline) {
    s.inlineText.End(local);
  } else if (local == "c") {
    s.Cell();
  } else if (local == "row") {
    s.Row();
  }
}

void SheetText(void* c, std::string_view t) {
  SheetReader& s = *static_cast<SheetReader*>(c);
  if (s.inValue) s.value += t;
  if (s.inInline) s.inlineText.Text(t);
}

}  // namespace

bool ReadXlsx(const Source& source, std::string_view bytes, Bank* bank, Report* report,
              lang::Text* reason) {
  ZipInput zip(bytes);
  if (!OpenOffice(bytes, &zip, ".xls", ".xlsx", kKind, reason)) return false;
  bool ok = true;
  std::string workbookPart = MainPart(&zip, "xl/workbook.xml", reason, &ok);
  if (!ok) return false;
  std::string folder = FolderOf(workbookPart);
  std::vector<Relationship> rels;
  if (!ReadRelationships(&zip, folder + "_rels/" + workbookPart.substr(folder.size()) + ".rels",
                         folder, &rels, reason, kKind))
    return false;
  Workbook workbook;
  XmlEvents events;
  events.start = &WorkbookStart;
  events.context = &workbook;
  if (!ParsePart(&zip, workbookPart, events, reason, kKind)) return false;

  Styles styles;
  Strings strings;
  for (const Relationship& r : rels) {
    if (r.external) continue;
    if (r.type == "styles" && zip.Has(r.target)) {
      XmlEvents e;
      e.start = &StylesStart;
      e.end = &StylesEnd;
      e.context = &styles;
      if (!ParsePart(&zip, r.target, e, reason, kKind)) return false;
    } else if (r.type == "sharedStrings" && zip.Has(r.target)) {
      XmlEvents e;
      e.start = &StringsStart;
      e.end = &StringsEnd;
      e.text = &StringsText;
      e.context = &strings;
      if (!ParsePart(&zip, r.target, e, reason, kKind)) return false;
    }
  }

  // The worksheets, in the workbook's order; hidden ones are a spreadsheet's own helpers.
  struct Part {
    std::string name, path;
  };
  std::vector<Part> parts;
  for (const Workbook::Sheet& sheet : workbook.sheets) {
    if (sheet.hidden) {
      report->Lose(source.name, 0, lang::Say(lang::Id::kSheetHiddenLeftOut, sheet.name));
      continue;
    }
    for (const Relationship& r : rels)
      if (r.id == sheet.id && r.type == "worksheet" && !r.external) parts.push_back(Part{sheet.name, r.target});
  }
  if (parts.empty()) {
    *reason = lang::Say(lang::Id::kXlsxNoSheet);
    return false;
  }
  TopicSink sink(source, bank);
  for (const Part& part : parts) {
    // With several sheets every note names its sheet: "file.xlsx:Лист2:5: ...".
    Source sheet = source;
    if (parts.size() > 1) sheet.name += ":" + part.name;
    SheetReader s;
    s.source = &sheet;
    s.report = report;
    s.sink = &sink;
    s.strings = &strings;
    s.styles = &styles;
    s.date1904 = workbook.date1904;
    s.sheetName = part.name;
    s.topics = parts.size() > 1;
    XmlEvents e;
    e.start = &SheetStart;
    e.end = &SheetEnd;
    e.text = &SheetText;
    e.context = &s;
    if (!ParsePart(&zip, part.path, e, reason, kKind)) return false;
    if (s.refused) {
      *reason = lang::Say(lang::Id::kXlsxHeader, part.name, s.badHeader);
      return false;
    }
  }
  return true;
}

}  // namespace bridge
