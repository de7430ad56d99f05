#include "cad/mtext_layout.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tessaro {
namespace {

struct Format {
  FontFace face;
  double height = 0.0;
  double widthFactor = 1.0;
  double oblique = 0.0;
  std::optional<std::int16_t> aci;
  std::optional<std::uint32_t> rgb;
};

// What a paragraph holds before wrapping: characters in a format, breakable spaces, tabs
// and stacked fractions.
struct Atom {
  enum Kind : std::uint8_t { Text, Space, Tab, Stack } kind = Text;
  std::string text;   // Text: the characters; Stack: the upper part
  std::string lower;  // Stack: the lower part
  char stackKind = '/';
  Format format;
  double width = 0.0;
};

std::optional<double> Number(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  (void)end;
  return value;
}

bool SameFormat(const Format& a, const Format& b) {
  return a.face == b.face && a.height == b.height && a.widthFactor == b.widthFactor && a.oblique == b.oblique &&
         a.aci == b.aci && a.rgb == b.rgb;
}

class Parser {
public:
  Parser(std::string_view value, const Format& base) : value_(value) { stack_.push_back(base); }

  std::vector<std::vector<Atom>> Paragraphs() {
    paragraphs_.emplace_back();
    const std::size_t n = value_.size();
    std::size_t i = 0;
    while (i < n) {
      const char c = value_[i];
      if (c == '{') {
        stack_.push_back(stack_.back());
        ++i;
      } else if (c == '}') {
        if (stack_.size() > 1) stack_.pop_back();
        ++i;
      } else if (c == '^' && i + 1 < n) {
        const char next = value_[i + 1];
        if (next == 'J') {
          paragraphs_.emplace_back();
        } else if (next == 'I') {
          Push(Atom::Tab, "");
        } else if (next == ' ') {
          Char("^");
        } else {
          Char("^");
          ++i;
          continue;
        }
        i += 2;
      } else if (c == '\t') {
        Push(Atom::Tab, "");
        ++i;
      } else if (c == ' ') {
        Push(Atom::Space, " ");
        ++i;
      } else if (c == '\\' && i + 1 < n) {
        i = Code(i);
      } else {
        Char(std::string_view(&value_[i], 1));
        ++i;
      }
    }
    return std::move(paragraphs_);
  }

private:
  // The value of a code up to its ';' (or the end), and where the text goes on.
  std::pair<std::string_view, std::size_t> Argument(std::size_t from) const {
    const std::size_t semicolon = value_.find(';', from);
    if (semicolon == std::string_view::npos) return {value_.substr(from), value_.size()};
    return {value_.substr(from, semicolon - from), semicolon + 1};
  }

