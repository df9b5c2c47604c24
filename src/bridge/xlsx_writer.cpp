// A spreadsheet (.xlsx) with Exameo's CSV columns, one worksheet per topic of a description
// file: the XML parts written here, zipped in memory by minizip.
#include <string>
#include <vector>

#include "bridge/office_rows.h"
#include "bridge/text.h"
#include "bridge/writers.h"
#include "bridge/zip_archive.h"

namespace bridge {

namespace {

// Text as XML character data; the control characters XML cannot hold escaped as a spreadsheet
// escapes them (_x0001_), and a literal "_x" so that it is not read as one.
void AppendXml(std::string_view text, std::string* out) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '&') *out += "&amp;";
    else if (c == '<') *out += "&lt;";
    else if (c == '>') *out += "&gt;";
    else if (c == '"') *out += "&quot;";
    else if (u < 0x20 && c != '\t' && c != '\n' && c != '\r') {
      char buf[16];
      std::snprintf(buf, sizeof buf, "_x%04X_", u);
      *out += buf;
    } else if (c == '_' && i + 1 < text.size() && text[i + 1] == 'x') {
      *out += "_x005F_";
    } else {
      *out += c;
    }
  }
}

std::string ColumnName(int column) {
  std::string name;
  for (int n = column + 1; n > 0; n = (n - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

void InlineCell(int row, int column, std::string_view text, std::string* out) {
  *out += "<c r=\"" + ColumnName(column) + std::to_string(row) + "\" t=\"inlineStr\"><is><t";
  if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) *out += " xml:space=\"preserve\"";
  *out += '>';
  AppendXml(text, out);
  *out += "</t></is></c>";
}

void NumberCell(int row, int column, int value, std::string* out) {
  *out += "<c r=\"" + ColumnName(column) + std::to_string(row) + "\"><v>" +
          std::to_string(value) + "</v></c>";
}

// A topic's title as a sheet's name: at most 31 characters, none of : \ / ? * [ ], no leading
// or trailing apostrophe, and unlike every other sheet's name (without regard to case).
std::string SheetName(std::string_view title, int index, const std::vector<std::string>& taken) {
  std::string base;
  int count = 0;
  std::string folded = FoldSpace(title);
  for (std::size_t i = 0; i < folded.size() && count < 31;) {
    std::size_t at = i;
    char32_t u = DecodeAt(folded, &i);
    if (std::u32string_view(U":\\/?*[]").find(u) != std::u32string_view::npos) u = '_';
    if (u < 0x20) continue;
    if (u == 0xFFFD && i - at == 1) continue;
    AppendUtf8(u, &base);
    ++count;
  }
  while (!base.empty() && base.front() == '\'') base.erase(0, 1);
  while (!base.empty() && base.back() == '\'') base.pop_back();
  if (base.empty()) base = "Тема " + std::to_string(index + 1);
  auto used = [&](const std::string& name) {
    for (const std::string& t : taken)
      if (LowerRu(t) == LowerRu(name)) return true;
    return false;
  };
  std::string name = base;
  for (int n = 2; used(name); ++n) {
    std::string suffix = " (" + std::to_string(n) + ")";
    // Cut by characters so that the suffix fits in 31.
    std::string cut;
    int kept = 0;
    for (std::size_t i = 0; i < base.size() && kept < 31 - static_cast<int>(suffix.size());) {
      std::size_t at = i;
      DecodeAt(base, &i);
      cut.append(base, at, i - at);
      ++kept;
    }
    name = cut + suffix;
  }
  return name;
}

std::string SheetXml(const std::vector<const Question*>& questions) {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<sheetData><row r=\"1\">";
  InlineCell(1, 0, "Задание", &out);
  InlineCell(1, 1, "Верные", &out);
  for (int i = 1; i <= kMaxVariantsPerQuestion; ++i)
    InlineCell(1, i + 1, std::string("Вариант ").append(std::to_string(i)), &out);
  out += "</row>";
  int row = 1;
  for (const Question* q : questions) {
    ++row;
    out.append("<row r=\"").append(std::to_string(row)).append("\">");
    InlineCell(row, 0, q->task, &out);
    std::vector<int> correct;
    for (std::size_t i = 0; i < q->variants.size(); ++i)
      if (q->variants[i].correct) correct.push_back(static_cast<int>(i) + 1);
    if (correct.size() == 1) {
      NumberCell(row, 1, correct[0], &out);
    } else if (!correct.empty()) {
      std::string list;
      for (int n : correct) {
        if (!list.empty()) list.push_back(' ');
        list.append(std::to_string(n));
      }
      InlineCell(row, 1, list, &out);
    }
    for (std::size_t i = 0; i < q->variants.size(); ++i)
      InlineCell(row, static_cast<int>(i) + 2, q->variants[i].text, &out);
    out += "</row>";
  }
  out += "</sheetData></worksheet>";
  return out;
}

}  // namespace

std::string WriteXlsx(const ExportBank& bank, Report* report) {
  // The questions carried, by sheet: one sheet, or one per topic of a description file.
  std::vector<std::string> names;
  std::vector<std::vector<const Question*>> sheets;
  std::vector<const Topic*> owners;
  std::vector<Question> shown;  // the questions with their pictures as reference texts
  std::size_t total = 0;
  for (const Topic& topic : bank.bank.topics) total += topic.questions.size();
  shown.reserve(total);  // the sheets point into it: it must never move
  ForEachCarried(Format::kXlsx, bank, report, [&](const Topic& topic, const Question& q,
                                                  std::size_t t) {
    if (sheets.empty() || (bank.categories && owners.back() != &topic)) {
      std::string title = bank.categories ? topic.title : "Вопросы";
      std::string name = SheetName(title, static_cast<int>(t), names);
      if (bank.categories && name != FoldSpace(topic.title))
        report->Lose(bank.FileOf(t), 0, lang::Say(lang::Id::kSheetRenamed, topic.title, name));
      names.push_back(name);
      sheets.emplace_back();
      owners.push_back(&topic);
    }
    // A spreadsheet cell holds text only: each picture stays the text of its reference,
    // remarked, as in CSV.
    RemarkReferences(bank, t, q, "XLSX", report);
    Question copy = q;
    copy.task = TextWithReferences(bank, q.task);
    for (Variant& v : copy.variants) v.text = TextWithReferences(bank, v.text);
    shown.push_back(std::move(copy));
    sheets.back().push_back(&shown.back());
  });
  if (sheets.empty()) {
    names.push_back("Вопросы");
    sheets.emplace_back();
  }

  std::string types =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
      "<Default Extension=\"rels\" "
      "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
      "<Override PartName=\"/xl/workbook.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
      "<Override PartName=\"/xl/styles.xml\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>";
  std::string workbook =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>";
  std::string rels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rIdStyles\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
      "Target=\"styles.xml\"/>";
  for (std::size_t k = 0; k < sheets.size(); ++k) {
    std::string n = std::to_string(k + 1);
    types += "<Override PartName=\"/xl/worksheets/sheet" + n +
             ".xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>";
    workbook += "<sheet name=\"";
    AppendXml(names[k], &workbook);
    workbook += "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n +
            "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
            "worksheet\" Target=\"worksheets/sheet" +
            n + ".xml\"/>";
  }
  types += "</Types>";
  workbook += "</sheets></workbook>";
  rels += "</Relationships>";
  const std::string packageRels =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" "
      "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument\" "
      "Target=\"xl/workbook.xml\"/></Relationships>";
  // One font, fill, border and cell format: what a spreadsheet needs to open the file quietly.
  const std::string styles =
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
      "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
      "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/></font></fonts>"
      "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
      "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
      "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
      "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>"
      "</cellStyleXfs><cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
      "borderId=\"0\" xfId=\"0\"/></cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" "
      "xfId=\"0\" builtinId=\"0\"/></cellStyles></styleSheet>";

  ZipOutput zip;
  zip.Add("[Content_Types].xml", types);
  zip.Add("_rels/.rels", packageRels);
  zip.Add("xl/workbook.xml", workbook);
  zip.Add("xl/_rels/workbook.xml.rels", rels);
  zip.Add("xl/styles.xml", styles);
  for (std::size_t k = 0; k < sheets.size(); ++k)
    zip.Add("xl/worksheets/sheet" + std::to_string(k + 1) + ".xml", SheetXml(sheets[k]));
  std::string out;
  if (!zip.Finish(&out)) return std::string();
  return out;
}

}  // namespace bridge
