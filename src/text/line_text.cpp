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

}  // namespace

std::string LineText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (byte == '\n') {
            out += "\\n";
        } else if (byte == '\t') {
            out += "\\t";
        } else if (byte == '\r') {
            out += "\\r";
        } else if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7F) {
            AppendHex(out, byte);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            AppendHex(out, next);  // a C1 control in UTF-8
            ++i;
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

std::string FileNameText(std::string_view name)
{
    return IsUtf8(name) ? std::string(name) : Latin1ToUtf8(name);
}

std::string Latin1LineText(std::string_view text)
{
    return LineText(Latin1ToUtf8(text));
}
