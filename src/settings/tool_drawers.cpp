#include "settings/tool_drawers.h"

#include "platform/formats/charset.h"
#include "settings/tooltypes.h"
#include "text/icon_problem_text.h"
#include "text/line_text.h"
#include "text/strings.h"

bool FindToolDrawers(const std::string &image, std::vector<ToolDrawer> &drawers, std::vector<std::string> &problems,
                     std::string &failure)
{
    drawers.clear();
    std::vector<ImageIconDrawer> found;
    std::vector<std::string> unread;
    ImageFailure why;
    if (!FindImageIconDrawers(image, TOOL_ICON, KEY_APPLICATION, found, unread, why)) {
        failure = ImageFailureText(why);
        return false;
    }
    problems.clear();
    for (const std::string &problem : unread) {
        problems.push_back(FormatText(MSG_IMAGE_UNREADABLE, Latin1LineText(problem).c_str()));
    }
    for (ImageIconDrawer &drawer : found) {
        std::string argument = ImageDrawerArgument(image, drawer.device, drawer.path, drawer.severalPartitions);
        drawers.push_back({std::move(argument), std::move(drawer)});
    }
    return true;
}

std::string ImageFailureText(const ImageFailure &why)
{
    const std::string detail = LineText(Latin1ToUtf8(why.detail));
    switch (why.problem) {
    case ImageProblem::Unreadable:
        return SystemErrorText(why.error);
    case ImageProblem::PartitionNeeded:
        return FormatText(MSG_IMAGE_NAME_PARTITION, detail.c_str());
    case ImageProblem::NoPartition:
        return FormatText(MSG_IMAGE_NO_PARTITION, detail.c_str());
    case ImageProblem::NoDrawer:
        return FormatText(MSG_IMAGE_NO_DRAWER, detail.c_str());
    default:
        return FormatText(MSG_IMAGE_UNREADABLE, detail.c_str());
    }
}
