// The document's structure: its text decoded and split into lines, the
// commands in column 0, the nodes; and link targets and Amiga paths.
#include "platform/formats/amigaguide.h"

#include <algorithm>
#include <optional>
#include <span>

#include "platform/formats/amigaguide_internal.h"
#include "platform/formats/charset.h"

namespace {

// The bytes as UTF-8 text: as they are when they are UTF-8, else read as ISO-8859-1.
std::string DecodeText(std::span<const char> bytes, bool *latin1)
{
    const std::string_view view(bytes.data(), bytes.size());
    *latin1 = !IsUtf8(view);
    return *latin1 ? Latin1ToUtf8(view) : std::string(view);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && EqualNoCaseAscii(text.substr(0, prefix.size()), prefix);
}

bool IsSpace(char c)
{
    return c == ' ' || c == '\t';
}

// The lines of the text: split at LF, a CR before it dropped, lines longer
// than kGuideMaxLine split where a UTF-8 character starts.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(start, (end == std::string_view::npos ? text.size() : end) - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        while (line.size() > kGuideMaxLine) {
            std::size_t cut = kGuideMaxLine;
            while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) {
                --cut;
            }
            cut = cut == 0 ? kGuideMaxLine : cut;
            lines.push_back(line.substr(0, cut));
            line.remove_prefix(cut);
        }
        lines.push_back(line);
        start = next;
    }
    return lines;
}

// A command's text argument: a quoted text without its quotes, else the rest as written.
std::string Unquote(std::string_view rest)
{
    rest = TrimGuideSpace(rest);
    if (!rest.empty() && rest.front() == '"') {
        return std::string(NextGuideArg(&rest));
    }
    return std::string(rest);
}

// clang-format off
enum class Command {
    Database, Node, EndNode, Title, Toc, Next, Prev, Index, Help, Font, WordWrap, SmartWrap, Tab,
    Macro, OnOpen, OnClose, Author, Copyright, Version, Master, Ignored
};
// clang-format on

// A command by its name, letter case ignored.
Command FindCommand(std::string_view name)
{
    static constexpr struct {
        std::string_view name;
        Command command;
    } kTable[] = {
        {"database", Command::Database}, {"node", Command::Node},         {"endnode", Command::EndNode},
        {"title", Command::Title},       {"toc", Command::Toc},           {"next", Command::Next},
        {"prev", Command::Prev},         {"index", Command::Index},       {"help", Command::Help},
        {"font", Command::Font},         {"wordwrap", Command::WordWrap}, {"smartwrap", Command::SmartWrap},
        {"tab", Command::Tab},           {"macro", Command::Macro},       {"onopen", Command::OnOpen},
        {"onclose", Command::OnClose},   {"author", Command::Author},     {"(c)", Command::Copyright},
        {"$ver:", Command::Version},     {"master", Command::Master},
    };
    for (const auto &entry : kTable) {
        if (EqualNoCaseAscii(name, entry.name)) {
            return entry.command;
        }
    }
    return Command::Ignored;  // @rem, @remark and the commands this reader has no use for
}

// A node while the document is read: its text lines and what it sets itself.
struct SourceNode {
    std::vector<std::string_view> text;
    GuideMacros macros;
    std::optional<GuideWrap> wrap;
    std::optional<int> tabSize;
};

void SetFont(std::string_view rest, std::string *font, int *size)
{
    *font = std::string(NextGuideArg(&rest));
    *size = ParseGuideNumber(rest, 0, 999, 0);
}

// @macro NAME "BODY": the body without its quotes.
void SetMacro(std::string_view rest, GuideMacros *macros)
{
    std::string name = FoldUtf8Latin1(NextGuideArg(&rest));
    std::string_view body = TrimGuideSpace(rest);
    if (body.size() >= 2 && body.front() == '"' && body.back() == '"') {
        body = body.substr(1, body.size() - 2);
    }
    if (!name.empty()) {
        (*macros)[std::move(name)] = std::string(body);
    }
}

// A document's lines read in order: the commands in column 0 set the
// document's and the open node's attributes; other lines are the open node's text.
class Reader {
public:
    explicit Reader(GuideDocument *document) : document_(*document) {}

    void Line(std::string_view line)
    {
        if (line.empty() || line.front() != '@' || (line.size() > 1 && line[1] == '{')) {
            if (source_ != nullptr) {
                source_->text.push_back(line);
            }
            return;
        }
        std::string_view rest = line.substr(1);
        const std::size_t nameEnd = std::min(rest.find_first_of(" \t"), rest.size());
        const Command command = FindCommand(rest.substr(0, nameEnd));
        rest = TrimGuideSpace(rest.substr(nameEnd));
        if (command == Command::Node || command == Command::EndNode) {
            node_ = nullptr, source_ = nullptr;  // a stray @endnode closes nothing
            if (command == Command::Node) {
                OpenNode(rest);
            }
        } else if (node_ != nullptr) {
            NodeCommand(command, rest);
        } else {
            DocumentCommand(command, rest);
        }
    }

