// Big-endian numbers, as every Amiga file stores them: a bounds-checked reader
// over bytes in memory, and appending to a byte string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

inline std::uint16_t ReadBE16(const std::uint8_t *p)
{
    return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

inline std::uint32_t ReadBE32(const std::uint8_t *p)
{
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// A text's bytes, viewed as the readers take them.
inline std::span<const std::uint8_t> BytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

inline void PutBytes(std::string &out, std::span<const std::uint8_t> bytes)
{
    out.append(reinterpret_cast<const char *>(bytes.data()), bytes.size());
}

inline void PutBE16(std::string &out, std::uint16_t v)
{
    out.push_back(static_cast<char>(v >> 8));
    out.push_back(static_cast<char>(v));
}

inline void PutBE32(std::string &out, std::uint32_t v)
{
    const char bytes[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                           static_cast<char>(v)};
    out.append(bytes, 4);
}

// A reading position in bytes held in memory. Every read says whether it
// fitted; one that does not moves nothing.
struct ByteReader {
    const std::uint8_t *data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;

    std::size_t Left() const { return size - pos; }
    const std::uint8_t *Here() const { return data + pos; }
    std::span<const std::uint8_t> Rest() const { return {Here(), Left()}; }
    bool Skip(std::size_t n)
    {
        if (n > Left()) {
            return false;
        }
        pos += n;
        return true;
    }
    bool U32(std::uint32_t &v)
    {
        if (Left() < 4) {
            return false;
        }
        v = ReadBE32(data + pos);
        pos += 4;
        return true;
    }
    // The next n bytes, or null when fewer are left.
    const std::uint8_t *Take(std::size_t n)
    {
        const std::uint8_t *start = Here();
        return Skip(n) ? start : nullptr;
    }
    // True when the next bytes are the four characters of id (not consumed).
    bool At(const char *id) const { return Left() >= 4 && std::memcmp(Here(), id, 4) == 0; }
};
