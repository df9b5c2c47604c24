#!/usr/bin/python3
"""Builds the Word documents and spreadsheets the import tests read, so that what they hold
can be read here rather than in a binary file.

    scripts/gen-office-fixtures.py [FOLDER]     # default: tests/bridge/data/office

Needs Debian's python3-docx and python3-openpyxl (run by /usr/bin/python3, which has them).
The files are made byte for byte the same on every run (fixed dates, parts in a fixed order),
so the test that runs this script again can tell a fixture that is out of date.
"""
import copy
import datetime
import io
import os
import re
import struct
import sys
import zipfile
import zlib

import docx
import openpyxl
from docx.oxml import parse_xml
from docx.oxml.ns import nsdecls, qn
from docx.shared import Pt

FIXED = datetime.datetime(2024, 1, 1, 0, 0, 0)
W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"


def png_1x1():
    """A one-pixel PNG: a picture pasted into a document."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"\x00\xff\x00\x00"
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def wmf_equation():
    """A metafile as the old equation editor leaves one: the placeable header, the standard
    header, one record that ends it."""
    records = struct.pack("<IH", 3, 0)  # the end-of-file record
    words = (18 + len(records)) // 2
    standard = struct.pack("<HHHIHIH", 1, 9, 0x300, words, 0, 3, 0)
    placeable = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, 480, 288, 1440, 0)
    checksum = 0
    for (word,) in struct.iter_unpack("<H", placeable[:20]):
        checksum ^= word
    return placeable + struct.pack("<H", checksum) + standard + records


def fixed_zip(data):
    """The same parts, in name order, with one date: the same bytes on every run."""
    src = zipfile.ZipFile(io.BytesIO(data))
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        names = src.namelist()
        # [Content_Types].xml first, as Office writes it.
        names.sort(key=lambda n: (n != "[Content_Types].xml", n))
        for name in names:
            info = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            dst.writestr(info, src.read(name))
    return out.getvalue()


def save_docx(document, path, patch=None):
    props = document.core_properties
    props.created = props.modified = props.last_printed = FIXED
    props.revision = 1
    buf = io.BytesIO()
    document.save(buf)
    data = buf.getvalue()
    if patch:
        data = patch_zip(data, patch)
    with open(path, "wb") as f:
        f.write(fixed_zip(data))


def save_xlsx(book, path, patch=None):
    book.properties.created = book.properties.modified = FIXED
    buf = io.BytesIO()
    book.save(buf)
    data = buf.getvalue()
    if patch:
        data = patch_zip(data, patch)
    with open(path, "wb") as f:
        f.write(fixed_zip(data))


def patch_zip(data, patch):
    """Applies patch(name, bytes) -> bytes to every part; a new part when it returns others."""
    src = zipfile.ZipFile(io.BytesIO(data))
    parts = {name: src.read(name) for name in src.namelist()}
    parts = patch(parts)
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as dst:
        for name, body in parts.items():
            dst.writestr(name, body)
    return out.getvalue()


def raw_paragraph(document, xml):
    """A paragraph written as Word's XML (tracked changes, text boxes, equations)."""
    element = parse_xml(xml)
    document.element.body.insert(len(document.element.body) - 1, element)


def markup(path):
    d = docx.Document()
    d.add_paragraph("Биология, 9 класс")
    d.add_paragraph("Тест для тестирующей системы: первый вариант верный.")
    d.add_heading("Клетка", level=1)
    d.add_paragraph("<question>Органоид фотосинтеза")
    d.add_paragraph("<variant>хлоропласт")
    d.add_paragraph("<variant>митохондрия")
    d.add_paragraph("<variant>рибосома")
    d.add_paragraph("<question2>Носитель наследственной информации <variant>ДНК <variant>АТФ")
    d.add_heading("Ткани", level=1)
    d.add_paragraph("<question>Ткань, проводящая возбуждение")
    d.add_paragraph("<variant>нервная")
    d.add_paragraph("<variant>эпителиальная")
    d.add_paragraph("<question>Вопрос без вариантов")
    save_docx(d, path)


