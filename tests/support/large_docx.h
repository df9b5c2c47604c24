// A large Word document as Word writes one: every paragraph with its revision ids, fonts and
// sizes, numbered questions, lettered answers with the right one bold, and pictures pasted in
// (pixels of noise, incompressible as photographs are). For the benchmark and the peak-memory test.
#pragma once

#include <cstdint>
#include <string>

#include "bridge/zip_archive.h"

namespace testsupport {

inline std::string WordParagraph(const std::string& text, bool bold = false) {
  return "<w:p w:rsidR=\"00A1B2C3\" w:rsidRDefault=\"00A1B2C3\" w:rsidP=\"00D4E5F6\"><w:pPr>"
         "<w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/><w:jc w:val=\"both\"/>"
         "</w:pPr><w:r w:rsidRPr=\"00D4E5F6\"><w:rPr><w:rFonts w:ascii=\"Times New Roman\" "
         "w:hAnsi=\"Times New Roman\" w:cs=\"Times New Roman\"/>" +
         std::string(bold ? "<w:b/><w:bCs/>" : "") +
         "<w:sz w:val=\"28\"/><w:szCs w:val=\"28\"/></w:rPr><w:t xml:space=\"preserve\">" + text +
         "</w:t></w:r></w:p>";
}

// A 24-bit BMP of about `bytes` bytes whose pixels are noise: a real picture the import decodes,
// as incompressible as a photograph.
inline std::string NoisePicture(std::size_t bytes, std::uint64_t* state) {
  std::uint32_t side = 1;
  while ((side + 1) * (side + 1) * 3 + 54 <= bytes) ++side;
  std::uint32_t row = (side * 3 + 3) / 4 * 4;
  std::uint32_t size = 54 + row * side;
  std::string out(size, '\0');
  auto put = [&](std::size_t at, std::uint32_t v, int n) {
    for (int k = 0; k < n; ++k) out[at + static_cast<std::size_t>(k)] = static_cast<char>(v >> (8 * k));
  };
  out[0] = 'B';
  out[1] = 'M';
  put(2, size, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, side, 4);
  put(22, side, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, row * side, 4);
  for (std::size_t i = 54; i < out.size(); ++i) {
    *state ^= *state << 13;
    *state ^= *state >> 7;
    *state ^= *state << 17;
    out[i] = static_cast<char>(*state);
  }
  return out;
}

// `questions` questions of four answers, a picture after every questions/pictures-th question.
inline std::string MakeLargeDocx(int questions, int pictures, std::size_t pictureBytes) {
  std::string body;
  body += WordParagraph("Итоговый тест по физике");
  int every = pictures > 0 ? questions / pictures : 0;
  int shown = 0;
  for (int i = 1; i <= questions; ++i) {
    std::string n = std::to_string(i);
    body += WordParagraph(n + ". Тело массой " + n +
                          " кг движется с ускорением 2 метра в секунду за секунду. Какова равнодействующая всех сил, "
                          "приложенных к телу, если трением можно пренебречь?");
    if (every > 0 && i % every == 0 && shown < pictures) {
      ++shown;
      body += "<w:p><w:r><w:drawing><wp:inline xmlns:wp=\"http://schemas.openxmlformats.org/"
              "drawingml/2006/wordprocessingDrawing\"><a:graphic xmlns:a=\"http://"
              "schemas.openxmlformats.org/drawingml/2006/main\"><a:graphicData><pic:pic "
              "xmlns:pic=\"http://schemas.openxmlformats.org/drawingml/2006/picture\"><pic:blipFill>"
              "<a:blip r:embed=\"rIdImg" + std::to_string(shown) +
              "\" xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"/>"
              "</pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>"
              "</w:p>";
    }
    body += WordParagraph("А) " + std::to_string(2 * i) + " Н", true);
    body += WordParagraph("Б) " + std::to_string(i) + " Н");
    body += WordParagraph("В) " + std::to_string(4 * i) + " Н");
    body += WordParagraph("Г) 0 Н");
  }
  bridge::ZipOutput zip;
  zip.Add("word/document.xml",
          "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n<w:document "
          "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"><w:body>" +
              body + "</w:body></w:document>");
  std::string rels =
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  std::uint64_t state = 88172645463325252ull;
  for (int k = 1; k <= shown; ++k) {
    std::string id = std::to_string(k);
    rels += "<Relationship Id=\"rIdImg" + id + "\" Type=\"http://schemas.openxmlformats.org/"
            "officeDocument/2006/relationships/image\" Target=\"media/image" + id + ".bmp\"/>";
    zip.Add("word/media/image" + id + ".bmp", NoisePicture(pictureBytes, &state));
  }
  zip.Add("word/_rels/document.xml.rels", rels + "</Relationships>");
  std::string bytes;
  zip.Finish(&bytes);
  return bytes;
}

}  // namespace testsupport
