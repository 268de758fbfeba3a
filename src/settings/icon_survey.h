// Each icon Save writes, in the order it writes them, as it is on disk now: the
// file found, its kind, whether it can be read and written, and the settings it
// holds. For the icons overview and --show --json.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/icons/icon_store.h"
#include "settings/app_settings.h"
#include "settings/tool_config.h"

struct SurveyedIcon {
    IconRole role;
    std::string name;      // as configured
    std::string file;      // "NAME.info" or "NAME.vls.info", as found; empty when absent
    IconImageFormat kind;  // when readable
    std::uint8_t type;     // when readable: its Workbench type (do_Type)
    bool readable;
    bool writable;
    IconProblem problem;    // why it cannot be read or written; None when it can
    int error;              // the system's error number of a failed read, when known
    Settings settings;      // when readable: what a window reading only it would start with
    std::uint32_t differs;  // the fields (FieldBit) that differ from the loaded settings
    bool settingsFrom;      // the loaded settings were read from it
};

// Every icon Save writes, a configured one that does not exist too, against the
// settings loaded. Needs ToolConfig loaded; changes nothing.
std::vector<SurveyedIcon> SurveyIcons(const Settings &loaded);