def table(path):
    d = docx.Document()
    d.add_paragraph("География")
    t = d.add_table(rows=1, cols=3)
    for cell, text in zip(t.rows[0].cells, ["Вопрос", "Варианты", "Ответ"]):
        cell.text = text
    rows = [
        ("Столица Франции", "Париж; Лион; Марсель", "Париж"),
        ("Самая длинная река", "Нил; Амазонка; Янцзы", "А"),
        ("Крупнейший океан", "Атлантический\nИндийский", "Тихий"),
        ("Высочайшая гора", "Эверест; К2", "2, 1"),
        ("", "x; y", "x"),
    ]
    for q, variants, answer in rows:
        cells = t.add_row().cells
        cells[0].text = q
        lines = variants.split("\n")
        cells[1].text = lines[0]
        for line in lines[1:]:
            cells[1].add_paragraph(line)
        cells[2].text = answer
    d.add_paragraph("Составил: учитель географии")
    save_docx(d, path)


def numbered(path):
    d = docx.Document()
    d.add_paragraph("Информатика")
    d.add_paragraph("Выберите один правильный ответ.")
    d.add_paragraph("1. Сколько бит в байте?")
    d.add_paragraph("А) 4")
    d.add_paragraph("Б) 8*")
    d.add_paragraph("В) 16")
    d.add_paragraph("2. Какие числа чётные? А) 3; *Б) 4; В) 5; +Г) 6")
    d.add_paragraph("Вопрос 3. Столица России")
    d.add_paragraph("а) Москва")
    d.add_paragraph("б) Казань")
    d.add_paragraph("Ответ: а")
    d.add_paragraph("Q: Which is a language?")
    d.add_paragraph("- *C++")
    d.add_paragraph("- HTTP")
    d.add_paragraph("№5 Ответ строкой, который спорит с пометкой")
    d.add_paragraph("A) *один")
    d.add_paragraph("B) два")
    d.add_paragraph("Answer: B")
    d.add_paragraph("6. Вопрос без пометки")
    d.add_paragraph("А) да")
    d.add_paragraph("Б) нет")
    d.add_paragraph("Случайная строка между вопросами")
    # Tracked changes: the deletion is left out, the insertion kept.
    raw_paragraph(d, '<w:p %s><w:r><w:t xml:space="preserve">7. Два плюс два </w:t></w:r>'
                  '<w:del w:id="1" w:author="x"><w:r><w:delText>пять</w:delText></w:r></w:del>'
                  '<w:ins w:id="2" w:author="x"><w:r><w:t>равно?</w:t></w:r></w:ins></w:p>'
                  % nsdecls("w"))
    d.add_paragraph("А) 4 +")
    # A text box inside an answer's paragraph: its text is a loss.
    raw_paragraph(d, '<w:p %s><w:r><w:t>Б) 5</w:t></w:r><w:r><w:pict>'
                  '<v:shape xmlns:v="urn:schemas-microsoft-com:vml"><v:textbox><w:txbxContent>'
                  '<w:p><w:r><w:t>подсказка в надписи</w:t></w:r></w:p>'
                  '</w:txbxContent></v:textbox></v:shape></w:pict></w:r></w:p>' % nsdecls("w"))
    save_docx(d, path)


def add_letter_list(document):
    """A list lettered а), б), ... of its own, as Word makes one: its numId."""
    numbering = document.part.numbering_part.element
    abstract = parse_xml(
        '<w:abstractNum %s w:abstractNumId="90"><w:lvl w:ilvl="0"><w:start w:val="1"/>'
        '<w:numFmt w:val="russianLower"/><w:lvlText w:val="%%1)"/></w:lvl></w:abstractNum>'
        % nsdecls("w"))
    numbering.insert(0, abstract)
    ids = []
    for num_id in (90, 91, 92):
        numbering.append(parse_xml(
            '<w:num %s w:numId="%d"><w:abstractNumId w:val="90"/></w:num>'
            % (nsdecls("w"), num_id)))
        ids.append(num_id)
    return ids


def set_numbering(paragraph, num_id, level=0):
    p_pr = paragraph._p.get_or_add_pPr()
    p_pr.append(parse_xml('<w:numPr %s><w:ilvl w:val="%d"/><w:numId w:val="%d"/></w:numPr>'
                          % (nsdecls("w"), level, num_id)))


