// The icons overview on a drawer with every kind of icon, one that cannot be
// written, one that is absent and a build with settings of its own.
#include <sys/stat.h>

#include <sstream>

#include "gui/icons_overview.h"
#include "gui/window_fixture.h"
#include "platform/formats/icon_maker.h"
#include "settings/settings_reader.h"
#include "support/icon_test_util.h"
#include "text/icon_problem_text.h"

namespace {

using IconsOverviewTest = WindowTest;

// The texts of the overview's table, a row of five a line, "|" between them.
std::vector<std::string> Rows()
{
    std::vector<std::string> cells;
    std::istringstream tree(MUI_DescribeTree(iconsWindow));
    for (std::string line; std::getline(tree, line);) {
        line = line.substr(line.find_first_not_of(' '));
        if (line.starts_with("Text ")) {
            cells.push_back(line.substr(6, line.find('"', 6) - 6));
        }
    }
    std::vector<std::string> rows;
    for (std::size_t i = 0; i + 5 <= cells.size(); i += 5) {
        rows.push_back(cells[i] + "|" + cells[i + 1] + "|" + cells[i + 2] + "|" + cells[i + 3] + "|" + cells[i + 4]);
    }
    return rows;
}

TEST_F(IconsOverviewTest, EachIconSaveWritesInItsOrderWithKindWritabilityAndOwnSettings)
{
    TempDir drawer;
    ScopedChdir inDrawer(drawer.path());
    IconSpec appIcon{.toolTypes = {"FULLSCREEN", "MODEID=167936", "MASTERVOLUME=40"}};
    WriteIcon(drawer.file("Starfield.vls.info"), appIcon);
    WriteIcon(drawer.file("Star_OS3.info"),
              {.toolTypes = {"WINDOW", "NOSOUND", "FPSLIMIT=25"}, .newIconsLines = SampleNewIconsLines()});
    WriteIcon(drawer.file("Star_MOS.info"), {.toolTypes = appIcon.toolTypes, .os35 = true});
    chmod(drawer.file("Star_MOS.info").c_str(), 0444);
    WriteIcon(drawer.file("Star_OS4.info"), {.toolTypes = appIcon.toolTypes, .png = true});
    SetAppName("Starfield");
    const char *platforms[] = {"Star_OS3", "Star_MOS", "Star_WOS", "Star_OS4"};
    for (int i = 0; i < 4; ++i) {
        std::snprintf(ToolConfig.platformIcons[i], sizeof ToolConfig.platformIcons[i], "%s", platforms[i]);
    }
    ReadApplicationSettings();
    BuildAndStart();

    DispatchCommand(ID_ICONS);
    EXPECT_EQ(Attr(iconsWindow, MUIA_Window_Open), 1u);
    const std::string no = "no: ";
    EXPECT_EQ(Rows(), (std::vector<std::string>{
                          "\\ebIcon|\\ebFile|\\ebKind|\\ebCan be written|\\ebSettings of its own",
                          "Application|Starfield.vls.info|classic|yes|",
                          "AmigaOS 3|Star_OS3.info|NewIcons|yes|WINDOW FPSLIMIT=25 NOSOUND",
                          "MorphOS|Star_MOS.info|OS 3.5|" + no + IconProblemText(IconProblem::PermissionDenied) +
                              "|as the application's",
                          "WarpOS|none||" + no + IconProblemText(IconProblem::Absent) + "|",
                          "AmigaOS 4|Star_OS4.info|PNG|yes|as the application's",
                      }));
    // Its close gadget (Escape and its Close button too) closes it.
    ASSERT_TRUE(MUI_SimulateInput(iconsWindow));
    for (IPTR id : DrainReturnIds(app)) {
        DispatchCommand(static_cast<std::int32_t>(id));
    }
    EXPECT_EQ(Attr(iconsWindow, MUIA_Window_Open), 0u);
}

}  // namespace
