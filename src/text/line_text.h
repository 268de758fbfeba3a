// Texts from files made safe for a terminal and for line-based output.
#pragma once

#include <string>
#include <string_view>

// text (UTF-8) with its control characters escaped: C0 and DEL as \xNN (newline,
// tab and carriage return as \n, \t, \r), C1 (U+0080 to U+009F) as \xNN with the
// code point, and a backslash doubled, so that no name can end a line, move the
// cursor or pose as another text.
std::string LineText(std::string_view text);

// A text from an icon (ISO-8859-1) as LineText gives it.
std::string Latin1LineText(std::string_view text);

// A name from the file system (bytes) as UTF-8: as it is when it is UTF-8, else
// each byte as its ISO-8859-1 character.
std::string FileNameText(std::string_view name);
