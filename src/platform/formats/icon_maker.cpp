#include "platform/formats/icon_maker.h"

#include "platform/formats/big_endian.h"
#include "platform/formats/iff.h"
#include "platform/formats/png_icon.h"

namespace {

constexpr int kImageWidth = 32;
constexpr int kImageHeight = 16;
constexpr int kImageDepth = 2;

// A four-pointed star in the pens 0 to 3.
// clang-format off
constexpr const char *kStar[kImageHeight] = {
    "................................",
    "...............33...............",
    "..............3223..............",
    "..............3223..............",
    ".............322223.............",
    "..........33322112233...........",
    "......33332221111112223333......",
    "....3222211111111111111222223...",
    "......33332221111112223333......",
    "..........33322112233...........",
    ".............322223.............",
    "..............3223..............",
    "..............3223..............",
    "...............33...............",
    "................................",
    "................................",
};
// clang-format on

void PutText(std::string &out, const std::string &text)
{
    PutBE32(out, static_cast<std::uint32_t>(text.size() + 1));
    out += text;
    out.push_back('\0');
}

// An Image structure and its planes; inverted gives the selected look.
void PutImage(std::string &out, bool inverted)
{
    PutBE16(out, 0);  // left
    PutBE16(out, 0);  // top
    PutBE16(out, kImageWidth);
    PutBE16(out, kImageHeight);
    PutBE16(out, kImageDepth);
    PutBE32(out, 1);                                           // image data pointer
    out.push_back(static_cast<char>((1 << kImageDepth) - 1));  // plane pick
    out.push_back(0);                                          // plane on/off
    PutBE32(out, 0);                                           // next image
    for (int plane = 0; plane < kImageDepth; ++plane) {
        for (int y = 0; y < kImageHeight; ++y) {
            for (int x0 = 0; x0 < kImageWidth; x0 += 8) {
                unsigned byte = 0;
                for (int x = x0; x < x0 + 8; ++x) {
                    char c = kStar[y][x];
                    unsigned pen = c == '.' ? 0 : static_cast<unsigned>(c - '0');
                    if (inverted) {
                        pen ^= 3;
                    }
                    byte = (byte << 1) | ((pen >> plane) & 1);
                }
                out.push_back(static_cast<char>(byte));
            }
        }
    }
}

// A PNG chunk: length, type, data, CRC of type and data.
void PutChunk(std::string &out, const char *type, const std::string &data)
{
    std::string body = std::string(type, 4) + data;
    PutBE32(out, static_cast<std::uint32_t>(data.size()));
    out += body;
    PutBE32(out, PngCrc32(0, BytesOf(body)));
}

// A zlib stream holding bytes (at most 65535) as one stored deflate block: a
// valid image needs no compression, and the formats need no zlib.
std::string StoredZlib(const std::string &bytes)
{
    std::string out("\x78\x01\x01", 3);  // deflate, 32K window; final stored block
    auto length = static_cast<std::uint16_t>(bytes.size());
    for (std::uint16_t v : {length, static_cast<std::uint16_t>(~length)}) {
        out.push_back(static_cast<char>(v & 0xFF));  // little-endian, as deflate stores them
        out.push_back(static_cast<char>(v >> 8));
    }
    out += bytes;
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (unsigned char c : bytes) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBE32(out, (b << 16) | a);
    return out;
}

void PutTag(std::string &out, std::uint32_t tag, std::uint32_t value)
{
    PutBE32(out, tag);
    PutBE32(out, value);
}

void PutTag(std::string &out, std::uint32_t tag, const std::string &text)
{
    PutBE32(out, tag);
    out += text;
    out.push_back('\0');
}

// The star as an 8-bit palette PNG image: pen 0 transparent; inverted gives the
// selected look. Its icOn chunk, when not empty, before IEND.
void PutPngImage(std::string &out, bool inverted, const std::string &icOn, bool hasIcOn)
{
    out += "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBE32(header, kImageWidth);
    PutBE32(header, kImageHeight);
    header += std::string("\x08\x03\x00\x00\x00", 5);  // depth 8, palette, deflate, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "PLTE", std::string("\x95\x95\x95\x00\x00\x00\xff\xff\xff\x3b\x67\xa2", 12));
    PutChunk(out, "tRNS", std::string(1, '\0'));
    std::string rows;
    for (int y = 0; y < kImageHeight; ++y) {
        rows.push_back(0);  // no filter
        for (int x = 0; x < kImageWidth; ++x) {
            char c = kStar[y][x];
            unsigned pen = c == '.' ? 0 : static_cast<unsigned>(c - '0');
            rows.push_back(static_cast<char>(inverted && pen != 0 ? pen ^ 3 : pen));
        }
    }
    PutChunk(out, "IDAT", StoredZlib(rows));
    if (hasIcOn) {
        PutChunk(out, "icOn", icOn);
    }
    PutChunk(out, "IEND", "");
}

std::string MakePngIcon(const IconSpec &spec)
{
    std::string tags;
    PutTag(tags, ATTR_TYPE, spec.type);
    if (spec.type == ICON_TOOL || spec.type == ICON_PROJECT) {
        PutTag(tags, ATTR_STACKSIZE, 4096);
    }
    if (spec.hasDefaultTool) {
        PutTag(tags, ATTR_DEFAULTTOOL, spec.defaultTool);
    }
    for (const std::string &entry : spec.toolTypes) {
        PutTag(tags, ATTR_TOOLTYPE, entry);
    }
    PutTag(tags, ATTR_ICONX, 16);
    PutTag(tags, ATTR_ICONY, 24);
    if (spec.hasToolWindow) {
        PutTag(tags, ATTR_TOOLWINDOW, spec.toolWindow);
    }
    if (spec.drawerData) {
        // The drawer window's place and size, its flags and view modes in three sets.
        PutTag(tags, ATTR_DRAWERX, 60);
        PutTag(tags, ATTR_DRAWERY, 60);
        PutTag(tags, ATTR_DRAWERWIDTH, 400);
        PutTag(tags, ATTR_DRAWERHEIGHT, 200);
        PutTag(tags, ATTR_DRAWERFLAGS, 0);
        PutTag(tags, ATTR_DRAWERFLAGS3, 1);
        PutTag(tags, ATTR_VIEWMODES, 2);
    }
    std::string out;
    PutPngImage(out, false, tags, spec.iconChunk);
    if (spec.selectImage) {
        std::string own;
        PutTag(own, ATTR_STACKSIZE, 30000);
        PutTag(own, ATTR_ICONX, 47);
        PutTag(own, ATTR_ICONY, 56);
        PutPngImage(out, true, own, true);
    }
    return out;
}

}  // namespace

