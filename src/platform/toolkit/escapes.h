// The toolkit's text escapes (ESC c/l/r alignment, b bold, u underline, i italic,
// n plain) in texts of UTF-8.
#pragma once

#include <Qt>

#include <string>

class QString;

namespace toolkit {

// The text as rich text: escapes rendered, every other character HTML-escaped.
QString EscapesToHtml(const std::string &text);
// The text with its escapes removed.
QString StripEscapes(const std::string &text);
// True when the text holds a style escape (b, u, i) that plain text cannot show.
bool HasStyleEscapes(const std::string &text);
// The alignment the text's first alignment escape (ESC c, l, r) asks for, else fallback.
Qt::Alignment EscapeAlignment(const std::string &text, Qt::Alignment fallback);

}  // namespace toolkit
