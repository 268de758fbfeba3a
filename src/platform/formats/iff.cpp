#include "platform/formats/iff.h"

bool IffReader::Open(std::span<const std::uint8_t> bytes, const char *type)
{
    malformed_ = false;
    ByteReader form{bytes.data(), bytes.size(), 0};
    std::uint32_t length = 0;
    if (!form.At("FORM") || !form.Skip(4) || !form.U32(length) || length < 4 || length > form.Left() ||
        !form.At(type)) {
        return false;
    }
    body_ = ByteReader{form.Here() + 4, length - 4u, 0};
    return true;
}

bool IffReader::Next(IffChunk &chunk)
{
    if (body_.Left() == 0) {
        return false;
    }
    std::uint32_t length = 0;
    const std::uint8_t *id = body_.Take(4);
    if (id == nullptr || !body_.U32(length) || length > body_.Left()) {
        malformed_ = true;
        return false;
    }
    std::memcpy(chunk.id, id, 4);
    chunk.data = {body_.Take(length), length};
    if (length % 2 != 0 && !body_.Skip(1)) {
        body_.pos = body_.size;  // the last chunk's pad byte may be missing
    }
    return true;
}

bool IffLooksLikeForm(std::span<const std::uint8_t> bytes)
{
    std::size_t n = bytes.size() < 4 ? bytes.size() : 4;
    return n > 0 && std::memcmp(bytes.data(), "FORM", n) == 0;
}

bool IffFormFits(std::span<const std::uint8_t> bytes)
{
    ByteReader form{bytes.data(), bytes.size(), 0};
    std::uint32_t length = 0;
    return form.Skip(4) && form.U32(length) && length >= 4 && length <= form.Left();
}

void PutIffChunk(std::string &out, const char *id, const std::string &data)
{
    out.append(id, 4);
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    out += data;
    if (data.size() % 2 != 0) {
        out.push_back('\0');
    }
}

std::string MakeIffForm(const char *type, const std::string &body)
{
    std::string out = "FORM";
    PutBE32(out, static_cast<std::uint32_t>(4 + body.size()));
    out.append(type, 4);
    return out + body;
}
