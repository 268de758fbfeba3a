// Requesters: the body formatted from its arguments, the text escapes rendered
// as rich text, a modal message box with the given buttons.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

namespace {

constexpr char kEsc = '\033';
constexpr std::size_t kMaxBody = 16384;  // bytes of a formatted requester body

MuiRequestHook requestHook;

struct Token {
    enum Type { Char, Align, Bold, Underline, Italic, Plain, Newline } type;
    char c = 0;
    Qt::Alignment align = Qt::AlignLeft;
};

// Splits a text into characters and escapes. ESC - makes the rest literal;
// unknown escapes, pens (ESC digit) and images (ESC I[...], ESC P[...]) show nothing.
std::vector<Token> Tokenize(const std::string &text)
{
    std::vector<Token> tokens;
    bool literal = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n') {
            tokens.push_back({Token::Newline});
            continue;
        }
        if (c != kEsc || literal) {
            tokens.push_back({Token::Char, c});
            continue;
        }
        if (i + 1 >= text.size()) {
            break;
        }
        const char code = text[++i];
        switch (code) {
        case 'c':
            tokens.push_back({Token::Align, 0, Qt::AlignHCenter});
            break;
        case 'l':
            tokens.push_back({Token::Align, 0, Qt::AlignLeft});
            break;
        case 'r':
            tokens.push_back({Token::Align, 0, Qt::AlignRight});
            break;
        case 'b':
            tokens.push_back({Token::Bold});
            break;
        case 'u':
            tokens.push_back({Token::Underline});
            break;
        case 'i':
            tokens.push_back({Token::Italic});
            break;
        case 'n':
            tokens.push_back({Token::Plain});
            break;
        case '-':
            literal = true;
            break;
        case 'I':
        case 'P':
        case 'O':
            if (i + 1 < text.size() && text[i + 1] == '[') {
                const std::size_t end = text.find(']', i + 1);
                i = end == std::string::npos ? text.size() : end;
            }
            break;
        case '\n':
            tokens.push_back({Token::Newline});
            break;
        default:
            break;
        }
    }
    return tokens;
}

const char *AlignName(Qt::Alignment align)
{
    if (align & Qt::AlignHCenter) {
        return "center";
    }
    if (align & Qt::AlignRight) {
        return "right";
    }
    return "left";
}

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

QString EscapesToHtml(const std::string &text)
{
    const std::vector<Token> tokens = Tokenize(text);
    QString html;
    std::vector<const char *> open;  // style tags open, in order
    Qt::Alignment align = Qt::AlignLeft;
    std::size_t i = 0;
    while (true) {
        // The line's alignment: the last alignment escape on it, else the one in force.
        std::size_t end = i;
        while (end < tokens.size() && tokens[end].type != Token::Newline) {
            if (tokens[end].type == Token::Align) {
                align = tokens[end].align;
            }
            ++end;
        }
        html +=
            QStringLiteral("<div align=\"%1\" style=\"white-space:pre-wrap\">").arg(QLatin1String(AlignName(align)));
        for (const char *tag : open) {
            html += QStringLiteral("<%1>").arg(QLatin1String(tag));
        }
        std::string line;  // UTF-8
        auto flush = [&] {
            html += FromUtf8(line).toHtmlEscaped();
            line.clear();
        };
        bool empty = true;
        for (std::size_t k = i; k < end; ++k) {
            const Token &t = tokens[k];
            const char *tag = t.type == Token::Bold        ? "b"
                              : t.type == Token::Underline ? "u"
                              : t.type == Token::Italic    ? "i"
                                                           : nullptr;
            if (t.type == Token::Char) {
                line += t.c;
                empty = false;
            } else if (tag != nullptr) {
                if (std::find_if(open.begin(), open.end(), [&](const char *o) { return std::strcmp(o, tag) == 0; }) ==
                    open.end()) {
                    flush();
                    open.push_back(tag);
                    html += QStringLiteral("<%1>").arg(QLatin1String(tag));
                }
            } else if (t.type == Token::Plain) {
                flush();
                while (!open.empty()) {
                    html += QStringLiteral("</%1>").arg(QLatin1String(open.back()));
                    open.pop_back();
                }
            }
        }
        flush();
        if (empty) {
            html += QStringLiteral("&nbsp;");
        }
        for (auto tag = open.rbegin(); tag != open.rend(); ++tag) {
            html += QStringLiteral("</%1>").arg(QLatin1String(*tag));
        }
        html += QStringLiteral("</div>");
        if (end >= tokens.size()) {
            break;
        }
        i = end + 1;
    }
    return html;
}

