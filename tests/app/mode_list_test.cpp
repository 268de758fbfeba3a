// --list-modes against the screen mode requester's own list.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/mode_list.h"
#include "platform/screen_mode_requester.h"
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

// Each line and each JSON object is a mode the requester lists, in its order,
// with the id in both forms and only the depths it offers.
TEST_F(ToolkitTest, ListModesPrintsTheModesOfTheRequester)
{
    std::vector<std::uint32_t> listed;
    void *requester = AllocAslRequest(ASL_ScreenModeRequest, nullptr);
    AslSetRequestHook([&listed](AslScreenModeControl &control) {
        listed = control.ListedDisplayIds();
        return false;
    });
    AslRequestTags(requester, ASLSM_InitialDisplayID, 0x00029000, ASLSM_MinDepth, 8, ASLSM_MaxDepth, 32, TAG_DONE);
    AslSetRequestHook(nullptr);
    FreeAslRequest(requester);
    ASSERT_FALSE(listed.empty());

    std::istringstream lines(Printed(false));
    std::vector<std::uint32_t> printed;
    for (std::string line; std::getline(lines, line);) {
        unsigned hex = 0, decimal = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "0x%x %u", &hex, &decimal), 2) << line;
        EXPECT_EQ(hex, decimal) << line;
        printed.push_back(hex);
        if (hex == 0x00029000) {
            EXPECT_EQ(line, "0x00029000     167936  PAL:HighRes                640x256   8");
        }
    }
    EXPECT_EQ(printed, listed);

    const QJsonArray modes = QJsonDocument::fromJson(QByteArray::fromStdString(Printed(true))).array();
    ASSERT_EQ(modes.size(), static_cast<qsizetype>(listed.size()));
    for (qsizetype i = 0; i < modes.size(); ++i) {
        const QJsonObject mode = modes[i].toObject();
        EXPECT_EQ(mode["modeId"].toInteger(), listed[i]);
        EXPECT_EQ(mode["hex"].toString(), QString::asprintf("0x%08X", listed[i]));
    }
    const QJsonObject host = modes[0].toObject();
    EXPECT_EQ(host["depths"].toArray(), (QJsonArray{8, 16, 24, 32}));
    EXPECT_EQ(host["name"].toString(),
              QString::asprintf("Display:%dx%d", host["width"].toInt(), host["height"].toInt()));
}

}  // namespace
