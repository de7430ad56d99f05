#include "cad/mtext.h"

#include <algorithm>

namespace tessaro {

std::vector<std::string> PlainMTextLines(std::string_view value) {
  std::vector<std::string> lines(1);
  const std::size_t n = value.size();
  const auto skipTo = [&](std::size_t from) {  // past the next ';', or to the end
    const std::size_t semicolon = value.find(';', from);
    return semicolon == std::string_view::npos ? n : semicolon + 1;
  };
  for (std::size_t i = 0; i < n;) {
    const char c = value[i];
    if (c == '{' || c == '}') {
      ++i;
      continue;
    }
    if (c == '^' && i + 1 < n) {
      const char next = value[i + 1];
      if (next == 'J') {
        lines.emplace_back();
      } else if (next == 'I') {
        lines.back() += ' ';
      } else if (next == ' ') {
        lines.back() += '^';
      } else {
        lines.back() += c;
        ++i;
        continue;
      }
      i += 2;
      continue;
    }
    if (c != '\\' || i + 1 >= n) {
      lines.back() += c;
      ++i;
      continue;
    }
    const char code = value[i + 1];
    switch (code) {
      case 'P':
      case 'X':
      case 'N':
        lines.emplace_back();
        i += 2;
        break;
      case '~':
        lines.back() += ' ';
        i += 2;
        break;
      case '\\':
      case '{':
      case '}':
        lines.back() += code;
        i += 2;
        break;
      case 'L': case 'l': case 'O': case 'o': case 'K': case 'k':
        i += 2;
        break;
      case 'f': case 'F': case 'H': case 'W': case 'Q': case 'T': case 'A': case 'C': case 'c': case 'p':
        i = skipTo(i + 2);
        break;
      case 'M':  // \M+nXXXX: a character of an Asian code page
        i = std::min(n, i + 8);
        lines.back() += '?';
        break;
      case 'S': {
        const std::size_t end = value.find(';', i + 2);
        const std::size_t stop = end == std::string_view::npos ? n : end;
        for (std::size_t k = i + 2; k < stop; ++k) {
          const char s = value[k];
          if (s == '^' || s == '#') {
            lines.back() += '/';
          } else if (s == '\\' && k + 1 < stop) {
            lines.back() += value[++k];
          } else {
            lines.back() += s;
          }
        }
        i = stop == n ? n : stop + 1;
        break;
      }
      default:
        lines.back() += code;  // an unknown code: keep its letter, as CAD programs show it
        i += 2;
        break;
    }
  }
  return lines;
}

}  // namespace tessaro
