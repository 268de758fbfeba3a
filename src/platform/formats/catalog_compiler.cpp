#include "platform/formats/catalog_compiler.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "platform/formats/big_endian.h"
#include "platform/formats/charset.h"
#include "platform/formats/iff.h"

namespace {

std::vector<std::string> SplitLines(const std::string &source)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < source.size()) {
        std::size_t end = source.find('\n', start);
        if (end == std::string::npos) {
            end = source.size();
        }
        std::string line = source.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Trim(const std::string &text)
{
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::string();
    }
    std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool EndsInContinuation(const std::string &line)
{
    std::size_t backslashes = 0;
    for (auto it = line.rbegin(); it != line.rend() && *it == '\\'; ++it) {
        ++backslashes;
    }
    return backslashes % 2 == 1;
}

// The text that starts at lines[*index]; lines ending in a backslash continue it.
std::string ReadText(const std::vector<std::string> &lines, std::size_t *index)
{
    std::string raw;
    for (;;) {
        const std::string &line = lines[*index];
        if (EndsInContinuation(line) && *index + 1 < lines.size()) {
            raw += line.substr(0, line.size() - 1);
            ++*index;
            continue;
        }
        raw += line;
        return ResolveEscapes(raw);
    }
}

bool IsLabelChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

std::string LineError(int line, const std::string &message)
{
    return "line " + std::to_string(line) + ": " + message;
}

// A number of the (ID/MINLEN/MAXLEN) part; empty is -1.
bool ParseNumber(const std::string &field, std::int64_t *value)
{
    std::string text = Trim(field);
    if (text.empty()) {
        *value = -1;
        return true;
    }
    char *end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, 0);
    if (end == nullptr || *end != '\0' || parsed < INT32_MIN || parsed > INT32_MAX) {
        return false;
    }
    *value = parsed;
    return true;
}

}  // namespace

std::string ResolveEscapes(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 >= text.size()) {
            out.push_back(c);
            continue;
        }
        char e = text[++i];
        switch (e) {
        // clang-format off
        case 'a': out.push_back('\a'); break;
        case 'b': out.push_back('\b'); break;
        case 'c': out.push_back(static_cast<char>(0x9B)); break;
        case 'e': out.push_back('\033'); break;
        case 'f': out.push_back('\f'); break;
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'v': out.push_back('\v'); break;
        // clang-format on
        case 'x': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && i + 1 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) != 0) {
                char h = static_cast<char>(std::tolower(static_cast<unsigned char>(text[++i])));
                value = value * 16 + (h <= '9' ? h - '0' : h - 'a' + 10);
                ++digits;
            }
            if (digits == 0) {
                out.push_back('x');
            } else {
                out.push_back(static_cast<char>(value));
            }
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                int value = e - '0';
                int digits = 1;
                while (digits < 3 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '7') {
                    value = value * 8 + (text[++i] - '0');
                    ++digits;
                }
                out.push_back(static_cast<char>(value & 0xFF));
            } else {
                out.push_back(e);  // \\, \", \' and any other character stand for themselves
            }
        }
    }
    return out;
}

