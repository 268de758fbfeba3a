// The AmigaGuide reader on small documents made for what real guides lack.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/formats/amigaguide.h"

namespace {

GuideDocument Parse(const std::string &bytes)
{
    GuideDocument document;
    EXPECT_TRUE(ParseAmigaGuide(bytes, &document)) << bytes;
    return document;
}

// Each node as title|text: a node without a title is titled by its name.
std::vector<std::string> Names(const GuideDocument &document)
{
    std::vector<std::string> names;
    for (const GuideNode &node : document.nodes) {
        names.push_back(node.title + "|" + GuideNodeText(node));
    }
    return names;
}

TEST(AmigaGuideTest, ReadsStructureTextAndWrapping)
{
    // clang-format off
    const struct {
        const char *name;
        std::string document;
        std::vector<std::string> nodes;  // title|text of each node
    } cases[] = {
        {"@database at the end, in any letter case", "@DataBase", {}},
        {"a byte-order mark first", "\xEF\xBB\xBF@database x\n@node N\nx\n", {"N|x\n"}},
        {"CRLF line ends, letter case, escapes, @ as text, control characters left out, a quote before a command",
         "@DATABASE x\r\n@Node Main\r\nA \\@{b} \\\\ \\x\x01 mail@host\x7F @ 5\"@{b}\r\n@rem hidden\r\n@EndNode",
         {"Main|A @{b} \\ \\x mail@host @ 5\"\n"}},
        {"no @endnode, stray @endnode, text outside nodes, nameless and duplicate nodes",
         "@database\nbefore\n@node A\na\n@node B\nb\n@endnode\n@endnode\nbetween\n@node\nn\n@node a\nd\n",
         {"A|a\n", "B|b\n", "|n\n", "a|d\n"}},
        {"lines as written", "@database\n@node N\na\nb\n\nc@{line}d@{par}e\nf@{line}\n", {"N|a\nb\n\nc\nd\n\ne\nf\n"}},
        {"smart wrap joins lines into paragraphs", "@database\n@smartwrap\n@node N\na\n  b\n\nc@{line}d@{par}e\n",
         {"N|a b\n\nc\nd\n\ne\n"}},
        {"a node's own wrap, code until body",
         "@database\n@node N\n@smartwrap\na\nb@{code}\n x\n y@{body}\nc\nd\n", {"N|a b\n x\n y\nc d\n"}},
        {"macros with arguments, a node's own over the document's",
         "@database\n@macro em \"<$1|$2|$3>$\"\n@macro b \"[$1]\"\n@node N\n@macro em \"($2)\"\n@{em x \"y z\"}@{b w}\n"
         "@node M\n@{em 1 \"2 3\"}\n",
         {"N|(y z)[w]\n", "M|<1|2 3|>$\n"}},
        {"a macro that expands itself stops", "@database\n@macro loop \"a@{loop}\"\n@node N\n@{loop}\n",
         {"N|aaaaaaaa\n"}},
        {"ISO-8859-1 when not UTF-8", "@database\n@node \xC4rger\n\xE9t\xE9 \xA0\n", {"\xC3\x84rger|\xC3\xA9t\xC3\xA9 \xC2\xA0\n"}},
        {"UTF-8 as is", "@database\n@node N\n\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\n", {"N|\xC3\xA9t\xC3\xA9 \xE2\x82\xAC\n"}},
        {"links show their labels, which may hold '}'",
         "@database\n@node N\n@{\" go} \" link M 3} @{\"run\" system \"rm -rf /\"}\n", {"N| go}  run\n"}},
        {"indents", "@database\n@node N\n@{lindent 4}a\n@{pari -2}b\n@{pard}c\n", {"N|    a\n  b\nc\n"}},
    };
    // clang-format on
    for (const auto &each : cases) {
        SCOPED_TRACE(each.name);
        EXPECT_EQ(Names(Parse(each.document)), each.nodes);
    }
}

TEST(AmigaGuideTest, StylesLinksAndNodeAttributes)
{
    GuideDocument document =
        Parse("@database \"x\"\n@database y\n@$VER: x 1.0\n@index Idx\n@help Hlp\n@font topaz.font 8\n"
              "@node Main \"Main title\"\n@toc Contents\n@next Two\n@prev One\n@title Better\n@tab 4\n@onopen \"run\"\n"
              "@{b}B@{ub}@{i}@{u}IU@{plain}@{fg shine}@{bg fill}S@{fg bogus}@{unknown}T\n@{jcenter}C\n@{jright}R\n"
              "@{\"n\" link Two 7}@{\"f\" LINK \"/a b/x.guide/Start\"}@{\"s\" system \"OpenURL http://x\"}"
              "@{\"r\" rx \"s.rexx\"}@{\"q\" rxs quit}@{\"b\" beep}@{\"c\" close}@{\"x\" quit}@{\"u\" odd}\n");
    ASSERT_EQ(document.nodes.size(), 1u);
    const GuideNode &node = document.nodes[0];
    EXPECT_EQ(document.database + document.version + document.index + document.help, "xx 1.0IdxHlp");
    EXPECT_EQ(node.title + node.toc + node.next + node.prev + node.font + node.onOpen,
              "BetterContentsTwoOnetopaz.fontrun");
    EXPECT_EQ(node.fontSize * 10 + node.tabSize, 84);

    ASSERT_EQ(node.lines.size(), 4u);
    const std::vector<GuideRun> &runs = node.lines[0].runs;
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].style, (GuideStyle{true, false, false, GuidePen::None, GuidePen::None}));
    EXPECT_EQ(runs[1].style, (GuideStyle{false, true, true, GuidePen::None, GuidePen::None}));
    EXPECT_EQ(runs[2].style, (GuideStyle{false, false, false, GuidePen::Shine, GuidePen::Fill}));
    EXPECT_EQ(runs[3].style, (GuideStyle{false, false, false, GuidePen::None, GuidePen::Fill}));
    EXPECT_EQ(node.lines[1].align, GuideAlign::Center);
    EXPECT_EQ(node.lines[2].align, GuideAlign::Right);

    std::vector<GuideAction> actions;
    std::string targets;
    for (std::size_t i = 0; i < node.links.size(); ++i) {
        actions.push_back(node.links[i].action);
        targets += node.links[i].target + "|" + std::to_string(node.links[i].line) + " ";
        EXPECT_EQ(node.lines[3].runs[i].link, static_cast<int>(i));
    }
    using enum GuideAction;
    EXPECT_EQ(actions, (std::vector{Link, Link, System, Rx, Rxs, Beep, Close, Quit, Unknown}));
    EXPECT_EQ(targets, "Two|7 /a b/x.guide/Start|0 OpenURL http://x|0 s.rexx|0 quit|0 |0 |0 |0 |0 ");
    // Names ignore letter case, of the Latin-1 letters too.
    EXPECT_EQ(FindGuideNode(Parse("@database\n@node \xC3\xA9t\xC3\xA9\n"), "\xC3\x89T\xC3\x89"), 0);
}

