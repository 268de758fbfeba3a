// Reading AmigaGuide hypertext documents: nodes of styled lines with links,
// and the Amiga path rules of links to other files. Pure C++, no file access:
// the reader takes the document's bytes and runs nothing a document names.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Hard limits. A larger document is refused; past the other limits the rest is
// left out and the document is marked truncated.
constexpr std::size_t kGuideMaxSize = 16u << 20;  // bytes of a document
constexpr std::size_t kGuideMaxNodes = 10000;
constexpr std::size_t kGuideMaxLine = 16u << 10;           // bytes of a source line; longer lines are split
constexpr std::size_t kGuideMaxNodeLines = 100000;         // lines shown of one node
constexpr int kGuideMaxMacroDepth = 8;                     // macros expanded within macros
constexpr std::size_t kGuideMaxLineExpansion = 64u << 10;  // bytes macros add to one source line
constexpr std::size_t kGuideMaxExpansion = 1u << 20;       // bytes macros add to the whole document
constexpr int kGuideMaxIndent = 200;                       // @{lindent} and @{pari}, in characters
constexpr int kGuideDefaultTab = 8;

// Source lines as written (default), each line wrapped at the window's width
// (@wordwrap), or lines joined into paragraphs that end at a blank line or
// @{par} (@smartwrap).
enum class GuideWrap { Lines, Word, Smart };

// The pens of @{fg} and @{bg}; None keeps the viewer's own colour.
enum class GuidePen { None, Text, Shine, Shadow, Fill, FillText, Background, Highlight };

enum class GuideAlign { Left, Center, Right };

// What a link does. Link goes to a node (of this or another file); System, Rx
// and Rxs would run a command and are never run; Unknown does nothing.
enum class GuideAction { Link, System, Rx, Rxs, Beep, Close, Quit, Unknown };

struct GuideStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    GuidePen fg = GuidePen::None;
    GuidePen bg = GuidePen::None;
    bool operator==(const GuideStyle &) const = default;
};

// Text of one style; link is an index into the node's links, or -1.
struct GuideRun {
    std::string text;  // UTF-8; may hold tabs
    GuideStyle style;
    int link = -1;
};

// One line as shown: a line of the source, or a paragraph when wrapping.
struct GuideLine {
    std::vector<GuideRun> runs;
    int source = 0;       // the node's text line it starts on (0: the first after @node)
    int indent = 0;       // left indent in characters (@{lindent})
    int firstIndent = 0;  // added to indent on the first line of a paragraph (@{pari})
    GuideAlign align = GuideAlign::Left;
    bool wrap = false;  // wrapped at the window's width; else shown as written
};

struct GuideLink {
    GuideAction action = GuideAction::Unknown;
    std::string label;
    std::string target;  // Link: NODE or FILE/NODE as written; System, Rx, Rxs: the command
    int line = 0;        // Link: the line to show at the top
};

struct GuideNode {
    std::string name;   // as written, without quotes
    std::string title;  // the name when the document gives none
    // As written; empty: the document's own, or none.
    std::string toc, next, prev, index, help;
    std::string font;  // a hint: name and size
    int fontSize = 0;
    GuideWrap wrap = GuideWrap::Lines;
    int tabSize = kGuideDefaultTab;
    std::string onOpen, onClose;  // never run
    std::vector<GuideLine> lines;
    std::vector<GuideLink> links;
};

struct GuideDocument {
    std::string database, author, copyright, version, master;
    std::string toc, index, help;  // as written; empty: none
    std::string font;
    int fontSize = 0;
    std::string onOpen, onClose;            // never run
    std::vector<GuideNode> nodes;           // in file order
    std::map<std::string, int> nodeByName;  // folded name: the first node of that name
    bool latin1 = false;                    // the bytes were not UTF-8 and were read as ISO-8859-1
    bool truncated = false;                 // a limit was reached
};

// True when the bytes start with @database (any letter case), after a UTF-8 byte-order mark.
bool IsAmigaGuide(std::span<const char> bytes);

// Reads a document. False, with out empty, when it is not an AmigaGuide
// document or is larger than kGuideMaxSize; broken structure is read as far as it goes.
bool ParseAmigaGuide(std::span<const char> bytes, GuideDocument *out);

// The first node of that name (letter case ignored), or -1.
int FindGuideNode(const GuideDocument &document, std::string_view name);

// A link target split at its last '/' into a file (empty: this document) and
// a node (empty: the file's first); a target with a ':' and no '/' is a file.
void SplitGuideTarget(std::string_view target, std::string *file, std::string *node);

// An Amiga path resolved against the document's folder (an absolute host
// path): names separated by '/', a '/' at the start or after another '/' goes
// up one folder. A path on a volume or assign ("NAME:") has no host path.
struct GuidePath {
    bool available = false;
    std::string path;    // the host path, when available
    std::string volume;  // the volume or assign name, when not
};
GuidePath ResolveGuidePath(std::string_view folder, std::string_view amigaPath);

// A node as plain UTF-8 text: each line with its indent, a link as its label.
std::string GuideNodeText(const GuideNode &node);
