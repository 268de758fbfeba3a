#include "cli/image_drawers.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "platform/formats/charset.h"
#include "program/program.h"
#include "settings/tooltypes.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"

namespace {

// An argument as the file system's bytes: the image's path, the rest in UTF-8.
std::string ArgumentText(const std::string &image, const std::string &device, const std::string &path, bool several)
{
    return image + ImageDrawerArgument("", device, path, several);
}

// "Settings: NAME: why" for an image or an argument that names nothing in it
// (name as the file system's bytes).
void PrintFailure(const std::string &name, const ImageFailure &why)
{
    const std::string detail = LineText(Latin1ToUtf8(why.detail));
    std::string text;
    switch (why.problem) {
    case ImageProblem::Unreadable:
        text = SystemErrorText(why.error);
        break;
    case ImageProblem::PartitionNeeded:
        text = FormatText(MSG_IMAGE_NAME_PARTITION, detail.c_str());
        break;
    case ImageProblem::NoPartition:
        text = FormatText(MSG_IMAGE_NO_PARTITION, detail.c_str());
        break;
    case ImageProblem::NoDrawer:
        text = FormatText(MSG_IMAGE_NO_DRAWER, detail.c_str());
        break;
    default:
        text = FormatText(MSG_IMAGE_UNREADABLE, detail.c_str());
        break;
    }
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), PathLineText(name).c_str(), text.c_str());
}

// The drawers of the image that hold the tool's icon; its problems said on
// standard error. False when the image cannot be read.
bool FindToolDrawers(const std::string &image, std::vector<ImageIconDrawer> &found, bool &complete)
{
    std::vector<std::string> problems;
    ImageFailure why;
    if (!FindImageIconDrawers(image, TOOL_ICON, KEY_APPLICATION, found, problems, why)) {
        PrintFailure(image, why);
        return false;
    }
    for (const std::string &problem : problems) {
        std::fprintf(stderr, "%s: %s: %s\n", ProgramName(), PathLineText(image).c_str(),
                     FormatText(MSG_IMAGE_UNREADABLE, Latin1LineText(problem).c_str()).c_str());
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
            PrintFailure(argument.image + ":" + Latin1ToUtf8(argument.inside), why);
            return false;
        }
        return true;
    }
    std::vector<ImageIconDrawer> found;
    bool complete = true;
    if (!FindToolDrawers(argument.image, found, complete)) {
        return false;
    }
    if (found.size() == 1) {
        if (!EnterImageDrawer(argument.image, found[0].device + ":" + found[0].path, why)) {
            PrintFailure(argument.image, why);
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
    for (const ImageIconDrawer &drawer : found) {
        std::fprintf(
            stderr, "    %s\t%s\n",
            PathLineText(ArgumentText(argument.image, drawer.device, drawer.path, drawer.severalPartitions)).c_str(),
            Latin1LineText(drawer.value).c_str());
    }
    return false;
}

int ListImageDrawers(std::FILE *out, const std::string &image, bool json)
{
    std::vector<ImageIconDrawer> found;
    bool complete = true;
    if (!FindToolDrawers(image, found, complete)) {
        return EXIT_USAGE;
    }
    nlohmann::json list = nlohmann::json::array();
    for (const ImageIconDrawer &drawer : found) {
        const std::string argument = ArgumentText(image, drawer.device, drawer.path, drawer.severalPartitions);
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
    return ArgumentText(place.image, place.device, place.path, place.severalPartitions);
}
