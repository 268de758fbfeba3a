// Reading a file. Its header lists its first data blocks (the first in the
// table's last slot), extension blocks the rest; the size in the header tells
// how many there must be. FFS data blocks are bare bytes; OFS ones carry a
// header naming the file, their sequence number, their byte count and the next
// block, every one of them checked.
#include <algorithm>

#include "platform/filesystem/blocks.h"

using namespace amiga_fs;

namespace amiga_fs {

bool ResolveFile(const Volume &volume, std::string_view path, std::uint32_t &header, Block &headerBlock,
                 std::uint32_t &parent, FsFailure &why)
{
    if (!ResolvePath(volume, path, header, parent, why) || !ReadHeader(volume, header, headerBlock, why)) {
        return false;
    }
    if (headerBlock.Signed(headerBlock.Longs() - kEndSecType) == kSecLinkFile) {
        const std::uint32_t real = headerBlock.End(kEndRealEntry);
        if (!ReadHeader(volume, real, headerBlock, why)) {
            return false;
        }
        if (headerBlock.Signed(headerBlock.Longs() - kEndSecType) != kSecFile) {
            return Malformed(why, header, "a file's link to " + std::to_string(real) + ", which is not a file");
        }
        header = real;
        parent = headerBlock.End(kEndParent);
    }
    if (headerBlock.Signed(headerBlock.Longs() - kEndSecType) != kSecFile) {
        return Fail(why, FsProblem::WrongKind, "not a file: " + std::string(path));
    }
    return true;
}

bool ReadFileData(const Volume &volume, std::uint32_t header, const Block &headerBlock, const FileBlocks &blocks,
                  std::string *bytes, FsFailure &why)
{
    const std::size_t size = headerBlock.End(kEndByteSize);
    const std::size_t each = DataBytes(volume);
    if (bytes != nullptr) {
        bytes->clear();
        bytes->reserve(size);
    }
    Block data;
    for (std::size_t i = 0, done = 0; i < blocks.data.size(); ++i, done += each) {
        const std::uint32_t n = blocks.data[i];
        const std::size_t chunk = std::min(each, size - done);
        if (!ReadBlock(volume, n, data, why)) {
            return false;
        }
        if (!volume.fast) {
            const std::uint32_t next = i + 1 < blocks.data.size() ? blocks.data[i + 1] : 0;
            if (!CheckOfsData(volume, data, n, header, static_cast<std::uint32_t>(i + 1),
                              static_cast<std::uint32_t>(chunk), next, why)) {
                return false;
            }
        }
        const std::size_t from = volume.fast ? 0 : kOfsDataHeader;
        if (bytes != nullptr) {
            bytes->append(reinterpret_cast<const char *>(data.bytes.data() + from), chunk);
        }
    }
    return true;
}

}  // namespace amiga_fs

bool ReadFileBytes(const Volume &volume, std::string_view path, std::size_t limit, std::string &bytes, FsFailure &why)
{
    bytes.clear();
    std::uint32_t header = 0, parent = 0;
    Block headerBlock;
    FileBlocks blocks;
    if (!ResolveFile(volume, path, header, headerBlock, parent, why)) {
        return false;
    }
    if (headerBlock.End(kEndByteSize) > limit) {
        return Fail(why, FsProblem::TooLarge,
                    std::string(path) + ": " + std::to_string(headerBlock.End(kEndByteSize)) + " bytes, more than " +
                        std::to_string(limit));
    }
    return ReadFileBlocks(volume, header, headerBlock, blocks, why) &&
           ReadFileData(volume, header, headerBlock, blocks, &bytes, why);
}
