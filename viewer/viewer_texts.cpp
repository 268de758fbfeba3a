#include "viewer_texts.h"

#include "platform/locale.h"

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

// The text of id from Vellumine/SettingsViewer.catalog in the user's language
// (ISO-8859-1, the catalog ids are the text ids), else the built-in English.
QString ViewerText(ViewerTextId id)
{
    if (id < 0 || id >= TXT_COUNT) {
        return QString();
    }
    static Locale *const locale = OpenLocale(nullptr);
    static Catalog *const catalog = OpenCatalog(locale, "Vellumine/SettingsViewer.catalog", nullptr);
    const std::size_t length = GetCatalogStrLength(catalog, id);
    if (length != 0) {
        return QString::fromLatin1(GetCatalogStr(catalog, id, ""));
    }
    return QString::fromUtf8(kBuiltInTexts[id]);
}