QString StripEscapes(const std::string &text)
{
    std::string plain;
    for (const Token &t : Tokenize(text)) {
        if (t.type == Token::Char) {
            plain += t.c;
        } else if (t.type == Token::Newline) {
            plain += '\n';
        }
    }
    return FromUtf8(plain);
}

bool HasStyleEscapes(const std::string &text)
{
    for (const Token &t : Tokenize(text)) {
        if (t.type == Token::Bold || t.type == Token::Underline || t.type == Token::Italic) {
            return true;
        }
    }
    return false;
}

Qt::Alignment EscapeAlignment(const std::string &text, Qt::Alignment fallback)
{
    for (const Token &t : Tokenize(text)) {
        if (t.type == Token::Align) {
            return t.align;
        }
    }
    return fallback;
}

}  // namespace toolkit

using namespace toolkit;

int MUI_RequestArgs(Object *app, Object *window, std::uint32_t, const char *title, const char *buttons,
                    const char *format, const IPTR *args, std::size_t argCount)
{
    const std::string body = FormatArgs(format != nullptr ? format : "", args, argCount);
    std::string heading = title != nullptr ? title : "";
    if (title == nullptr && app != nullptr && IsLiveObject(app)) {
        heading = ApplicationText(app, MUIA_Application_Title);
    }
    if (requestHook) {
        return requestHook(heading.c_str(), body.c_str());
    }
    if (!HaveQApplication()) {
        std::fprintf(stderr, "%s: %s\n", heading.c_str(), StripEscapes(body).toLocal8Bit().constData());
        return 0;
    }

    // The buttons, left to right; '*' marks the default one.
    std::vector<std::string> labels;
    int defaultButton = 0;
    const std::string all = buttons != nullptr && buttons[0] != '\0' ? buttons : "OK";
    std::size_t start = 0;
    while (labels.size() < 32) {
        const std::size_t bar = all.find('|', start);
        std::string label = all.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (!label.empty() && label[0] == '*') {
            label.erase(0, 1);
            defaultButton = int(labels.size());
        }
        labels.push_back(label);
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }

    QWidget *parent = nullptr;
    if (window != nullptr && IsLiveObject(window) && window->kind == Kind::Window && As<Window>(window)->open) {
        parent = window->widget;
    }
    QMessageBox box(parent);
    box.setWindowTitle(FromUtf8(heading));
    box.setTextFormat(Qt::RichText);
    box.setText(EscapesToHtml(body));
    box.setIcon(QMessageBox::NoIcon);
    std::vector<QPushButton *> pushButtons;
    for (const std::string &label : labels) {
        pushButtons.push_back(
            box.addButton(FromUtf8(label).replace(QLatin1Char('&'), QLatin1String("&&")), QMessageBox::AcceptRole));
    }
    box.setDefaultButton(pushButtons[std::size_t(defaultButton)]);
    box.setEscapeButton(pushButtons.back());
    box.exec();
    // The toolkit counts the buttons 1, 2, ... from the left, and the last one 0.
    for (std::size_t i = 0; i < pushButtons.size(); ++i) {
        if (box.clickedButton() == pushButtons[i]) {
            return i + 1 == pushButtons.size() ? 0 : int(i + 1);
        }
    }
    return 0;
}

int MUI_RequestA(Object *app, Object *window, std::uint32_t flags, const char *title, const char *buttons,
                 const char *format, const IPTR *args)
{
    // The caller guarantees an argument for each conversion.
    return MUI_RequestArgs(app, window, flags, title, buttons, format, args, SIZE_MAX);
}

void MUI_SetRequestHook(MuiRequestHook hook)
{
    requestHook = std::move(hook);
}
