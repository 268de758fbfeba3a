#include "viewer_texts.h"

namespace {

// In the order of ViewerTextId; UTF-8.
constexpr const char *kBuiltInTexts[TXT_COUNT] = {
    "Usage: SettingsViewer [--] FILE\n"
    "       SettingsViewer --nodes FILE\n"
    "       SettingsViewer --text FILE [NODE]\n",
    "SettingsViewer: cannot show %1: %2",
    "no display",
    "it is not an AmigaGuide document",
    "there is no node %1 in %2",
    "no document was named",
    "no such file",
    "it is a folder",
    "it is not a regular file",
    "it is too large (more than %1 bytes)",
    "it is not a text, HTML, Markdown or AmigaGuide document",
    "%1 - Help",
    "&Contents",
    "&Index",
    "&Help",
    "&Retrace",
    "Browse <",
    "Browse >",
    "Find:",
    "Previous",
    "Next",
    "Not found",
    "Would run the command: %1 (the viewer runs nothing)",
    "Would run the ARexx script: %1 (the viewer runs nothing)",
    "Not run: %1",
    "Not available: the volume %1: is not on this computer",
    "Cannot show %1: %2",
};

}  // namespace

QString ViewerText(ViewerTextId id)
{
    return id >= 0 && id < TXT_COUNT ? QString::fromUtf8(kBuiltInTexts[id]) : QString();
}