    // Each node's lines built, with what the document sets for nodes that set nothing themselves.
    void Finish()
    {
        GuideBudget budget;
        for (std::size_t i = 0; i < document_.nodes.size(); ++i) {
            GuideNode &node = document_.nodes[i];
            SourceNode &source = sources_[i];
            node.wrap = source.wrap.value_or(wrap_);
            node.tabSize = source.tabSize.value_or(tabSize_);
            if (node.font.empty()) {
                node.font = document_.font, node.fontSize = document_.fontSize;
            }
            BuildGuideLines(&node, source.text, source.macros, macros_, &budget);
            if (!node.name.empty()) {
                document_.nodeByName.emplace(FoldUtf8Latin1(node.name), static_cast<int>(i));
            }
        }
        document_.truncated = document_.truncated || budget.exhausted;
    }

private:
    void OpenNode(std::string_view rest)
    {
        if (document_.nodes.size() >= kGuideMaxNodes) {
            document_.truncated = true;
            return;
        }
        node_ = &document_.nodes.emplace_back();
        source_ = &sources_.emplace_back();
        node_->name = std::string(NextGuideArg(&rest));
        node_->title = Unquote(rest);
        if (node_->title.empty()) {
            node_->title = node_->name;
        }
    }

    // A command within a node: what a node sets itself goes to it, the rest to the document.
    void NodeCommand(Command command, std::string_view rest)
    {
        switch (command) {
        case Command::Title:
            node_->title = Unquote(rest);
            break;
        case Command::Toc:
            node_->toc = std::string(NextGuideArg(&rest));
            break;
        case Command::Next:
            node_->next = std::string(NextGuideArg(&rest));
            break;
        case Command::Prev:
            node_->prev = std::string(NextGuideArg(&rest));
            break;
        case Command::Index:
            node_->index = std::string(NextGuideArg(&rest));
            break;
        case Command::Help:
            node_->help = std::string(NextGuideArg(&rest));
            break;
        case Command::Font:
            SetFont(rest, &node_->font, &node_->fontSize);
            break;
        case Command::WordWrap:
            source_->wrap = GuideWrap::Word;
            break;
        case Command::SmartWrap:
            source_->wrap = GuideWrap::Smart;
            break;
        case Command::Tab:
            source_->tabSize = ParseGuideNumber(rest, 1, 32, kGuideDefaultTab);
            break;
        case Command::Macro:
            SetMacro(rest, &source_->macros);
            break;
        case Command::OnOpen:
            node_->onOpen = Unquote(rest);
            break;
        case Command::OnClose:
            node_->onClose = Unquote(rest);
            break;
        default:
            DocumentCommand(command, rest);
            break;
        }
    }

    void DocumentCommand(Command command, std::string_view rest)
    {
        switch (command) {
        case Command::Database:
            if (document_.database.empty()) {
                document_.database = Unquote(rest);
            }
            break;
        case Command::Toc:
            document_.toc = std::string(NextGuideArg(&rest));
            break;
        case Command::Index:
            document_.index = std::string(NextGuideArg(&rest));
            break;
        case Command::Help:
            document_.help = std::string(NextGuideArg(&rest));
            break;
        case Command::Font:
            SetFont(rest, &document_.font, &document_.fontSize);
            break;
        case Command::WordWrap:
            wrap_ = GuideWrap::Word;
            break;
        case Command::SmartWrap:
            wrap_ = GuideWrap::Smart;
            break;
        case Command::Tab:
            tabSize_ = ParseGuideNumber(rest, 1, 32, kGuideDefaultTab);
            break;
        case Command::Macro:
            SetMacro(rest, &macros_);
            break;
        case Command::OnOpen:
            document_.onOpen = Unquote(rest);
            break;
        case Command::OnClose:
            document_.onClose = Unquote(rest);
            break;
        case Command::Author:
            document_.author = Unquote(rest);
            break;
        case Command::Copyright:
            document_.copyright = Unquote(rest);
            break;
        case Command::Version:
            document_.version = std::string(rest);
            break;
        case Command::Master:
            document_.master = Unquote(rest);
            break;
        default:  // @title, @next and @prev outside a node, and the commands this reader has no use for
            break;
        }
    }

