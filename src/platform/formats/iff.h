// IFF: a FORM of a type holding chunks, each an id, a 32-bit length and its
// bytes padded to an even length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/formats/big_endian.h"

struct IffChunk {
    char id[4];
    std::span<const std::uint8_t> data;

    bool Is(const char *other) const { return std::memcmp(id, other, 4) == 0; }
};

// Walks the chunks of a FORM held in memory.
class IffReader {
public:
    // Opens the FORM the bytes start with: false when it is not a FORM of type
    // whose length fits in them (bytes after the FORM are not looked at).
    bool Open(std::span<const std::uint8_t> bytes, const char *type);
    // The next chunk; false at the FORM's end or at a chunk whose header or
    // length runs past it (then Malformed() is true). A last chunk may lack its pad byte.
    bool Next(IffChunk &chunk);
    bool Malformed() const { return malformed_; }

private:
    ByteReader body_;
    bool malformed_ = false;
};

// True when the bytes start a FORM header whose length (at least its type) fits
// in them; a start of fewer than four bytes is judged by what is there, so
// that "FO" is a FORM cut short.
bool IffFormFits(std::span<const std::uint8_t> bytes);
// True when the bytes begin, or are the beginning of, "FORM".
bool IffLooksLikeForm(std::span<const std::uint8_t> bytes);

// Appends a chunk, padded to an even length.
void PutIffChunk(std::string &out, const char *id, const std::string &data);
// A whole FORM of type around body (its chunks).
std::string MakeIffForm(const char *type, const std::string &body);
