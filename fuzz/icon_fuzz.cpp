// Parses the input as an icon. An icon that parses must build back byte for byte
// with its own list, and with another list build an icon that parses to that list
// followed by the same NewIcons block.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/formats/icon_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    IconLayout layout;
    if (!ParseIcon(data, size, layout)) {
        return 0;
    }
    std::vector<const char *> own;
    for (std::size_t i = 0; i < layout.imageBlockStart; ++i) {
        own.push_back(layout.entries[i].c_str());
    }
    std::string out;
    if (!BuildIcon(data, size, layout, own.data(), own.size(), out) || out.size() != size ||
        std::memcmp(out.data(), data, size) != 0) {
        std::abort();
    }

    const char *other[] = {"WINDOW", "", "MASTERVOLUME=40"};
    if (!BuildIcon(data, size, layout, other, 3, out)) {
        std::abort();
    }
    IconLayout again;
    if (!ParseIcon(reinterpret_cast<const std::uint8_t *>(out.data()), out.size(), again) ||
        again.imageBlockStart != 3 ||
        again.entries.size() != 3 + layout.entries.size() - layout.imageBlockStart) {
        std::abort();
    }
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        const std::string &want =
            i < 3 ? std::string(other[i]) : layout.entries[layout.imageBlockStart + i - 3];
        if (again.entries[i] != want) {
            std::abort();
        }
    }
    return 0;
}
