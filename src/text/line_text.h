// Texts from files made safe for a terminal and for line-based output.
#pragma once

#include <string>
#include <string_view>

// text (UTF-8) with its control characters escaped: C0 and DEL as \xNN (newline,
// tab and carriage return as \n, \t, \r), C1 (U+0080 to U+009F) as \xNN with the
// code point, each byte that is no part of UTF-8 as \xNN, and a backslash doubled,
// so that no name can end a line, move the cursor or pose as another text.
std::string LineText(std::string_view text);

// A text from an icon (ISO-8859-1) as LineText gives it.
std::string Latin1LineText(std::string_view text);

// A path (the file system's bytes) as UTF-8 without loss, for JSON: its UTF-8 as
// it is, each byte that is no part of UTF-8 as \xNN, a backslash doubled.
std::string PathText(std::string_view path);

// A path as a line holds it: as PathText, and each byte of a control character
// (C0, DEL, C1) as \xNN too (newline, tab and carriage return as \n, \t, \r), so
// that every \xNN is one byte of the path.
std::string PathLineText(std::string_view path);