  std::size_t Code(std::size_t i) {
    const char code = value_[i + 1];
    Format& f = stack_.back();
    switch (code) {
      case 'P': case 'X': case 'N':
        paragraphs_.emplace_back();
        return i + 2;
      case '~': Char(" "); return i + 2;
      case '\\': case '{': case '}': Char(std::string_view(&value_[i + 1], 1)); return i + 2;
      case 'L': case 'l': case 'O': case 'o': case 'K': case 'k': return i + 2;
      case 'f': case 'F': {
        const auto [arg, next] = Argument(i + 2);
        std::size_t bar = arg.find('|');
        // \F names a font file (a stroke font: the default face), \f a family.
        f.face = code == 'F' ? FaceOfFont(arg.substr(0, bar)) : FontFace{std::string(arg.substr(0, bar)), false, false};
        while (bar != std::string_view::npos) {
          const std::size_t end = arg.find('|', bar + 1);
          const std::string_view part = arg.substr(bar + 1, end == std::string_view::npos ? std::string_view::npos : end - bar - 1);
          if (part == "b1") f.face.bold = true;
          if (part == "i1") f.face.italic = true;
          bar = end;
        }
        return next;
      }
      case 'H': case 'W': case 'Q': {
        const auto [arg, next] = Argument(i + 2);
        const bool relative = !arg.empty() && (arg.back() == 'x' || arg.back() == 'X');
        const auto value = Number(relative ? arg.substr(0, arg.size() - 1) : arg);
        if (value && code == 'H' && *value > 0) f.height = relative ? f.height * *value : *value;
        if (value && code == 'W' && *value > 0) f.widthFactor = relative ? f.widthFactor * *value : *value;
        if (value && code == 'Q') f.oblique = *value;
        return next;
      }
      case 'C': {
        const auto [arg, next] = Argument(i + 2);
        if (const auto value = Number(arg); value && *value >= 0 && *value <= 256) {
          f.aci = static_cast<std::int16_t>(*value);
          f.rgb.reset();
        }
        return next;
      }
      case 'c': {
        const auto [arg, next] = Argument(i + 2);
        if (const auto value = Number(arg); value && *value >= 0 && *value <= 0xFFFFFF) {
          // Stored as 0xBBGGRR.
          const auto bgr = static_cast<std::uint32_t>(*value);
          f.rgb = ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
        }
        return next;
      }
      case 'T': case 'A': case 'p': return Argument(i + 2).second;
      case 'M': Char("?"); return std::min(value_.size(), i + 8);
      case 'S': {
        const auto [arg, next] = Argument(i + 2);
        Atom atom;
        atom.kind = Atom::Stack;
        atom.format = f;
        std::size_t split = std::string_view::npos;
        for (std::size_t k = 0; k < arg.size(); ++k) {
          if (arg[k] == '\\' && k + 1 < arg.size()) {
            ++k;
          } else if (arg[k] == '^' || arg[k] == '/' || arg[k] == '#') {
            split = k;
            break;
          }
        }
        const auto unescape = [](std::string_view s) {
          std::string out;
          for (std::size_t k = 0; k < s.size(); ++k) {
            if (s[k] == '\\' && k + 1 < s.size()) ++k;
            out += s[k];
          }
          return out;
        };
        atom.text = unescape(arg.substr(0, split));
        if (split != std::string_view::npos) {
          atom.stackKind = arg[split];
          atom.lower = unescape(arg.substr(split + 1));
        }
        paragraphs_.back().push_back(std::move(atom));
        return next;
      }
      default:
        Char(std::string_view(&value_[i + 1], 1));  // an unknown code: its letter, as CAD programs show it
        return i + 2;
    }
  }

  void Char(std::string_view c) {
    auto& atoms = paragraphs_.back();
    if (!atoms.empty() && atoms.back().kind == Atom::Text && SameFormat(atoms.back().format, stack_.back())) {
      atoms.back().text += c;
      return;
    }
    Push(Atom::Text, c);
  }

  void Push(Atom::Kind kind, std::string_view text) {
    Atom atom;
    atom.kind = kind;
    atom.text = std::string(text);
    atom.format = stack_.back();
    paragraphs_.back().push_back(std::move(atom));
  }

  std::string_view value_;
  std::vector<Format> stack_;
  std::vector<std::vector<Atom>> paragraphs_;
};

constexpr double kStackScale = 0.7;  // the height of a stacked fraction's parts

MTextRun RunOf(const Atom& atom, std::string text, double x, double rise, double scale) {
  MTextRun run;
  run.text = std::move(text);
  run.x = x;
  run.rise = rise;
  run.height = atom.format.height * scale;
  run.widthFactor = atom.format.widthFactor;
  run.oblique = atom.format.oblique;
  run.face = atom.format.face;
  run.aci = atom.format.aci;
  run.rgb = atom.format.rgb;
  return run;
}

}  // namespace

