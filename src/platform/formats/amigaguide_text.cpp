// A node's text: inline markup into lines of styled runs and links, the
// wrapping modes, and macros expanded within bounds.
#include <algorithm>

#include "platform/formats/amigaguide_internal.h"
#include "platform/formats/charset.h"

namespace {

GuidePen PenByName(std::string_view name)
{
    static const struct {
        std::string_view name;
        GuidePen pen;
    } pens[] = {
        {"text", GuidePen::Text},           {"shine", GuidePen::Shine},       {"shadow", GuidePen::Shadow},
        {"fill", GuidePen::Fill},           {"filltext", GuidePen::FillText}, {"background", GuidePen::Background},
        {"highlight", GuidePen::Highlight},
    };
    for (const auto &entry : pens) {
        if (EqualNoCaseAscii(name, entry.name)) {
            return entry.pen;
        }
    }
    return GuidePen::None;
}

// Where the inline commands of a text end: the '}' that closes a command whose
// body starts at a place, outside quoted text (which may hold '}'), is the
// first '}' after it with as many quotes, counted in twos, before both. Asked
// for places in increasing order, it reads the text no more than a few times
// in all, so that a line of unclosed commands costs no more than its length.
class Closes {
public:
    explicit Closes(std::string_view text) : text_(text), nextQuote_(text.find('"')) {}

    std::size_t After(std::size_t from)
    {
        while (nextQuote_ < from) {
            quoted_ = !quoted_;
            nextQuote_ = text_.find('"', nextQuote_ + 1);
        }
        std::size_t &close = close_[quoted_];
        if (close == kUnknown || (close != kNone && close < from)) {
            close = kNone;
            bool quoted = quoted_;  // the parity of the quotes before k
            std::size_t quote = nextQuote_;
            for (std::size_t k = text_.find('}', from); k != kNone; k = text_.find('}', k + 1)) {
                for (; quote < k; quote = text_.find('"', quote + 1)) {
                    quoted = !quoted;
                }
                if (quoted == quoted_) {
                    close = k;
                    break;
                }
            }
        }
        return close;
    }

private:
    static constexpr std::size_t kNone = std::string_view::npos, kUnknown = kNone - 1;
    std::string_view text_;
    std::size_t nextQuote_;  // the first quote at or after the last place asked for
    bool quoted_ = false;    // the parity of the quotes before it
    // For each parity: the close found for the last place asked for, kNone, or kUnknown.
    std::size_t close_[2] = {kUnknown, kUnknown};
};

class LineBuilder {
public:
    LineBuilder(GuideNode *node, const GuideMacros &nodeMacros, const GuideMacros &documentMacros, GuideBudget *budget)
        : node_(node), nodeMacros_(nodeMacros), documentMacros_(documentMacros), budget_(budget)
    {
    }

    void Build(const std::vector<std::string_view> &text)
    {
        for (std::size_t i = 0; i < text.size() && !full_; ++i) {
            source_ = static_cast<int>(i);
            lineLeft_ = kGuideMaxLineExpansion;
            std::string_view line = text[i];
            mode_ = code_ ? GuideWrap::Lines : node_->wrap;
            if (mode_ != GuideWrap::Smart) {
                Open(false);
                Inline(line, 0);
                DropBreak();  // a break at the end of the line breaks it once
                Close();
            } else if (TrimGuideSpace(line).empty()) {
                DropBreak();
                Open(false);
                Close();
            } else if (open_) {
                // A paragraph goes on: the line joins it after one space.
                line.remove_prefix(std::min(line.find_first_not_of(" \t"), line.size()));
                const std::vector<GuideRun> &runs = Current().runs;
                if (!runs.empty() && !runs.back().text.empty() && runs.back().text.back() != ' ') {
                    Append(" ", -1);
                }
                Inline(line, 0);
            } else {
                Open(false);
                const std::size_t opened = node_->lines.size();
                Inline(line, 0);
                if (open_ && node_->lines.size() == opened && Current().runs.empty()) {
                    node_->lines.pop_back();  // a line of commands alone starts no paragraph
                    open_ = false;
                }
            }
        }
        DropBreak();
        Close();
    }

private:
    GuideLine &Current() { return node_->lines.back(); }

    // Leaves out the open line when a break opened it and nothing followed.
    void DropBreak()
    {
        if (open_ && openedByBreak_ && Current().runs.empty()) {
            node_->lines.pop_back();
            open_ = false;
        }
    }

