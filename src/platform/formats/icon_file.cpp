#include "platform/formats/icon_file.h"

#include <cstring>
#include <limits>

#include "platform/formats/big_endian.h"
#include "platform/formats/iff.h"

namespace {

// A text stored as a 32-bit length and that many bytes.
bool SkipText(ByteReader &c)
{
    std::uint32_t length;
    return c.U32(length) && c.Skip(length);
}

bool SkipImage(ByteReader &c)
{
    if (c.Left() < kIconImageHeaderSize) {
        return false;
    }
    const std::uint8_t *header = c.Take(kIconImageHeaderSize);
    std::uint64_t width = ReadBE16(header + 4);
    std::uint64_t height = ReadBE16(header + 6);
    std::uint64_t depth = ReadBE16(header + 8);
    std::uint64_t planes = (width + 15) / 16 * 2 * height * depth;  // at most 2^46: no overflow
    return planes <= c.Left() && c.Skip(static_cast<std::size_t>(planes));
}

// The tooltype section: a count word of (entries + 1) * 4, then each entry as a
// length counting its zero and the text with that zero.
bool ReadToolTypes(ByteReader &c, std::vector<std::string> &entries)
{
    std::uint32_t countWord;
    if (!c.U32(countWord) || countWord < 4 || countWord % 4 != 0) {
        return false;
    }
    std::size_t count = countWord / 4 - 1;
    if (count > c.Left() / 5) {  // each entry takes at least a length and a zero
        return false;
    }
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t length;
        if (!c.U32(length) || length == 0 || length > c.Left()) {
            return false;
        }
        const char *text = reinterpret_cast<const char *>(c.Take(length));
        if (text[length - 1] != '\0' || std::memchr(text, '\0', length - 1) != nullptr) {
            return false;
        }
        entries.emplace_back(text, length - 1);
    }
    return true;
}

// The NewIcons image block: from the marker entry (or the single space before it)
// to the end of the list.
std::size_t FindImageBlock(const std::vector<std::string> &entries)
{
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] == kNewIconsMarker) {
            return i > 0 && entries[i - 1] == " " ? i - 1 : i;
        }
    }
    return entries.size();
}

}  // namespace

bool ParseIcon(std::span<const std::uint8_t> bytes, IconLayout &layout)
{
    layout = IconLayout{};
    const std::uint8_t *data = bytes.data();
    const std::size_t size = bytes.size();
    if (size < kIconHeaderSize || size > kIconMaxFileSize || ReadBE16(data) != 0xE310) {
        return false;
    }
    layout.type = data[kIconTypeOffset];
    layout.currentX = static_cast<std::int32_t>(ReadBE32(data + kIconCurrentXOffset));
    layout.currentY = static_cast<std::int32_t>(ReadBE32(data + kIconCurrentYOffset));
    layout.stackSize = static_cast<std::int32_t>(ReadBE32(data + kIconStackSizeOffset));
    bool hasDrawerData = ReadBE32(data + kIconDrawerDataOffset) != 0;
    std::uint8_t revision = data[kIconUserDataOffset + 3];

    ByteReader c{data, size, kIconHeaderSize};
    if (hasDrawerData && !c.Skip(kIconDrawerDataSize)) {
        return false;
    }
    if (ReadBE32(data + kIconFirstImageOffset) != 0 && !SkipImage(c)) {
        return false;
    }
    if (ReadBE32(data + kIconSecondImageOffset) != 0 && !SkipImage(c)) {
        return false;
    }
    layout.hasDefaultTool = ReadBE32(data + kIconDefaultToolOffset) != 0;
    if (layout.hasDefaultTool) {
        std::size_t textStart = c.pos + 4;
        if (!SkipText(c)) {
            return false;
        }
        const char *text = reinterpret_cast<const char *>(data + textStart);
        layout.defaultTool.assign(text, strnlen(text, c.pos - textStart));
    }
    layout.toolTypesStart = c.pos;
    layout.hasToolTypes = ReadBE32(data + kIconToolTypesOffset) != 0;
    if (layout.hasToolTypes && !ReadToolTypes(c, layout.entries)) {
        return false;
    }
    layout.toolTypesEnd = c.pos;
    layout.imageBlockStart = FindImageBlock(layout.entries);
    if (ReadBE32(data + kIconToolWindowOffset) != 0 && !SkipText(c)) {
        return false;
    }
    if (hasDrawerData && revision == 1 && !c.Skip(kIconDrawerData2Size)) {
        return false;
    }
    // Whatever follows is kept as it is; an OS 3.5 FORM there must be whole (a
    // trailer that is only the start of "FORM" is one cut short).
    if (!IffLooksLikeForm(c.Rest())) {
        return true;
    }
    layout.iconForm = c.Left() >= 12 && std::memcmp(c.Here() + 8, "ICON", 4) == 0;
    return IffFormFits(c.Rest());
}

bool BuildIcon(std::span<const std::uint8_t> bytes, const IconLayout &layout, const char *const *list,
               std::size_t count, std::string &out)
{
    constexpr std::size_t kMax32 = std::numeric_limits<std::uint32_t>::max();
    if (layout.toolTypesStart < kIconHeaderSize || layout.toolTypesStart > layout.toolTypesEnd ||
        layout.toolTypesEnd > bytes.size() || layout.imageBlockStart > layout.entries.size()) {
        return false;
    }
    std::size_t blockCount = layout.entries.size() - layout.imageBlockStart;
    std::size_t total = count + blockCount;
    if (total > kMax32 / 4 - 1) {
        return false;
    }
    bool section = layout.hasToolTypes || total > 0;

    // One pass over the texts: the old size is room enough for a list like the old one.
    out.clear();
    out.reserve(bytes.size() + 4);
    PutBytes(out, bytes.first(layout.toolTypesStart));
    if (section && !layout.hasToolTypes) {
        // The pointer's value means nothing on disk; only that it is not zero.
        out[kIconToolTypesOffset + 3] = 1;
    }
    if (section) {
        PutBE32(out, static_cast<std::uint32_t>((total + 1) * 4));
        for (std::size_t i = 0; i < count; ++i) {
            std::size_t length = std::strlen(list[i]) + 1;
            if (length > kMax32) {
                out.clear();
                return false;
            }
            PutBE32(out, static_cast<std::uint32_t>(length));
            out.append(list[i], length);
        }
        for (std::size_t i = layout.imageBlockStart; i < layout.entries.size(); ++i) {
            const std::string &entry = layout.entries[i];
            PutBE32(out, static_cast<std::uint32_t>(entry.size() + 1));
            out.append(entry.c_str(), entry.size() + 1);
        }
    }
    PutBytes(out, bytes.subspan(layout.toolTypesEnd));
    return true;
}