std::string MakeIcon(const IconSpec &spec)
{
    if (spec.png) {
        return MakePngIcon(spec);
    }
    bool section = spec.toolTypeSection || !spec.toolTypes.empty() || !spec.newIconsLines.empty();
    std::string out;
    PutBE16(out, 0xE310);  // magic
    PutBE16(out, 1);       // version
    // The gadget.
    PutBE32(out, 0);                                  // next gadget
    PutBE16(out, 0);                                  // left
    PutBE16(out, 0);                                  // top
    PutBE16(out, kImageWidth);                        // width
    PutBE16(out, kImageHeight + 1);                   // height
    PutBE16(out, spec.selectImage ? 6 : 5);           // flags: image, with a select image or backfill
    PutBE16(out, 3);                                  // activation: relverify, immediate
    PutBE16(out, 1);                                  // boolean gadget
    PutBE32(out, 0x00421000);                         // gadget render
    PutBE32(out, spec.selectImage ? 0x00421100 : 0);  // select render
    PutBE32(out, 0);                                  // gadget text
    PutBE32(out, 0);                                  // mutual exclude
    PutBE32(out, 0);                                  // special info
    PutBE16(out, 0);                                  // gadget id
    PutBE32(out, spec.revision);                      // user data: the revision
    // The rest of the DiskObject.
    out.push_back(static_cast<char>(spec.type));
    out.push_back(0);
    PutBE32(out, spec.hasDefaultTool ? 0x00422000 : 0);
    PutBE32(out, section ? 0x00423000 : 0);
    PutBE32(out, 0x80000000u);  // current x: no position
    PutBE32(out, 0x80000000u);  // current y
    PutBE32(out, spec.drawerData ? 0x00424000 : 0);
    PutBE32(out, spec.hasToolWindow ? 0x00425000 : 0);
    PutBE32(out, spec.type == ICON_TOOL || spec.type == ICON_PROJECT ? 4096 : 0);  // stack

    if (spec.drawerData) {
        // A NewWindow (48 bytes) and the drawer's scroll position (8 bytes).
        PutBE16(out, 60);   // left
        PutBE16(out, 40);   // top
        PutBE16(out, 400);  // width
        PutBE16(out, 200);  // height
        out.push_back(static_cast<char>(0xFF));
        out.push_back(static_cast<char>(0xFF));
        out.append(48 - 10, '\0');
        PutBE32(out, 0);
        PutBE32(out, 0);
    }
    PutImage(out, false);
    if (spec.selectImage) {
        PutImage(out, true);
    }
    if (spec.hasDefaultTool) {
        PutText(out, spec.defaultTool);
    }
    if (section) {
        std::size_t count = spec.toolTypes.size();
        if (!spec.newIconsLines.empty()) {
            count += 2 + spec.newIconsLines.size();
        }
        PutBE32(out, static_cast<std::uint32_t>((count + 1) * 4));
        for (const std::string &entry : spec.toolTypes) {
            PutText(out, entry);
        }
        if (!spec.newIconsLines.empty()) {
            PutText(out, " ");
            PutText(out, "*** DON'T EDIT THE FOLLOWING LINES!! ***");
            for (const std::string &line : spec.newIconsLines) {
                PutText(out, line);
            }
        }
    }
    if (spec.hasToolWindow) {
        PutText(out, spec.toolWindow);
    }
    if (spec.drawerData && spec.revision == 1) {
        PutBE32(out, 0);  // flags: as the system prefers
        PutBE16(out, 1);  // view by icon
    }
    if (spec.os35) {
        // FORM ICON with one FACE chunk: width - 1, height - 1, flags, aspect, palette size - 1.
        std::string face;
        face.push_back(static_cast<char>(kImageWidth - 1));
        face.push_back(static_cast<char>(kImageHeight - 1));
        face.push_back(0);
        face.push_back(0x11);
        PutBE16(face, 3 * 4 - 1);
        std::string chunks;
        PutIffChunk(chunks, "FACE", face);
        out += MakeIffForm("ICON", chunks);
    }
    return out;
}

std::vector<std::string> SampleNewIconsLines()
{
    std::vector<std::string> lines;
    for (int n = 1; n <= 2; ++n) {
        for (int row = 0; row < 3; ++row) {
            std::string line = "IM" + std::to_string(n) + "=";
            for (int i = 0; i < 40; ++i) {
                line.push_back(static_cast<char>(0x21 + (i * 7 + row * 13 + n * 29) % 0xAE));
            }
            lines.push_back(line);
        }
    }
    return lines;
}