    void Open(bool byBreak)
    {
        Close();
        if (node_->lines.size() >= kGuideMaxNodeLines) {
            full_ = budget_->exhausted = true;
            return;
        }
        GuideLine &line = node_->lines.emplace_back();
        line.source = source_;
        line.wrap = mode_ != GuideWrap::Lines;
        open_ = true;
        openedByBreak_ = byBreak;
    }

    // The line takes the indents and alignment in force when it ends.
    void Close()
    {
        if (!open_) {
            return;
        }
        GuideLine &line = Current();
        line.indent = indent_;
        line.firstIndent = firstIndent_;
        line.align = align_;
        open_ = false;
    }

    // Text in the current style; control characters other than tabs are left out.
    void Append(std::string_view text, int link)
    {
        auto shown = [](char c) { return static_cast<unsigned char>(c) >= 0x20 ? c != 0x7F : c == '\t'; };
        std::size_t first = 0;
        while (first < text.size() && !shown(text[first])) {
            ++first;
        }
        if (first == text.size() && link < 0) {
            return;
        }
        if (!open_) {
            Open(false);
        }
        if (full_) {
            return;
        }
        std::vector<GuideRun> &runs = Current().runs;
        if (runs.empty() || runs.back().style != style_ || runs.back().link != -1 || link != -1) {
            runs.push_back(GuideRun{std::string(), style_, link});
        }
        std::string &kept = runs.back().text;
        for (std::size_t i = first; i < text.size();) {
            std::size_t end = i;
            while (end < text.size() && shown(text[end])) {
                ++end;
            }
            kept.append(text.substr(i, end - i));
            i = end;
            while (i < text.size() && !shown(text[i])) {
                ++i;
            }
        }
    }

    // Text with inline commands and escapes (\@, \\); the text between them appended as it is.
    void Inline(std::string_view text, int depth)
    {
        constexpr std::size_t npos = std::string_view::npos;
        Closes closes(text);
        std::size_t start = 0;  // of the text not yet appended
        std::size_t at = text.find('@'), backslash = text.find('\\');
        for (std::size_t i = 0;;) {
            at = at < i ? text.find('@', i) : at;
            backslash = backslash < i ? text.find('\\', i) : backslash;
            i = std::min(at, backslash);
            if (i == npos || i + 1 >= text.size()) {
                break;
            }
            const char next = text[i + 1];
            if (text[i] == '\\' && (next == '@' || next == '\\')) {
                Append(text.substr(start, i - start), -1);
                start = i + 1;  // the escaped character starts the text that follows
                i += 2;
                continue;
            }
            if (text[i] == '@' && next == '{') {
                const std::size_t close = closes.After(i + 2);
                if (close != npos) {
                    Append(text.substr(start, i - start), -1);
                    Command(text.substr(i + 2, close - i - 2), depth);
                    start = i = close + 1;
                    continue;
                }
            }
            ++i;
        }
        Append(text.substr(start), -1);
    }

    void Command(std::string_view body, int depth)
    {
        body = TrimGuideSpace(body);
        if (!body.empty() && body.front() == '"') {
            Link(body);
            return;
        }
        std::string_view rest = body;
        const std::string_view name = NextGuideArg(&rest);
        if (Expand(name, rest, depth)) {
            return;
        }
        const std::string command = AsciiLower(name);
        if (command == "b" || command == "ub") {
            style_.bold = command == "b";
        } else if (command == "i" || command == "ui") {
            style_.italic = command == "i";
        } else if (command == "u" || command == "uu") {
            style_.underline = command == "u";
        } else if (command == "plain") {
            style_.bold = style_.italic = style_.underline = false;
        } else if (command == "fg") {
            style_.fg = PenByName(NextGuideArg(&rest));
        } else if (command == "bg") {
            style_.bg = PenByName(NextGuideArg(&rest));
        } else if (command == "line") {
            Open(true);
        } else if (command == "par") {
            Close();
            Open(false);
            Open(true);
        } else if (command == "code" || command == "body") {
            code_ = command == "code";
        } else if (command == "jleft" || command == "jcenter" || command == "jright") {
            align_ =
                command == "jleft" ? GuideAlign::Left : (command == "jcenter" ? GuideAlign::Center : GuideAlign::Right);
        } else if (command == "lindent") {
            indent_ = ParseGuideNumber(rest, 0, kGuideMaxIndent, 0);
        } else if (command == "pari") {
            firstIndent_ = ParseGuideNumber(rest, -kGuideMaxIndent, kGuideMaxIndent, 0);
        } else if (command == "pard") {
            align_ = GuideAlign::Left, indent_ = 0, firstIndent_ = 0;
        } else if (command == "tab") {
            Append("\t", -1);
        }
        // Any other command is ignored.
    }

