#include "cli/image_drawers.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "platform/formats/charset.h"
#include "program/program.h"
#include "settings/tool_drawers.h"
#include "text/line_text.h"
#include "text/strings.h"

namespace {

// "Settings: NAME: why" for an image or an argument that names nothing in it
// (name as the file system's bytes).
void PrintFailure(const std::string &name, const std::string &why)
{
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), PathLineText(name).c_str(), why.c_str());
}

// The drawers of the image that hold the tool's icon; its problems said on
// standard error. False when the image cannot be read.
bool ListToolDrawers(const std::string &image, std::vector<ToolDrawer> &found, bool &complete)
{
    std::vector<std::string> problems;
    std::string failure;
    if (!FindToolDrawers(image, found, problems, failure)) {
        PrintFailure(image, failure);
        return false;
    }
    for (const std::string &problem : problems) {
        PrintFailure(image, problem);
    }
    complete = problems.empty();
    return true;
}

}  // namespace

bool EnterImageArgument(const ImageArgument &argument)
{
    ImageFailure why;
    if (argument.drawerNamed) {
        if (!EnterImageDrawer(argument.image, argument.inside, why)) {
            PrintFailure(argument.image + ":" + Latin1ToUtf8(argument.inside), ImageFailureText(why));
            return false;
        }
        return true;
    }
    std::vector<ToolDrawer> found;
    bool complete = true;
    if (!ListToolDrawers(argument.image, found, complete)) {
        return false;
    }
    if (found.size() == 1) {
        if (!EnterImageDrawer(argument.image, found[0].found.device + ":" + found[0].found.path, why)) {
            PrintFailure(argument.image, ImageFailureText(why));
            return false;
        }
        return true;
    }
    const std::string image = PathLineText(argument.image);
    if (found.empty()) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), image.c_str(), GetString(MSG_IMAGE_NO_TOOL_DRAWER));
        return false;
    }
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), image.c_str(), GetString(MSG_IMAGE_CHOOSE_DRAWER));
    for (const ToolDrawer &drawer : found) {
        std::fprintf(stderr, "    %s\t%s\n", PathLineText(drawer.argument).c_str(),
                     Latin1LineText(drawer.found.value).c_str());
    }
    return false;
}

int ListImageDrawers(std::FILE *out, const std::string &image, bool json)
{
    std::vector<ToolDrawer> listed;
    bool complete = true;
    if (!ListToolDrawers(image, listed, complete)) {
        return EXIT_USAGE;
    }
    nlohmann::json list = nlohmann::json::array();
    for (const ToolDrawer &tool : listed) {
        const std::string &argument = tool.argument;
        const ImageIconDrawer &drawer = tool.found;
        if (!json) {
            std::fprintf(out, "%s\t%s\n", PathLineText(argument).c_str(), Latin1LineText(drawer.value).c_str());
            continue;
        }
        list.push_back(
            {{"argument", PathText(argument)},
             {"partition", drawer.device},
             {"volume", Latin1ToUtf8(drawer.volume)},
             {"drawer", Latin1ToUtf8(drawer.path)},
             {"application", drawer.readable ? nlohmann::json(Latin1ToUtf8(drawer.value)) : nlohmann::json()}});
    }
    if (json) {
        std::fputs((list.dump(4, ' ', false, nlohmann::json::error_handler_t::replace) + "\n").c_str(), out);
    }
    return complete ? 0 : EXIT_ICON_FAILED;
}

std::string ImageDrawerText(const ImageDrawerPlace &place)
{
    return ImageDrawerArgument(place.image, place.device, place.path, place.severalPartitions);
}