bool ParseCatalogDescription(const std::string &source, CatalogDescription *out, std::string *error)
{
    *out = CatalogDescription{};
    std::vector<std::string> lines = SplitLines(source);
    std::int64_t previousId = -1;
    std::map<std::string, bool> seen;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        if (Trim(line).empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        int lineNumber = static_cast<int>(i) + 1;
        std::size_t labelEnd = 0;
        while (labelEnd < line.size() && IsLabelChar(line[labelEnd])) {
            ++labelEnd;
        }
        std::size_t open = line.find('(', labelEnd);
        std::size_t close = line.find(')', open == std::string::npos ? labelEnd : open);
        if (labelEnd == 0 || open == std::string::npos || close == std::string::npos ||
            !Trim(line.substr(labelEnd, open - labelEnd)).empty()) {
            *error = LineError(lineNumber, "expected LABEL (ID/MINLEN/MAXLEN)");
            return false;
        }
        std::string fields = line.substr(open + 1, close - open - 1);
        std::size_t slash1 = fields.find('/');
        std::size_t slash2 = slash1 == std::string::npos ? std::string::npos : fields.find('/', slash1 + 1);
        if (slash2 == std::string::npos) {
            *error = LineError(lineNumber, "expected (ID/MINLEN/MAXLEN)");
            return false;
        }
        CatalogSourceEntry entry;
        entry.label = line.substr(0, labelEnd);
        entry.line = lineNumber;
        std::string idField = Trim(fields.substr(0, slash1));
        std::int64_t id = 0;
        std::int64_t minLength = 0;
        std::int64_t maxLength = 0;
        bool relative = !idField.empty() && idField[0] == '+';
        if (!ParseNumber(relative ? idField.substr(1) : idField, &id) ||
            !ParseNumber(fields.substr(slash1 + 1, slash2 - slash1 - 1), &minLength) ||
            !ParseNumber(fields.substr(slash2 + 1), &maxLength) || (relative && id < 0)) {
            *error = LineError(lineNumber, "bad number in (ID/MINLEN/MAXLEN)");
            return false;
        }
        if (idField.empty()) {
            id = previousId + 1;
        } else if (relative) {
            id = previousId + id;
        }
        if (id < 0 || id > INT32_MAX) {
            *error = LineError(lineNumber, "id out of range");
            return false;
        }
        if (seen.count(entry.label) != 0) {
            *error = LineError(lineNumber, "label " + entry.label + " given twice");
            return false;
        }
        seen[entry.label] = true;
        entry.id = static_cast<std::int32_t>(id);
        entry.minLength = static_cast<std::int32_t>(minLength);
        entry.maxLength = static_cast<std::int32_t>(maxLength);
        previousId = id;
        if (i + 1 >= lines.size()) {
            *error = LineError(lineNumber, "label " + entry.label + " has no text");
            return false;
        }
        ++i;
        entry.text = ReadText(lines, &i);
        out->entries.push_back(entry);
    }
    return true;
}

bool ParseCatalogTranslation(const std::string &source, CatalogTranslation *out, std::string *error)
{
    *out = CatalogTranslation{};
    std::vector<std::string> lines = SplitLines(source);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &line = lines[i];
        int lineNumber = static_cast<int>(i) + 1;
        if (line.rfind("##", 0) == 0) {
            std::string directive = Trim(line.substr(2));
            std::size_t space = directive.find_first_of(" \t");
            std::string name = directive.substr(0, space);
            std::string value = space == std::string::npos ? std::string() : Trim(directive.substr(space));
            if (name == "version") {
                out->version = value;
            } else if (name == "language") {
                out->language = value;
            } else if (name == "codeset") {
                std::int64_t codeset = 0;
                if (!ParseNumber(value, &codeset) || codeset < 0) {
                    *error = LineError(lineNumber, "bad codeset");
                    return false;
                }
                out->codeset = static_cast<std::uint32_t>(codeset);
            } else if (name == "chunk") {
                std::size_t gap = value.find_first_of(" \t");
                std::string id = value.substr(0, gap);
                if (id.size() != 4) {
                    *error = LineError(lineNumber, "a chunk id has four characters");
                    return false;
                }
                out->chunks.emplace_back(id, gap == std::string::npos ? std::string() : Trim(value.substr(gap)));
            }
            continue;  // other directives (rcsid, name, ...) change nothing in the catalog
        }
        if (line.empty() || line[0] == ';' || line[0] == '#') {
            continue;
        }
        std::string trimmed = Trim(line);
        if (trimmed.empty()) {
            continue;
        }
        // A label, in some sources followed by the description's (ID/MINLEN/MAXLEN).
        std::size_t labelEnd = 0;
        while (labelEnd < trimmed.size() && IsLabelChar(trimmed[labelEnd])) {
            ++labelEnd;
        }
        std::string rest = Trim(trimmed.substr(labelEnd));
        if (labelEnd == 0 || (!rest.empty() && rest[0] != '(')) {
            *error = LineError(lineNumber, "expected a label");
            return false;
        }
        std::string label = trimmed.substr(0, labelEnd);
        CatalogSourceEntry entry;
        entry.label = label;
        entry.line = lineNumber;
        if (i + 1 < lines.size()) {
            ++i;
            entry.text = ReadText(lines, &i);
        }
        out->entries.push_back(entry);
    }
    return true;
}

