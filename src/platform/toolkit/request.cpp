// MUI_Request: the body formatted printf-style from its arguments, within
// bounds, and shown by the requester engine with the text escapes rendered.
#include "platform/toolkit/request.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/toolkit/object.h"
#include "platform/toolkit/requester.h"

namespace toolkit {

namespace {

constexpr std::size_t kMaxBody = 16384;  // bytes of a formatted requester body

// One conversion of the format, read at fmt (after '%'); appends to out and
// returns the position after the conversion.
const char *FormatOne(const char *fmt, const IPTR *args, std::size_t count, std::size_t &next, std::string &out)
{
    auto take = [&]() -> IPTR { return next < count ? args[next++] : 0; };
    std::string spec = "%";
    while (*fmt != '\0' && std::strchr("-+ #0", *fmt) != nullptr) {
        spec += *fmt++;
    }
    auto number = [&](IPTR lowest) {
        if (*fmt == '*') {
            ++fmt;
            spec += std::to_string(std::clamp<IPTR>(take(), lowest, 1000));
            return;
        }
        int digits = 0;
        while (*fmt >= '0' && *fmt <= '9') {
            if (digits++ < 4) {  // widths beyond 9999 are cut
                spec += *fmt;
            }
            ++fmt;
        }
    };
    number(-1000);
    if (*fmt == '.') {
        spec += *fmt++;
        number(0);
    }
    bool wide = false;
    while (*fmt != '\0' && std::strchr("hlLjzt", *fmt) != nullptr) {
        wide |= *fmt != 'h';
        ++fmt;
    }
    const char conv = *fmt;
    if (conv == '\0') {
        return fmt;
    }
    ++fmt;
    char piece[12000];
    piece[0] = '\0';
    switch (conv) {
    case '%':
        out += '%';
        return fmt;
    case 's': {
        const char *text = reinterpret_cast<const char *>(take());
        std::snprintf(piece, sizeof piece, (spec + 's').c_str(), text != nullptr ? text : "");
        break;
    }
    case 'c':
        std::snprintf(piece, sizeof piece, (spec + 'c').c_str(), int(static_cast<unsigned char>(take())));
        break;
    case 'd':
    case 'i': {
        const IPTR v = take();
        const long long n = wide ? static_cast<long long>(v) : static_cast<long long>(static_cast<std::int32_t>(v));
        std::snprintf(piece, sizeof piece, (spec + "lld").c_str(), n);
        break;
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
        const IPTR v = take();
        const unsigned long long n =
            wide ? static_cast<unsigned long long>(v) : static_cast<unsigned long long>(static_cast<std::uint32_t>(v));
        std::snprintf(piece, sizeof piece, (spec + "ll" + conv).c_str(), n);
        break;
    }
    case 'p':
        std::snprintf(piece, sizeof piece, "%#llx", static_cast<unsigned long long>(take()));
        break;
    default:
        // Not a conversion: shown as written.
        out += spec;
        out += conv;
        return fmt;
    }
    out += piece;
    return fmt;
}

}  // namespace

std::string FormatArgs(const char *format, const IPTR *args, std::size_t count)
{
    std::string out;
    if (format == nullptr) {
        return out;
    }
    if (args == nullptr) {
        count = 0;
    }
    std::size_t next = 0;
    const char *p = format;
    while (*p != '\0' && out.size() < kMaxBody) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        p = FormatOne(p + 1, args, count, next, out);
    }
    if (out.size() > kMaxBody) {
        out.resize(kMaxBody);
    }
    return out;
}
}  // namespace toolkit

int MUI_RequestArgs(Object *app, Object *window, std::uint32_t, const char *title, const char *buttons,
                    const char *format, const IPTR *args, std::size_t argCount)
{
    using namespace toolkit;
    const std::string body = FormatArgs(format, args, argCount);
    std::string heading = title != nullptr ? title : "";
    if (title == nullptr && app != nullptr && IsLiveObject(app)) {
        heading = TextAttr(app, MUIA_Application_Title);
    }
    return ShowRequester(window, heading, body, buttons != nullptr ? buttons : "", RequestText::Escapes);
}
