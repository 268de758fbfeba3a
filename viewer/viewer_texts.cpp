#include "viewer_texts.h"

#include "platform/system/locale.h"

namespace {

Locale *locale = nullptr;
Catalog *catalog = nullptr;
bool opened = false;

}  // namespace

QString ViewerText(ViewerTextId id)
{
    if (!opened) {
        locale = OpenLocale(nullptr);
        catalog = OpenCatalog(locale, "Vellumine/SettingsViewer.catalog", nullptr);
        opened = true;
    }
    return QString::fromUtf8(CatalogTextOr(catalog, id, builtInStrings));
}

void CloseViewerCatalog()
{
    CloseCatalog(catalog);
    CloseLocale(locale);
    catalog = nullptr;
    locale = nullptr;
    opened = false;
}