TEST(AmigaGuideTest, RecognitionAndLimits)
{
    GuideDocument document;
    for (const std::string &bytes : {std::string("hello"), std::string("@databases\n"), std::string(" @database"),
                                     "@database\n" + std::string(kGuideMaxSize, 'x')}) {
        EXPECT_FALSE(ParseAmigaGuide(bytes, &document)) << bytes.substr(0, 20);
    }

    std::string many = "@database\n";
    for (std::size_t i = 0; i <= kGuideMaxNodes; ++i) {
        many += "@node n" + std::to_string(i) + "\n";
    }
    document = Parse(many);
    EXPECT_EQ(document.nodes.size(), kGuideMaxNodes);
    EXPECT_TRUE(document.truncated);
    document = Parse("@database\n@node N\n" + std::string(kGuideMaxNodeLines + 1, '\n'));
    EXPECT_EQ(document.nodes[0].lines.size(), kGuideMaxNodeLines);
    EXPECT_TRUE(document.truncated);

    // A macro that multiplies itself ends within its budget; a long line is split.
    document =
        Parse("@database\n@macro w \"@{w}@{w}@{w}@{w}xx\"\n@node N\n@{w}\n" + std::string(kGuideMaxLine + 5, 'y'));
    EXPECT_TRUE(document.truncated);
    ASSERT_GE(document.nodes[0].lines.size(), 3u);
    EXPECT_EQ(document.nodes[0].lines.back().runs[0].text, "yyyyy");
    EXPECT_LE(GuideNodeText(document.nodes[0]).size(), kGuideMaxLineExpansion + kGuideMaxLine + 10);
}

// Each path resolved against one folder, or the volume it names.
TEST(AmigaGuideTest, AmigaPathsOfLinks)
{
    std::string resolved;
    for (const char *path :
         {"x.guide", "/x.guide", "//x.guide", "sub//x.guide", "a/b/", "../x", "/////x", "Work:x", ":x"}) {
        const GuidePath each = ResolveGuidePath("/home/u/docs/", path);
        resolved += (each.available ? each.path : "(" + each.volume + ")") + " ";
    }
    EXPECT_EQ(resolved,
              "/home/u/docs/x.guide /home/u/x.guide /home/x.guide /home/u/docs/x.guide /home/u/docs/a/b /home/u/x "
              "/x (Work) () ");
}

}  // namespace