    GuideDocument &document_;
    std::vector<SourceNode> sources_;  // one for each node
    GuideMacros macros_;               // the document's own
    GuideWrap wrap_ = GuideWrap::Lines;
    int tabSize_ = kGuideDefaultTab;
    GuideNode *node_ = nullptr;  // the open node; text outside nodes is not shown
    SourceNode *source_ = nullptr;
};

}  // namespace

int ParseGuideNumber(std::string_view text, int least, int most, int otherwise)
{
    text = TrimGuideSpace(text);
    bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return otherwise;
    }
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min<long long>(value * 10 + (c - '0'), 1LL << 40);
    }
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, least, most));
}

std::string_view TrimGuideSpace(std::string_view text)
{
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view NextGuideArg(std::string_view *rest)
{
    std::string_view text = *rest;
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    std::string_view arg;
    if (!text.empty() && text.front() == '"') {
        std::size_t close = text.find('"', 1);
        std::size_t end = close == std::string_view::npos ? text.size() : close;
        arg = text.substr(1, end - 1);
        text.remove_prefix(close == std::string_view::npos ? text.size() : close + 1);
    } else {
        std::size_t end = 0;
        while (end < text.size() && !IsSpace(text[end])) {
            ++end;
        }
        arg = text.substr(0, end);
        text.remove_prefix(end);
    }
    *rest = text;
    return arg;
}

bool IsAmigaGuide(std::span<const char> bytes)
{
    std::string_view text(bytes.data(), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    constexpr std::string_view kMark = "@database";
    return StartsWithNoCase(text, kMark) && (text.size() == kMark.size() || IsSpace(text[kMark.size()]) ||
                                             text[kMark.size()] == '\r' || text[kMark.size()] == '\n');
}

bool ParseAmigaGuide(std::span<const char> bytes, GuideDocument *out)
{
    *out = GuideDocument();
    if (bytes.size() > kGuideMaxSize || !IsAmigaGuide(bytes)) {
        return false;
    }
    const std::string text = DecodeText(bytes, &out->latin1);
    std::string_view view = text;
    if (view.substr(0, 3) == "\xEF\xBB\xBF") {
        view.remove_prefix(3);
    }
    Reader reader(out);
    for (std::string_view line : SplitLines(view)) {
        reader.Line(line);
    }
    reader.Finish();
    return true;
}

int FindGuideNode(const GuideDocument &document, std::string_view name)
{
    auto found = document.nodeByName.find(FoldUtf8Latin1(name));
    return found == document.nodeByName.end() ? -1 : found->second;
}

void SplitGuideTarget(std::string_view target, std::string *file, std::string *node)
{
    std::size_t slash = target.rfind('/');
    if (slash != std::string_view::npos) {
        *file = std::string(target.substr(0, slash));
        *node = std::string(target.substr(slash + 1));
    } else if (target.find(':') != std::string_view::npos) {
        *file = std::string(target);
        node->clear();
    } else {
        file->clear();
        *node = std::string(target);
    }
}

GuidePath ResolveGuidePath(std::string_view folder, std::string_view amigaPath)
{
    GuidePath result;
    std::size_t colon = amigaPath.find(':');
    if (colon != std::string_view::npos) {
        result.volume = std::string(amigaPath.substr(0, colon));
        return result;
    }
    std::vector<std::string_view> parts;
    for (std::size_t start = 0; start < folder.size();) {
        std::size_t end = std::min(folder.find('/', start), folder.size());
        if (end > start) {
            parts.push_back(folder.substr(start, end - start));
        }
        start = end + 1;
    }
    auto up = [&parts] {
        if (!parts.empty()) {
            parts.pop_back();
        }
    };
    std::size_t i = 0;
    bool afterName = false;  // the next '/' only separates
    while (i < amigaPath.size()) {
        if (amigaPath[i] == '/') {
            if (!afterName) {
                up();
            }
            afterName = false;
            ++i;
            continue;
        }
        std::size_t end = std::min(amigaPath.find('/', i), amigaPath.size());
        std::string_view name = amigaPath.substr(i, end - i);
        if (name == "..") {
            up();
        } else if (name != ".") {
            parts.push_back(name);
        }
        afterName = true;
        i = end;
    }
    result.available = true;
    for (std::string_view part : parts) {
        result.path += '/';
        result.path += part;
    }
    if (result.path.empty()) {
        result.path += '/';
    }
    return result;
}

std::string GuideNodeText(const GuideNode &node)
{
    std::string text;
    for (const GuideLine &line : node.lines) {
        text.append(static_cast<std::size_t>(std::max(0, line.indent + line.firstIndent)), ' ');
        for (const GuideRun &run : line.runs) {
            text += run.text;
        }
        text += '\n';
    }
    return text;
}
