// Multi-line text content: DXF MTEXT values carry inline formatting (fonts, heights, colours,
// stacked fractions, paragraph breaks) that a plain painter does not draw; here it is reduced
// to the plain lines of text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tessaro {

// The plain lines of an MTEXT value: \P (and ^J) break lines; \f..; \F..; \H..; \W..; \Q..;
// \T..; \A..; \C..; \c..; \p..; and \L \l \O \o \K \k are dropped with their argument;
// braces group and are dropped; \~ is a blank, \\ \{ \} are the characters; a stack
// \Sa^b; or \Sa/b; or \Sa#b; becomes "a/b".
std::vector<std::string> PlainMTextLines(std::string_view value);

}  // namespace tessaro
