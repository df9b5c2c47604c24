// Word's equations as Unicode linear text: each element a frame on a stack, its parts rendered
// when it ends, so nesting costs no recursion.
#include "bridge/omml_text.h"

#include <algorithm>
#include <initializer_list>

namespace bridge {

namespace {

bool OneOf(std::string_view s, std::initializer_list<std::string_view> names) {
  return std::find(names.begin(), names.end(), s) != names.end();
}

bool IsStructure(std::string_view n) {
  return OneOf(n, {"f", "sSup", "sSub", "sSubSup", "sPre", "rad", "nary", "d", "func", "acc",
                   "bar", "limLow", "limUpp", "groupChr", "box", "borderBox", "phant", "m", "mr",
                   "eqArr"});
}

// One code point: a combining accent can sit on it.
bool OneChar(std::string_view s) {
  if (s.empty()) return false;
  std::size_t n = 1;
  while (n < s.size() && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) ++n;
  return n == s.size();
}

}  // namespace

const std::string* OmmlText::Frame::Prop(std::string_view name) const {
  for (const auto& [n, v] : props)
    if (n == name) return &v;
  return nullptr;
}

void OmmlText::Start(const XmlElement& e) {
  std::string_view n = e.local;
  if (!stack_.empty() && stack_.back().kind == Kind::kProperty) {
    // A property's value goes to the structure it describes.
    if (OneOf(n, {"chr", "begChr", "endChr", "sepChr", "type", "degHide", "pos"})) {
      for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
        if (it->kind == Kind::kStructure) {
          it->props.emplace_back(std::string(n), std::string(e.Attr("val")));
          break;
        }
    }
    stack_.push_back(Frame{std::string(n), Kind::kProperty, {}, 0, {}, {}});
    return;
  }
  Kind kind = Kind::kContainer;
  if (n.size() > 2 && n.substr(n.size() - 2) == "Pr")
    kind = Kind::kProperty;
  else if (n == "t")
    kind = Kind::kText;
  else if (IsStructure(n))
    kind = Kind::kStructure;
  stack_.push_back(Frame{std::string(n), kind, {}, 0, {}, {}});
}

void OmmlText::Text(std::string_view text) {
  if (!stack_.empty() && stack_.back().kind == Kind::kText) stack_.back().content.text += text;
}

void OmmlText::Append(Frame* f, const tex::Piece& p) {
  if (p.text.empty()) return;
  if (f->pieces++ == 0)
    f->content = p;
  else
    f->content = tex::Plain(f->content.text + p.text);
}

void OmmlText::End(std::string_view) {
  if (stack_.empty()) return;
  Frame f = std::move(stack_.back());
  stack_.pop_back();
  tex::Piece piece;
  switch (f.kind) {
    case Kind::kProperty: return;
    case Kind::kText: piece = tex::Plain(f.content.text); break;
    case Kind::kStructure: piece = Render(f); break;
    case Kind::kContainer: piece = std::move(f.content); break;
  }
  if (stack_.empty()) {
    done_ = std::move(piece.text);
    return;
  }
  Frame& parent = stack_.back();
  if (parent.kind == Kind::kStructure)
    parent.args.emplace_back(std::move(f.local), std::move(piece));
  else if (parent.kind != Kind::kProperty)
    Append(&parent, piece);
}

std::string OmmlText::Take() {
  stack_.clear();
  return std::move(done_);
}

tex::Piece OmmlText::KeepAsText(const Frame& f) {
  // A matrix's rows apart by "; ", anything else's parts by a blank.
  std::string text;
  for (const auto& [name, piece] : f.args) {
    if (piece.text.empty()) continue;
    if (!text.empty()) text += f.local == "m" ? "; " : " ";
    text += piece.text;
  }
  if (f.local != "mr") kept.push_back(Kept{"m:" + f.local, text});
  return tex::Plain(text);
}

tex::Piece OmmlText::Render(const Frame& f) {
  auto arg = [&](std::string_view name) {
    for (const auto& [n, p] : f.args)
      if (n == name) return p;
    return tex::Piece{};
  };
  auto hidden = [&](std::string_view name) {
    const std::string* v = f.Prop(name);
    return v != nullptr && *v != "0" && *v != "off" && *v != "false";
  };
  const std::string& n = f.local;
  tex::Piece e = arg("e");
  if (n == "f") {
    // A stacked fraction without its bar (a binomial coefficient) is no division.
    const std::string* type = f.Prop("type");
    if (type != nullptr && *type == "noBar") return KeepAsText(f);
    return tex::Frac(arg("num"), arg("den"));
  }
  if (n == "sSup") return tex::Sup(e, arg("sup"));
  if (n == "sSub") return tex::Sub(e, arg("sub"));
  if (n == "sSubSup") return tex::SubSup(e, arg("sub"), arg("sup"));
  if (n == "sPre") {
    tex::Piece pre = tex::SubSup(tex::Piece{}, arg("sub"), arg("sup"));
    return tex::Plain(pre.text + e.text);
  }
  if (n == "rad") return tex::Sqrt(e, hidden("degHide") ? tex::Piece{} : arg("deg"));
  if (n == "nary") {
    const std::string* chr = f.Prop("chr");
    // Word's n-ary operator is an integral unless it names another.
    std::string op = chr != nullptr && !chr->empty() ? *chr : "\xE2\x88\xAB";
    return tex::NAry(op, arg("sub"), arg("sup"), e);
  }
  if (n == "d") {
    const std::string* b = f.Prop("begChr");
    const std::string* c = f.Prop("endChr");
    const std::string* s = f.Prop("sepChr");
    std::string text = b != nullptr ? *b : "(";
    bool first = true;
    for (const auto& [name, p] : f.args) {
      if (name != "e") continue;
      if (!first) text += s != nullptr ? *s : "|";
      text += p.text;
      first = false;
    }
    text += c != nullptr ? *c : ")";
    // Parentheses make one term of what they hold.
    return tex::Piece{text, b == nullptr || !b->empty()};
  }
  if (n == "func") {
    std::string name = arg("fName").text;
    std::string body = e.text;
    return tex::Plain(name + (body.empty() || body[0] == '(' ? "" : " ") + body);
  }
  if (n == "acc" || n == "bar") {
    // A combining mark over (or under) one character; a longer base keeps no mark.
    const std::string* chr = f.Prop("chr");
    const std::string* pos = f.Prop("pos");
    std::string mark = n == "acc" ? (chr != nullptr && !chr->empty() ? *chr : "\xCC\x82")
                       : pos != nullptr && *pos == "top" ? "\xCC\x85"
                                                         : "\xCC\xB2";
    if (!OneChar(e.text)) return KeepAsText(f);
    return tex::Piece{e.text + mark, true};
  }
  if (n == "limLow") return tex::Sub(e, arg("lim"));
  if (n == "limUpp") return tex::Sup(e, arg("lim"));
  if (n == "groupChr" || n == "box" || n == "borderBox" || n == "phant") return e;
  return KeepAsText(f);
}

}  // namespace bridge
