// Shared by the AmigaGuide reader's parts: the document's structure and
// commands (amigaguide.cpp), and a node's inline markup and macros (amigaguide_text.cpp).
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formats/amigaguide.h"

// Folded name (letter case ignored): macro body.
using GuideMacros = std::map<std::string, std::string>;

// What macros may still add to the document, and whether a limit was reached.
struct GuideBudget {
    std::size_t left = kGuideMaxExpansion;
    bool exhausted = false;
};

// The next argument of a command: a quoted text without its quotes, or a word;
// rest is left after it.
std::string_view NextGuideArg(std::string_view *rest);

std::string_view TrimGuideSpace(std::string_view text);

// A signed decimal number clamped to [least, most]; otherwise when there is none.
int ParseGuideNumber(std::string_view text, int least, int most, int otherwise);

// Turns a node's text lines into its styled lines and links.
void BuildGuideLines(GuideNode *node, const std::vector<std::string_view> &text, const GuideMacros &nodeMacros,
                     const GuideMacros &documentMacros, GuideBudget *budget);
