// Real AmigaGuide documents (the shared corpus and every .guide under the
// folders in GUIDE_CORPUS, colon-separated): every node listed and shown, every
// link within a document resolved, and every link followed.
#include <strings.h>

#include <QApplication>
#include <QTextBrowser>
#include <QTextDocument>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "viewer_window.h"

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> CorpusGuides()
{
    const char *more = std::getenv("GUIDE_CORPUS");
    std::istringstream folders(std::string(kSharedCorpusDir) + "/guides:" + (more != nullptr ? more : ""));
    std::vector<fs::path> guides;
    for (std::string folder; std::getline(folders, folder, ':');) {
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (strcasecmp(it->path().extension().c_str(), ".guide") == 0 && it->is_regular_file()) {
                guides.push_back(it->path());
            }
        }
    }
    return guides;
}

TEST(GuideCorpusTest, EveryNodeListedEveryLinkFollowed)
{
    const std::vector<fs::path> guides = CorpusGuides();
    if (guides.empty()) {
        GTEST_SKIP() << "no guides in " << kSharedCorpusDir << "/guides or GUIDE_CORPUS";
    }
    int argc = 1;
    char name[] = "test_guide_corpus", *argv[] = {name, nullptr};
    QApplication application(argc, argv);
    // The lines that start with @node (any letter case) and a space or nothing, counted apart from the reader.
    const std::regex nodeLine("^@node(\\s|$)", std::regex::icase | std::regex::multiline);

    for (const fs::path &path : guides) {
        SCOPED_TRACE(path.string());
        const std::string bytes = ReadFileBytes(path.string());
        ViewerWindow window;
        QString error;
        ASSERT_TRUE(window.OpenDocument(QByteArray::fromStdString(path.string()), &error)) << error.toStdString();
        const GuideDocument *guide = window.currentDocument()->guide.get();
        // None in a .guide that is no AmigaGuide document.
        EXPECT_EQ(guide != nullptr ? guide->nodes.size() : 0,
                  std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), nodeLine), std::sregex_iterator()));
        for (std::size_t i = 0; guide != nullptr && i < guide->nodes.size(); ++i) {
            const GuideNode &node = guide->nodes[i];
            window.ShowNode(static_cast<int>(i));
            EXPECT_EQ(window.currentNode(), static_cast<int>(i));
            EXPECT_EQ(window.browser()->document()->blockCount(), std::max<int>(1, node.lines.size()));
            for (std::size_t k = 0; k < node.links.size(); ++k) {
                const GuideLink &link = node.links[k];
                std::string file, target;
                SplitGuideTarget(link.target, &file, &target);
                if (link.action == GuideAction::Link && file.empty()) {  // a node, or a file beside
                    EXPECT_TRUE(FindGuideNode(*guide, target) >= 0 || fs::is_regular_file(path.parent_path() / target))
                        << node.name << ": " << link.target;
                }
                window.ShowNode(static_cast<int>(i));
                window.ActivateLink(static_cast<int>(k));
                if (window.currentDocument()->guide.get() != guide) {
                    window.Retrace();  // back from another file
                }
            }
        }
    }
}

}  // namespace
