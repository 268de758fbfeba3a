// --list-modes against the modes the screen mode requester offers.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/mode_list.h"
#include "platform/qt/screen_mode_requester.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

std::string Printed(bool json)
{
    char *text = nullptr;
    std::size_t size = 0;
    std::FILE *out = open_memstream(&text, &size);
    EXPECT_EQ(ListModes(out, json), 0);
    std::fclose(out);
    std::string printed(text, size);
    std::free(text);
    return printed;
}

// A line and a JSON object for each mode the requester offers between 8 and 32
// bits, in its order, with the id in both forms and only the depths it offers;
// the lines' fields are separated by tabs.
using ModeListTest = ToolkitTest;

TEST_F(ModeListTest, ListModesPrintsTheModesOfTheRequester)
{
    const std::vector<DisplayModeRecord> offered = ScreenModeChoices(8, 32);
    const std::string printed = Printed(false);
    const QJsonArray modes = QJsonDocument::fromJson(QByteArray::fromStdString(Printed(true))).array();
    ASSERT_EQ(std::count(printed.begin(), printed.end(), '\n'), static_cast<std::ptrdiff_t>(offered.size()));
    ASSERT_EQ(modes.size(), static_cast<qsizetype>(offered.size()));
    std::istringstream lines(printed);
    for (const DisplayModeRecord &mode : offered) {
        std::string line;
        std::getline(lines, line);
        unsigned hex = 0, decimal = 0;
        EXPECT_EQ(std::sscanf(line.c_str(), "0x%x\t%u", &hex, &decimal), 2) << line;
        EXPECT_EQ(std::pair(hex, decimal), std::pair(mode.modeId, mode.modeId)) << line;
        const QJsonObject object = modes[&mode - offered.data()].toObject();
        EXPECT_EQ(object["modeId"].toInteger(), mode.modeId);
        EXPECT_EQ(object["hex"].toString(), QString::asprintf("0x%08X", mode.modeId));
    }
    EXPECT_NE(printed.find("\n0x00029000\t167936\tPAL:HighRes\t640x256\t8\n"), std::string::npos);
    const QJsonObject host = modes[0].toObject();
    EXPECT_EQ(host["depths"].toArray(), (QJsonArray{8, 16, 24, 32}));
    EXPECT_EQ(host["name"].toString(),
              QString::asprintf("Display:%dx%d", host["width"].toInt(), host["height"].toInt()));
}

}  // namespace
