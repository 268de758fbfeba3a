// Any bytes given to the catalog reader: no crash, no read past the input, and
// a parsed catalog keeps its ids ascending and distinct.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/formats/catalog_file.h"
#include "platform/formats/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    CatalogFile catalog;
    CatalogStatus status = ParseCatalog({data, size}, &catalog);
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
    // The codecs: Latin-1 survives a round trip, and nothing is read past the input.
    std::string bytes(reinterpret_cast<const char *>(data), size);
    if (Utf8ToLatin1(bytes).size() > size || Utf8ToLatin1(Latin1ToUtf8(bytes)) != bytes ||
        !IsUtf8(Latin1ToUtf8(bytes))) {
        std::abort();
    }
    return 0;
}
