// Prints an icon file in three parts: the bytes before its tooltype section (hex),
// each tooltype, and the bytes after the section (hex), so that tests can check
// that a write changed the tooltypes and nothing else. Independent of the icon
// store: it walks the classic layout itself. Exit value 1 when the file is not a
// well-formed icon.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Reader {
    const std::string &bytes;
    std::size_t pos = 0;
    bool ok = true;

    std::uint32_t At(std::size_t offset, int size) const
    {
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
        }
        return value;
    }
    void Skip(std::size_t count)
    {
        if (!ok || count > bytes.size() - pos) {
            ok = false;
            return;
        }
        pos += count;
    }
    std::uint32_t Long()
    {
        if (!ok || bytes.size() - pos < 4) {
            ok = false;
            return 0;
        }
        pos += 4;
        return At(pos - 4, 4);
    }
    void Image()
    {
        if (!ok || bytes.size() - pos < 20) {
            ok = false;
            return;
        }
        const std::size_t width = At(pos + 4, 2), height = At(pos + 6, 2), depth = At(pos + 8, 2);
        Skip(20);
        Skip((width + 15) / 16 * 2 * height * depth);
    }
    std::string Text()
    {
        const std::uint32_t length = Long();
        const std::size_t start = pos;
        Skip(length);
        if (!ok || length == 0 || bytes[pos - 1] != '\0') {
            ok = false;
            return {};
        }
        return bytes.substr(start, length - 1);
    }
};

std::string Hex(const std::string &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s ICON.info\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Reader r{bytes};
    if (bytes.size() < 78 || r.At(0, 2) != 0xE310) {
        return 1;
    }
    r.pos = 78;
    if (r.At(66, 4) != 0) {
        r.Skip(56);
    }
    if (r.At(22, 4) != 0) {
        r.Image();
    }
    if (r.At(26, 4) != 0) {
        r.Image();
    }
    if (r.At(50, 4) != 0) {
        r.Text();
    }
    const std::size_t start = r.pos;
    std::vector<std::string> toolTypes;
    if (r.At(54, 4) != 0) {
        const std::uint32_t count = r.Long();
        if (count < 4 || count % 4 != 0) {
            return 1;
        }
        for (std::uint32_t i = 0; i + 1 < count / 4 && r.ok; ++i) {
            toolTypes.push_back(r.Text());
        }
    }
    if (!r.ok) {
        return 1;
    }
    std::printf("before %s\n", Hex(bytes.substr(0, start)).c_str());
    for (const std::string &t : toolTypes) {
        std::printf("tooltype %s\n", t.c_str());
    }
    std::printf("after %s\n", Hex(bytes.substr(r.pos)).c_str());
    return 0;
}
