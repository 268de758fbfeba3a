// The toolkit's text escapes: ESC c/l/r alignment, b bold, u underline, i
// italic, n plain, ESC - the rest literal; pens and images show nothing.
#include "platform/toolkit/escapes.h"

#include <QString>

#include <algorithm>
#include <cstring>
#include <vector>

namespace toolkit {

namespace {

constexpr char kEsc = '\033';

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

}  // namespace

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
            html += QString::fromStdString(line).toHtmlEscaped();
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
    std::string plain;  // UTF-8
    for (const Token &t : Tokenize(text)) {
        if (t.type == Token::Char) {
            plain += t.c;
        } else if (t.type == Token::Newline) {
            plain += '\n';
        }
    }
    return QString::fromStdString(plain);
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