MTextLayout LayoutMText(const MTextGeometry& mtext, const FontFace& face, const TextMetrics& metrics) {
  Format base;
  base.face = face;
  base.height = mtext.height > 0 && std::isfinite(mtext.height) ? mtext.height : 1.0;
  Parser parser(mtext.value, base);
  std::vector<std::vector<Atom>> paragraphs = parser.Paragraphs();
  const double wrap = std::isfinite(mtext.width) && mtext.width > 0 ? mtext.width : 0.0;
  const double spacing = mtext.lineSpacing > 0 && std::isfinite(mtext.lineSpacing) ? mtext.lineSpacing : 1.0;
  const double tab = 4.0 * base.height;

  // Widths of every atom first.
  for (auto& atoms : paragraphs) {
    for (Atom& a : atoms) {
      const double scale = a.format.height * a.format.widthFactor;
      if (a.kind == Atom::Stack) {
        a.width = std::max(metrics.Advance(a.text, a.format.face), metrics.Advance(a.lower, a.format.face)) * scale *
                  (a.lower.empty() && a.stackKind == '/' ? 1.0 : kStackScale);
        if (a.stackKind == '#') a.width *= 2;
      } else if (a.kind != Atom::Tab) {
        a.width = metrics.Advance(a.text, a.format.face) * scale;
      }
    }
  }

  MTextLayout layout;
  double y = 0.0;  // the previous line's baseline
  for (const auto& atoms : paragraphs) {
    // Greedy wrapping at spaces: a word (the atoms between spaces) goes on the line when it
    // fits, or starts the next line; a word wider than the column stands alone.
    std::vector<std::vector<const Atom*>> lines(1);
    std::vector<double> spaces;  // the widths of the spaces kept, in order
    double lineWidth = 0.0, pendingSpace = 0.0;
    std::size_t i = 0;
    while (i < atoms.size()) {
      if (atoms[i].kind == Atom::Space) {
        pendingSpace += atoms[i].width;
        ++i;
        continue;
      }
      std::size_t end = i;
      double word = 0.0;
      while (end < atoms.size() && atoms[end].kind != Atom::Space) {
        word += atoms[end].kind == Atom::Tab ? tab : atoms[end].width;
        ++end;
      }
      if (wrap > 0 && !lines.back().empty() && lineWidth + pendingSpace + word > wrap * 1.0001) {
        lines.emplace_back();
        lineWidth = 0.0;
        pendingSpace = 0.0;
      }
      if (!lines.back().empty() && pendingSpace > 0) {
        lines.back().push_back(nullptr);  // a space of the pending width
        spaces.push_back(pendingSpace);
      }
      lineWidth += pendingSpace + word;
      pendingSpace = 0.0;
      for (std::size_t k = i; k < end; ++k) lines.back().push_back(&atoms[k]);
      i = end;
    }
    std::size_t space = 0;
    for (const auto& line : lines) {
      MTextLine out;
      double x = 0.0, tallest = 0.0;
      bool spaceBefore = false;
      const Atom* lastText = nullptr;  // the atom whose run is last in `out`, when a text
      for (const Atom* a : line) {
        if (!a) {
          x += spaces[space++];
          spaceBefore = true;
          continue;
        }
        // Text on in the same format after a space goes into the same run: one text to draw.
        if (a->kind == Atom::Text && lastText && SameFormat(lastText->format, a->format)) {
          out.runs.back().text += (spaceBefore ? " " : "") + a->text;
          x += a->width;
          spaceBefore = false;
          continue;
        }
        spaceBefore = false;
        lastText = a->kind == Atom::Text ? a : nullptr;
        tallest = std::max(tallest, a->format.height);
        switch (a->kind) {
          case Atom::Tab: x = (std::floor(x / tab + 1e-9) + 1) * tab; break;
          case Atom::Text:
            out.runs.push_back(RunOf(*a, a->text, x, 0.0, 1.0));
            x += a->width;
            break;
          case Atom::Stack: {
            const double h = a->format.height;
            if (a->lower.empty() && a->stackKind == '/') {
              out.runs.push_back(RunOf(*a, a->text, x, 0.0, 1.0));
            } else if (a->stackKind == '#') {
              out.runs.push_back(RunOf(*a, a->text, x, h * 0.45, kStackScale));
              out.runs.push_back(RunOf(*a, "/", x + a->width * 0.4, 0.0, 1.0));
              out.runs.push_back(RunOf(*a, a->lower, x + a->width * 0.55, -h * 0.1, kStackScale));
            } else {
              out.runs.push_back(RunOf(*a, a->text, x, h * 0.6, kStackScale));
              out.runs.push_back(RunOf(*a, a->lower, x, -h * 0.35, kStackScale));
              if (a->stackKind == '/') out.rules.push_back({x, x + a->width, h * 0.45});
            }
            x += a->width;
            break;
          }
          case Atom::Space: break;
        }
      }
      if (tallest == 0.0) tallest = base.height;
      out.width = x;
      // CAD programs step 5/3 of the text height from baseline to baseline; the first line
      // hangs its cap height below the top.
      y += layout.lines.empty() ? tallest : tallest * (5.0 / 3.0) * spacing;
      out.baseline = y;
      layout.width = std::max(layout.width, x);
      layout.lines.push_back(std::move(out));
    }
  }
  layout.height = y;
  return layout;
}

}  // namespace tessaro
