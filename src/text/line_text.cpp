#include "text/line_text.h"

#include <cstdio>

#include "platform/formats/charset.h"

namespace {

void AppendHex(std::string &out, unsigned code)
{
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02x", code);
    out += hex;
}

enum class Controls {
    Kept,        // as they are (JSON escapes them itself)
    CodePoints,  // a C1 control as the \xNN of its code point
    Bytes,       // each byte of a control character as \xNN
};

// text with a backslash doubled, each byte that is no part of UTF-8 as \xNN, and
// control characters as controls says.
std::string Escape(std::string_view text, Controls controls)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t length = Utf8CharLength(text.substr(i));
        const auto next = length == 2 ? static_cast<unsigned char>(text[i + 1]) : 0u;
        const bool c1 = byte == 0xC2 && next >= 0x80 && next <= 0x9F;
        if (byte == '\\') {
            out += "\\\\";
        } else if (length == 0) {
            AppendHex(out, byte);
        } else if (controls == Controls::Kept || (length == 1 && byte >= 0x20 && byte != 0x7F) || (length > 1 && !c1)) {
            out.append(text, i, length);
        } else if (byte == '\n' || byte == '\t' || byte == '\r') {
            out += byte == '\n' ? "\\n" : byte == '\t' ? "\\t" : "\\r";
        } else if (c1 && controls == Controls::CodePoints) {
            AppendHex(out, next);
        } else {
            for (std::size_t k = 0; k < length; ++k) {
                AppendHex(out, static_cast<unsigned char>(text[i + k]));
            }
        }
        i += length == 0 ? 1 : length;
    }
    return out;
}

}  // namespace

std::string LineText(std::string_view text)
{
    return Escape(text, Controls::CodePoints);
}

std::string Latin1LineText(std::string_view text)
{
    return LineText(Latin1ToUtf8(text));
}

std::string PathText(std::string_view path)
{
    return Escape(path, Controls::Kept);
}

std::string PathLineText(std::string_view path)
{
    return Escape(path, Controls::Bytes);
}
