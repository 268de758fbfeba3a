#include "platform/formats/png_icon.h"

#include <array>
#include <cstring>

#include "platform/formats/big_endian.h"

namespace {

constexpr std::size_t kSignatureSize = sizeof kPngSignature;

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[n] = c;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

bool IsTextTag(std::uint32_t tag)
{
    return tag == ATTR_DEFAULTTOOL || tag == ATTR_TOOLWINDOW || tag == ATTR_TOOLTYPE;
}

bool IsLetter(std::uint8_t c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// True, and past it, when the signature comes next.
bool SkipSignature(ByteReader &r)
{
    if (r.Left() < kSignatureSize || std::memcmp(r.Here(), kPngSignature, kSignatureSize) != 0) {
        return false;
    }
    r.pos += kSignatureSize;
    return true;
}

// The tags of an icOn chunk's data, [start, end) of the file: tag words, each
// followed by a value or a zero-terminated text, up to the chunk's end.
bool ReadTags(const std::uint8_t *data, std::size_t start, std::size_t end, std::vector<PngIconTagEntry> &tags)
{
    ByteReader r{data, end, start};
    while (r.Left() > 0) {
        if (tags.size() == kPngIconMaxTags) {
            return false;
        }
        PngIconTagEntry entry;
        entry.start = r.pos;
        if (!r.U32(entry.tag)) {
            return false;
        }
        if (IsTextTag(entry.tag)) {
            const void *zero = std::memchr(data + r.pos, 0, r.Left());
            if (zero == nullptr) {
                return false;
            }
            std::size_t length = static_cast<std::size_t>(static_cast<const std::uint8_t *>(zero) - (data + r.pos));
            entry.text.assign(reinterpret_cast<const char *>(data + r.pos), length);
            r.pos += length + 1;
        } else if (!r.U32(entry.value)) {
            return false;
        }
        entry.end = r.pos;
        tags.push_back(std::move(entry));
    }
    return true;
}

// Walks one image's chunks from its signature to the end of its IEND. For the
// first image (layout given) notes its first icOn and its IEND.
bool WalkImage(ByteReader &r, PngIconLayout *layout)
{
    if (!SkipSignature(r)) {
        return false;
    }
    for (;;) {
        std::size_t chunkStart = r.pos;
        std::uint32_t length, crc;
        if (!r.U32(length) || r.Left() < 4 || length > r.Left() - 4) {
            return false;
        }
        const std::uint8_t *type = r.data + r.pos;
        if (!IsLetter(type[0]) || !IsLetter(type[1]) || !IsLetter(type[2]) || !IsLetter(type[3])) {
            return false;
        }
        std::size_t dataStart = r.pos + 4;
        r.pos = dataStart + length;
        if (!r.U32(crc)) {
            return false;
        }
        // A wrong CRC on icOn is common in real icons: it is read, and a write mends it.
        bool crcValid = PngCrc32(0, {type, 4 + std::size_t{length}}) == crc;
        bool isIcOn = std::memcmp(type, "icOn", 4) == 0;
        if (!crcValid && !isIcOn) {
            return false;
        }
        if (layout != nullptr && isIcOn && !layout->hasIcOn) {
            layout->hasIcOn = true;
            layout->icOnCrcValid = crcValid;
            layout->icOnStart = chunkStart;
            layout->icOnEnd = r.pos;
            if (!ReadTags(r.data, dataStart, dataStart + length, layout->tags)) {
                return false;
            }
        }
        if (std::memcmp(type, "IEND", 4) == 0) {
            if (layout != nullptr) {
                layout->firstIendStart = chunkStart;
            }
            return true;
        }
    }
}

}  // namespace

std::uint32_t PngCrc32(std::uint32_t crc, std::span<const std::uint8_t> bytes)
{
    crc = ~crc;
    for (std::uint8_t byte : bytes) {
        crc = kCrcTable[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

bool IsPngIcon(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= kSignatureSize && std::memcmp(bytes.data(), kPngSignature, kSignatureSize) == 0;
}

bool ParsePngIcon(std::span<const std::uint8_t> bytes, PngIconLayout &layout)
{
    layout = PngIconLayout{};
    if (bytes.data() == nullptr || bytes.size() > kPngIconMaxFileSize) {
        return false;
    }
    ByteReader r{bytes.data(), bytes.size(), 0};
    if (!WalkImage(r, &layout)) {
        return false;
    }
    // The selected image, when one follows; bytes that only start a signature are
    // a second image cut short. Anything else after the images is kept as it is.
    std::size_t idLength = r.Left() < kSignatureSize ? r.Left() : kSignatureSize;
    if (idLength > 0 && std::memcmp(r.Here(), kPngSignature, idLength) == 0) {
        return WalkImage(r, nullptr);
    }
    return true;
}

bool BuildPngIcon(std::span<const std::uint8_t> bytes, const PngIconLayout &layout, const char *const *list,
                  std::size_t count, std::string &out)
{
    const std::size_t size = bytes.size();
    std::size_t chunkStart = layout.hasIcOn ? layout.icOnStart : layout.firstIendStart;
    std::size_t chunkEnd = layout.hasIcOn ? layout.icOnEnd : layout.firstIendStart;
    if (chunkStart < kSignatureSize || chunkStart > chunkEnd || chunkEnd > size ||
        (layout.hasIcOn && chunkEnd - chunkStart < 12)) {
        return false;
    }
    out.clear();
    if (!layout.hasIcOn && count == 0) {
        PutBytes(out, bytes);
        return true;
    }

    std::size_t oldCount = 0, lastToolType = 0;
    for (std::size_t i = 0; i < layout.tags.size(); ++i) {
        const PngIconTagEntry &tag = layout.tags[i];
        if (tag.start < chunkStart + 8 || tag.start > tag.end || tag.end > chunkEnd - 4) {
            return false;
        }
        if (tag.tag == ATTR_TOOLTYPE) {
            ++oldCount;
            lastToolType = i;
        }
    }
    if (layout.tags.size() - oldCount + count > kPngIconMaxTags) {
        return false;
    }

    // The chunk's type and tags: the CRC covers both.
    std::string chunk = "icOn";
    std::size_t next = 0;  // the next text of list to place
    auto putToolTypes = [&](std::size_t upTo) {
        for (; next < upTo && next < count; ++next) {
            PutBE32(chunk, ATTR_TOOLTYPE);
            chunk.append(list[next], std::strlen(list[next]) + 1);
        }
    };
    for (std::size_t i = 0; i < layout.tags.size(); ++i) {
        const PngIconTagEntry &tag = layout.tags[i];
        if (tag.tag != ATTR_TOOLTYPE) {
            PutBytes(chunk, bytes.subspan(tag.start, tag.end - tag.start));
            continue;
        }
        putToolTypes(next + 1);
        if (i == lastToolType) {
            putToolTypes(count);
        }
    }
    putToolTypes(count);

    if (size - (chunkEnd - chunkStart) + 8 + chunk.size() > kPngIconMaxFileSize) {
        return false;
    }
    out.reserve(size - (chunkEnd - chunkStart) + 8 + chunk.size());
    PutBytes(out, bytes.first(chunkStart));
    PutBE32(out, static_cast<std::uint32_t>(chunk.size() - 4));
    out += chunk;
    PutBE32(out, PngCrc32(0, BytesOf(chunk)));
    PutBytes(out, bytes.subspan(chunkEnd));
    return true;
}