    void Link(std::string_view body)
    {
        GuideLink link;
        std::string_view rest = body;
        link.label = std::string(NextGuideArg(&rest));
        const std::string action = AsciiLower(NextGuideArg(&rest));
        if (action == "link" || action == "alink") {
            link.action = GuideAction::Link;
            link.target = std::string(NextGuideArg(&rest));
            link.line = ParseGuideNumber(rest, 0, 1 << 30, 0);
        } else if (action == "system" || action == "rx" || action == "rxs") {
            link.action =
                action == "system" ? GuideAction::System : (action == "rx" ? GuideAction::Rx : GuideAction::Rxs);
            rest = TrimGuideSpace(rest);
            link.target = std::string(
                rest.size() >= 2 && rest.front() == '"' && rest.back() == '"' ? rest.substr(1, rest.size() - 2) : rest);
        } else if (action == "beep") {
            link.action = GuideAction::Beep;
        } else if (action == "close") {
            link.action = GuideAction::Close;
        } else if (action == "quit") {
            link.action = GuideAction::Quit;
        } else {
            link.target = std::string(TrimGuideSpace(rest));
        }
        node_->links.push_back(std::move(link));
        Append(node_->links.back().label, static_cast<int>(node_->links.size() - 1));
    }

    // Expands the macro of that name, if there is one: its body with $1, $2, ...
    // replaced by the arguments, read as text again.
    bool Expand(std::string_view name, std::string_view rest, int depth)
    {
        if (nodeMacros_.empty() && documentMacros_.empty()) {
            return false;
        }
        const std::string folded = FoldUtf8Latin1(name);
        auto found = nodeMacros_.find(folded);
        if (found == nodeMacros_.end()) {
            found = documentMacros_.find(folded);
            if (found == documentMacros_.end()) {
                return false;
            }
        }
        if (depth >= kGuideMaxMacroDepth) {
            budget_->exhausted = true;
            return true;
        }
        std::vector<std::string_view> args;
        while (!TrimGuideSpace(rest).empty()) {
            args.push_back(NextGuideArg(&rest));
        }
        const std::size_t limit = std::min(lineLeft_, budget_->left);
        const std::string &macro = found->second;
        std::string expansion;
        for (std::size_t i = 0; i < macro.size() && expansion.size() <= limit;) {
            const std::size_t dollar = std::min(macro.find('$', i), macro.size());
            expansion.append(macro, i, std::min(dollar - i, limit + 1 - expansion.size()));
            i = dollar;
            if (i + 1 >= macro.size() || macro[i + 1] < '1' || macro[i + 1] > '9') {
                expansion.append(macro, i, 1);  // a '$' without a number, or nothing at the end
                ++i;
                continue;
            }
            std::size_t number = 0;
            while (i + 1 < macro.size() && macro[i + 1] >= '0' && macro[i + 1] <= '9' && number < 1000) {
                number = number * 10 + static_cast<std::size_t>(macro[++i] - '0');
            }
            ++i;
            if (number <= args.size()) {
                expansion.append(args[number - 1].substr(0, limit + 1 - std::min(limit + 1, expansion.size())));
            }
        }
        const std::size_t cost = std::max<std::size_t>(expansion.size(), 1);
        if (cost > limit) {
            budget_->exhausted = true;
            lineLeft_ = 0;
            return true;
        }
        lineLeft_ -= cost;
        budget_->left -= cost;
        Inline(expansion, depth + 1);
        return true;
    }

    GuideNode *node_;
    const GuideMacros &nodeMacros_;
    const GuideMacros &documentMacros_;
    GuideBudget *budget_;
    GuideStyle style_;
    GuideAlign align_ = GuideAlign::Left;
    int indent_ = 0;
    int firstIndent_ = 0;
    bool code_ = false;  // @{code}: lines as written until @{body}
    GuideWrap mode_ = GuideWrap::Lines;
    bool open_ = false;  // the last line takes more text
    bool openedByBreak_ = false;
    bool full_ = false;  // kGuideMaxNodeLines reached
    int source_ = 0;
    std::size_t lineLeft_ = kGuideMaxLineExpansion;
};

}  // namespace

void BuildGuideLines(GuideNode *node, const std::vector<std::string_view> &text, const GuideMacros &nodeMacros,
                     const GuideMacros &documentMacros, GuideBudget *budget)
{
    LineBuilder(node, nodeMacros, documentMacros, budget).Build(text);
}
