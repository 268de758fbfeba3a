// Reads the input as an AmigaGuide document. What is read holds valid UTF-8,
// links within its node's list, indents within bounds, names that are found
// again, and link paths that resolve to clean absolute paths. Inputs are held
// to a few kilobytes (the seeds are a node or a few commands each), so that
// millions are tried; the limits on larger documents are unit tests'.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/formats/amigaguide.h"

namespace {

constexpr std::size_t kMaxInput = 4096;

bool ValidUtf8(const std::string &text)
{
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return false;
            }
        }
        i += length;
    }
    return true;
}

void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > kMaxInput) {
        return 0;
    }
    GuideDocument document;
    if (!ParseAmigaGuide({reinterpret_cast<const char *>(data), size}, &document)) {
        Check(document.nodes.empty());
        return 0;
    }
    Check(document.nodes.size() <= kGuideMaxNodes);
    for (std::size_t i = 0; i < document.nodes.size(); ++i) {
        const GuideNode &node = document.nodes[i];
        Check(ValidUtf8(node.name) && ValidUtf8(node.title));
        if (!node.name.empty()) {
            const int found = FindGuideNode(document, node.name);
            Check(found >= 0 && static_cast<std::size_t>(found) <= i);
        }
        for (const GuideLine &line : node.lines) {
            Check(line.indent >= 0 && line.indent <= kGuideMaxIndent);
            Check(line.firstIndent >= -kGuideMaxIndent && line.firstIndent <= kGuideMaxIndent);
            for (const GuideRun &run : line.runs) {
                Check(run.link >= -1 && run.link < static_cast<int>(node.links.size()));
                Check(ValidUtf8(run.text));
            }
        }
        for (const GuideLink &link : node.links) {
            std::string file, target;
            SplitGuideTarget(link.target, &file, &target);
            const GuidePath path = ResolveGuidePath("/drawer/docs", file);
            Check(path.available == (file.find(':') == std::string::npos));
            if (path.available) {
                Check(path.path.front() == '/' && path.path.find("//") == std::string::npos &&
                      path.path.find("/../") == std::string::npos);
            }
        }
    }
    return 0;
}