def word_numbering(path):
    d = docx.Document()
    d.add_paragraph("Химия")
    lists = add_letter_list(d)
    questions = [
        ("Символ натрия", ["Na", "N", "Ne"], 0),
        ("Благородный газ", ["азот", "аргон", "кислород"], 1),
        ("Формула воды", ["H2O2", "HO", "H2O"], 2),
    ]
    for (task, answers, right), num_id in zip(questions, lists):
        # Numbered by the style "List Number": the number is not in the text.
        d.add_paragraph(task, style="List Number")
        for k, text in enumerate(answers):
            p = d.add_paragraph()
            set_numbering(p, num_id)
            run = p.add_run(text)
            run.bold = k == right
    save_docx(d, path)


def media(path):
    d = docx.Document()
    d.add_paragraph("Физика")
    d.add_paragraph("1. Что на рисунке?")
    png = os.path.join(os.path.dirname(path), ".pixel.png")
    with open(png, "wb") as f:
        f.write(png_1x1())
    d.add_picture(png)
    os.remove(png)
    # Its alt text, as Word's "Edit Alt Text" sets it.
    d.element.body.findall(".//" + qn("wp:docPr"))[-1].set("descr", "Точка на плоскости")
    d.add_paragraph("А) точка*")
    d.add_paragraph("Б) линия")
    # An equation of the old editor: an OLE object shown by its WMF picture.
    raw_paragraph(d, '<w:p %s><w:r><w:t xml:space="preserve">2. Вычислите </w:t></w:r><w:r>'
                  '<w:object><v:shape xmlns:v="urn:schemas-microsoft-com:vml" '
                  'style="width:20pt;height:12pt"><v:imagedata '
                  'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
                  'r:id="rIdWmf"/></v:shape></w:object></w:r></w:p>' % nsdecls("w"))
    d.add_paragraph("А) 1")
    d.add_paragraph("Б) 2*")
    # A Word equation: a sum with its limits, a power and a fraction in the question's text.
    def r(text):
        return "<m:r><m:t>%s</m:t></m:r>" % text
    raw_paragraph(d, ('<w:p %s xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math">'
                  '<w:r><w:t xml:space="preserve">3. Верно ли, что </w:t></w:r><m:oMath>') % nsdecls("w") +
                  '<m:nary><m:naryPr><m:chr m:val="∑"/></m:naryPr><m:sub>' + r("i=1") +
                  '</m:sub><m:sup>' + r("n") + '</m:sup><m:e><m:sSup><m:e>' + r("i") +
                  '</m:e><m:sup>' + r("2") + '</m:sup></m:sSup></m:e></m:nary>' + r("=") +
                  '<m:f><m:num>' + r("n(n+1)(2n+1)") + '</m:num><m:den>' + r("6") +
                  '</m:den></m:f></m:oMath><w:r><w:t>?</w:t></w:r></w:p>')
    d.add_paragraph("А) да*")
    d.add_paragraph("Б) нет")

    def add_wmf(parts):
        rels = parts["word/_rels/document.xml.rels"].decode()
        rels = rels.replace("</Relationships>",
                            '<Relationship Id="rIdWmf" Type="http://schemas.openxmlformats.org/'
                            'officeDocument/2006/relationships/image" '
                            'Target="media/equation1.wmf"/></Relationships>')
        parts["word/_rels/document.xml.rels"] = rels.encode()
        types = parts["[Content_Types].xml"].decode()
        types = types.replace("</Types>", '<Default Extension="wmf" ContentType="image/x-wmf"/>'
                              "</Types>")
        parts["[Content_Types].xml"] = types.encode()
        parts["word/media/equation1.wmf"] = wmf_equation()
        return parts
    save_docx(d, path, add_wmf)