std::string BuildCatalog(const CatalogDescription &description, const CatalogTranslation &translation,
                         std::vector<std::string> *warnings)
{
    std::map<std::string, const CatalogSourceEntry *> originals;
    for (const CatalogSourceEntry &entry : description.entries) {
        originals[entry.label] = &entry;
    }
    std::map<std::string, const CatalogSourceEntry *> translated;
    for (const CatalogSourceEntry &entry : translation.entries) {
        if (originals.count(entry.label) == 0) {
            if (warnings != nullptr) {
                warnings->push_back(LineError(entry.line, "label " + entry.label + " is not in the description"));
            }
            continue;
        }
        translated.emplace(entry.label, &entry);  // the first translation of a label counts
    }

    std::vector<const CatalogSourceEntry *> order;
    for (const CatalogSourceEntry &entry : description.entries) {
        order.push_back(&entry);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const CatalogSourceEntry *a, const CatalogSourceEntry *b) { return a->id < b->id; });

    std::string strings;
    for (const CatalogSourceEntry *original : order) {
        auto found = translated.find(original->label);
        if (found == translated.end()) {
            continue;
        }
        const std::string &text = found->second->text;
        if (text == original->text) {
            continue;
        }
        auto length = static_cast<std::int32_t>(text.size());
        if (warnings != nullptr && ((original->minLength >= 0 && length < original->minLength) ||
                                    (original->maxLength > 0 && length > original->maxLength))) {
            warnings->push_back(
                LineError(found->second->line, "text of " + original->label + " is outside its length bounds"));
        }
        if (warnings != nullptr && translation.codeset == CODESET_UTF8 && !IsUtf8(text)) {
            warnings->push_back(LineError(found->second->line, "text of " + original->label + " is not UTF-8"));
        }
        std::string stored = text + '\0';
        PutBE32(strings, static_cast<std::uint32_t>(original->id));
        PutBE32(strings, static_cast<std::uint32_t>(stored.size()));
        strings += stored;
        while (strings.size() % 4 != 0) {
            strings.push_back('\0');
        }
    }

    if (warnings != nullptr && CodesetName(translation.codeset) == nullptr) {
        warnings->push_back("codeset " + std::to_string(translation.codeset) + " cannot be read back");
    }
    std::string body;
    if (!translation.version.empty()) {
        PutIffChunk(body, "FVER", translation.version + '\0');
    }
    PutIffChunk(body, "LANG", translation.language + '\0');
    for (const auto &chunk : translation.chunks) {
        PutIffChunk(body, chunk.first.c_str(), chunk.second + '\0');
    }
    std::string codeset;
    PutBE32(codeset, translation.codeset);
    codeset.resize(32, '\0');
    PutIffChunk(body, "CSET", codeset);
    PutIffChunk(body, "STRS", strings);

    return MakeIffForm("CTLG", body);
}

namespace {

// A C++ string literal of text: printable ASCII as it is, every other byte as a
// three-digit octal escape; the literal is split after each newline.
std::string CppLiteral(const std::string &text, const char *indent)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            out += "\\n\"";
            if (i + 1 < text.size()) {
                out += std::string("\n") + indent + "\"";
            } else {
                return out;
            }
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F && c != '?') {
            out += static_cast<char>(c);
        } else {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        }
    }
    return out + "\"";
}

}  // namespace

std::string BuildStringHeader(const CatalogDescription &description, const std::string &space)
{
    std::string out = "// Made by catcomp from the catalog description; not to be edited.\n"
                      "#pragma once\n\n#include <cstdint>\n\n";
    if (!space.empty()) {
        out += "namespace " + space + " {\n\n";
    }
    out += "enum : std::int32_t {\n";
    for (const CatalogSourceEntry &entry : description.entries) {
        out += "    " + entry.label + " = " + std::to_string(entry.id) + ",\n";
    }
    out += "};\n\nstruct StringEntry {\n    std::int32_t id;\n    const char *text;\n};\n\n";
    out += "constexpr int STRING_COUNT = " + std::to_string(description.entries.size()) + ";\n";
    out += "extern const StringEntry builtInStrings[STRING_COUNT];\n";
    if (!space.empty()) {
        out += "\n}  // namespace " + space + "\n";
    }
    return out;
}

std::string BuildStringTable(const CatalogDescription &description, const std::string &header, const std::string &space)
{
    std::string out = "// Made by catcomp from the catalog description; not to be edited.\n"
                      "#include \"" +
                      header + "\"\n\n";
    if (!space.empty()) {
        out += "namespace " + space + " {\n\n";
    }
    out += "const StringEntry builtInStrings[STRING_COUNT] = {\n";
    for (const CatalogSourceEntry &entry : description.entries) {
        out += "    {" + entry.label + ", " + CppLiteral(entry.text, "     ") + "},\n";
    }
    out += "};\n";
    if (!space.empty()) {
        out += "\n}  // namespace " + space + "\n";
    }
    return out;
}
