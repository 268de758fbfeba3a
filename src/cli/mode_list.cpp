#include "cli/mode_list.h"

#include <string>

#include <nlohmann/json.hpp>

#include "cli/show_settings.h"
#include "platform/formats/charset.h"
#include "platform/system/display.h"
#include "settings/tooltypes.h"
#include "text/line_text.h"
#include "text/strings.h"

int ListModes(std::FILE *out, bool json)
{
    const std::vector<DisplayModeRecord> modes = ScreenModeChoices(DEPTH_RANGE.min, DEPTH_RANGE.max);
    nlohmann::json list = nlohmann::json::array();
    for (const DisplayModeRecord &mode : modes) {
        nlohmann::json depths = nlohmann::json::array();
        std::string depthText;
        for (int i = 0; i < mode.depthCount; ++i) {
            depths.push_back(mode.depths[i]);
            depthText += (i > 0 ? "," : "") + std::to_string(mode.depths[i]);
        }
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(mode.modeId));
        if (!json) {
            // Tab-separated: a name may hold spaces.
            std::fprintf(out, "%s\t%u\t%s\t%ux%u\t%s\n", hex, static_cast<unsigned>(mode.modeId),
                         Latin1LineText(mode.name).c_str(), unsigned(mode.width), unsigned(mode.height),
                         depthText.c_str());
            continue;
        }
        list.push_back({{"modeId", static_cast<std::int64_t>(mode.modeId)},
                        {"hex", hex},
                        {"name", Latin1ToUtf8(mode.name)},
                        {"width", mode.width},
                        {"height", mode.height},
                        {"depths", depths}});
    }
    if (json) {
        std::fputs(JsonText(list).c_str(), out);
    }
    return 0;
}