def csv_header(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Проценты"
    sheet.append(["Задание", "Верные"] + ["Вариант %d" % i for i in range(1, 13)])
    sheet.append(["Половина — это", 2, 0.25, 0.5, 0.75])
    for col in "CDE":
        sheet[col + "2"].number_format = "0%"
    sheet.append(["Пи с двумя знаками", "1", 3.14159, 3.15])
    sheet["C3"].number_format = "0.00"
    sheet["D3"].number_format = "0.00"
    sheet.append(["Сумма 0,1 и 0,2", 1, 0.1 + 0.2, 0.4])
    sheet.append(["День знаний", 1, datetime.date(2024, 9, 1), datetime.date(2024, 9, 2)])
    sheet["C5"].number_format = "mm-dd-yy"  # built-in 14: a Russian locale shows ДД.ММ.ГГГГ
    sheet["D5"].number_format = "mm-dd-yy"
    sheet.append(["Миллион", "1 2", 1000000, 1e6, 12345678.9])
    sheet["D6"].number_format = "#,##0"
    sheet.append(["Неверный номер", 5, "а", "б"])
    save_xlsx(book, path)


def answer_header(path):
    book = openpyxl.Workbook()
    first = book.active
    first.title = "Литература"
    first.append(["Вопрос", "Ответ", "Варианты"])
    first.append(["Автор «Евгения Онегина»", "Пушкин", "Лермонтов; Пушкин; Гоголь"])
    first.append(["RICHTEXT", "Б", "Толстой; Достоевский"])
    first.append(["Год рождения Пушкина", 1799, "1799; 1812"])
    second = book.create_sheet("Русский язык")
    second.append(["Вопрос", "Ответ", "Варианты"])
    second.append(["Сколько падежей?", "6", "5; 6; 7"])
    second.append(["Пустой ответ", None, "а; б"])
    book.create_sheet("Лист3")  # empty: passed over

    def shared(parts):
        # This openpyxl writes strings inline: they are moved into a shared-strings part, as a
        # spreadsheet program writes them, one of them in rich text runs (mixed formatting) with
        # a phonetic run that is no part of the text.
        strings = []

        def take(match):
            text = match.group(2)
            if text not in strings:
                strings.append(text)
            return '<c r="%s" t="s"><v>%d</v></c>' % (match.group(1), strings.index(text))
        for name in list(parts):
            if name.startswith("xl/worksheets/"):
                parts[name] = re.sub(r'<c r="([A-Z]+[0-9]+)" t="inlineStr"><is><t[^>]*>(.*?)'
                                     r'</t></is></c>', take, parts[name].decode()).encode()
        items = []
        for text in strings:
            if text == "RICHTEXT":
                items.append('<si><r><rPr><b/></rPr><t xml:space="preserve">Автор </t></r>'
                             '<r><t>«Преступления и наказания»</t></r>'
                             '<rPh sb="0" eb="1"><t>фонетика</t></rPh></si>')
            else:
                items.append("<si><t>%s</t></si>" % text)
        parts["xl/sharedStrings.xml"] = (
            '<?xml version="1.0" encoding="UTF-8"?>\n<sst xmlns="http://schemas.openxmlformats.org/'
            'spreadsheetml/2006/main" count="%d" uniqueCount="%d">%s</sst>'
            % (len(items), len(items), "".join(items))).encode()
        rels = parts["xl/_rels/workbook.xml.rels"].decode().replace(
            "</Relationships>", '<Relationship Type="http://schemas.openxmlformats.org/'
            'officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml" '
            'Id="rIdStrings"/></Relationships>')
        parts["xl/_rels/workbook.xml.rels"] = rels.encode()
        types = parts["[Content_Types].xml"].decode().replace(
            "</Types>", '<Override PartName="/xl/sharedStrings.xml" ContentType="application/'
            'vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml"/></Types>')
        parts["[Content_Types].xml"] = types.encode()
        return parts
    save_xlsx(book, path, shared)


def bad_header(path):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "Данные"
    sheet.append(["Фамилия", "Оценка"])
    sheet.append(["Иванов", 5])
    save_xlsx(book, path)


FIXTURES = {
    "markup.docx": markup,
    "table.docx": table,
    "numbered.docx": numbered,
    "word_numbering.docx": word_numbering,
    "media.docx": media,
    "csv_header.xlsx": csv_header,
    "answer_header.xlsx": answer_header,
    "bad_header.xlsx": bad_header,
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "tests", "bridge", "data", "office")
    os.makedirs(folder, exist_ok=True)
    for name, make in FIXTURES.items():
        make(os.path.join(folder, name))
    print("%d fixtures written to %s" % (len(FIXTURES), folder))


if __name__ == "__main__":
    main()
