// Any bytes given to the catalog reader: no crash, no read past the input, and
// a parsed catalog keeps its ids ascending and distinct.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/formats/catalog_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    CatalogFile catalog;
    CatalogStatus status = ParseCatalog(data, size, &catalog);
    if (status != CatalogStatus::Ok) {
        if (!catalog.texts.empty() || !catalog.language.empty()) {
            std::abort();
        }
    } else {
        for (std::size_t i = 0; i < catalog.texts.size(); ++i) {
            if (i > 0 && catalog.texts[i - 1].id >= catalog.texts[i].id) {
                std::abort();
            }
            if (FindCatalogText(catalog, catalog.texts[i].id) != &catalog.texts[i]) {
                std::abort();
            }
            if (catalog.texts[i].text.size() > size) {
                std::abort();
            }
        }
    }
    std::string bytes(reinterpret_cast<const char *>(data), size);
    if (Utf8ToLatin1(bytes).size() > size || Windows1252ToLatin1(bytes).size() != size) {
        std::abort();
    }
    return 0;
}
