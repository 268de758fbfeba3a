// Names and drawers. A drawer's header block holds a hash table; each slot
// starts a chain of the entries whose names hash to it, linked through their
// hash-chain field. Names compare without case: ASCII letters on DOS\0 and
// DOS\1, ISO-8859-1 letters too on the international volumes (DOS\2 and up; the
// directory-cache and long-name modes are international as well), and the hash
// folds case the same way, so a volume looked up with the other rule misses.
#include <unordered_set>

#include "platform/filesystem/blocks.h"

using namespace amiga_fs;

namespace {

std::uint8_t FoldCase(std::uint8_t c, bool international)
{
    if (c >= 'a' && c <= 'z') {
        return static_cast<std::uint8_t>(c - ('a' - 'A'));
    }
    if (international && c >= 0xE0 && c <= 0xFE && c != 0xF7) {
        return static_cast<std::uint8_t>(c - ('a' - 'A'));
    }
    return c;
}

// Follows a drawer's hard link to the drawer itself.
bool ThroughDrawerLink(const Volume &volume, std::uint32_t &n, Block &block, FsFailure &why)
{
    if (block.Signed(block.Longs() - kEndSecType) != kSecLinkDrawer) {
        return true;
    }
    const std::uint32_t real = block.End(kEndRealEntry);
    if (!ReadHeader(volume, real, block, why)) {
        return false;
    }
    if (block.Signed(block.Longs() - kEndSecType) != kSecDrawer) {
        return Malformed(why, n, "a drawer's link to " + std::to_string(real) + ", which is not a drawer");
    }
    n = real;
    return true;
}

bool IsDrawer(const Block &block)
{
    std::int32_t type = block.Signed(block.Longs() - kEndSecType);
    return type == kSecDrawer || type == kSecRoot;
}

// Walks one hash chain of drawer, calling visit(n, block) for each entry after
// checking it lies in this drawer and in this slot; false at the first fault, or
// when visit says stop (then stopped is true).
template <typename Visit>
bool WalkChain(const Volume &volume, std::uint32_t drawer, std::uint32_t first, std::uint32_t slot, Visit visit,
               FsFailure &why)
{
    std::unordered_set<std::uint32_t> seen;
    Block block;
    for (std::uint32_t n = first; n != 0; n = block.End(kEndHashChain)) {
        if (!seen.insert(n).second) {
            return Malformed(why, n, "the hash chain of drawer " + std::to_string(drawer) + " loops");
        }
        if (!ReadHeader(volume, n, block, why)) {
            return false;
        }
        if (block.End(kEndParent) != drawer) {
            return Malformed(why, n,
                             "in drawer " + std::to_string(drawer) + " but its parent is " +
                                 std::to_string(block.End(kEndParent)));
        }
        const std::string name = HeaderName(volume, block);
        const std::uint32_t tableSize = static_cast<std::uint32_t>(TableSlots(block.Longs()));
        if (name.empty() || AmigaNameHash(name, volume.international, tableSize) != slot) {
            return Malformed(why, n, "its name does not hash to slot " + std::to_string(slot));
        }
        if (!visit(n, block)) {
            return true;
        }
    }
    return true;
}

bool FindIn(const Volume &volume, std::uint32_t drawer, const Block &drawerBlock, std::string_view name,
            std::uint32_t &found, FsFailure &why)
{
    const std::uint32_t slots = static_cast<std::uint32_t>(TableSlots(drawerBlock.Longs()));
    const std::uint32_t slot = AmigaNameHash(name, volume.international, slots);
    found = 0;
    auto visit = [&](std::uint32_t n, const Block &block) {
        if (SameAmigaName(HeaderName(volume, block), name, volume.international)) {
            found = n;
            return false;
        }
        return true;
    };
    if (!WalkChain(volume, drawer, drawerBlock.Long(kSlotsStart + slot), slot, visit, why)) {
        return false;
    }
    if (found == 0) {
        return Fail(why, FsProblem::NotFound, "no " + std::string(name));
    }
    return true;
}

// A long-name volume keeps a comment that does not fit beside the name in a
// comment block of its own, known by its own number, its entry's and its
// checksum (its type number is not relied on).
bool CommentFromBlock(const Volume &volume, const Block &header, Entry &entry, FsFailure &why)
{
    const std::uint32_t n = volume.longNames ? header.End(kEndCommentBlock) : 0;
    if (n == 0) {
        return true;
    }
    Block comment;
    if (n < volume.partition.reserved || !ReadBlock(volume, n, comment, why)) {
        return n < volume.partition.reserved ? Malformed(why, n, "a comment in the boot blocks") : false;
    }
    if (!ChecksumOk(comment, 5) || comment.Long(1) != n || comment.Long(2) != entry.block) {
        return Malformed(why, n, "not the comment block of " + std::to_string(entry.block));
    }
    entry.comment = ReadCounted(comment, kOfsDataHeader, kMaxComment);
    return true;
}

}  // namespace

bool SameAmigaName(std::string_view a, std::string_view b, bool international)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(static_cast<std::uint8_t>(a[i]), international) !=
            FoldCase(static_cast<std::uint8_t>(b[i]), international)) {
            return false;
        }
    }
    return true;
}

std::uint32_t AmigaNameHash(std::string_view name, bool international, std::uint32_t tableSize)
{
    std::uint32_t hash = static_cast<std::uint32_t>(name.size());
    for (char c : name) {
        hash = (hash * 13 + FoldCase(static_cast<std::uint8_t>(c), international)) & 0x7FF;
    }
    return tableSize == 0 ? 0 : hash % tableSize;
}

namespace amiga_fs {

bool SplitPath(std::string_view path, std::vector<std::string_view> &names)
{
    names.clear();
    if (path.empty()) {
        return true;
    }
    std::size_t start = 0;
    while (true) {
        std::size_t slash = path.find('/', start);
        std::string_view name = path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (name.empty() || name.find(':') != std::string_view::npos) {
            return false;
        }
        names.push_back(name);
        if (slash == std::string_view::npos) {
            return true;
        }
        start = slash + 1;
    }
}

bool ResolvePath(const Volume &volume, std::string_view path, std::uint32_t &block, std::uint32_t &parent,
                 FsFailure &why)
{
    why = FsFailure{};
    std::vector<std::string_view> names;
    if (!SplitPath(path, names)) {
        return Fail(why, FsProblem::BadName, "not a path of names: " + std::string(path));
    }
    block = volume.root;
    parent = 0;
    Block current;
    if (!ReadHeader(volume, block, current, why)) {
        return false;
    }
    for (std::string_view name : names) {
        if (!ThroughDrawerLink(volume, block, current, why)) {
            return false;
        }
        if (!IsDrawer(current)) {
            return Fail(why, FsProblem::WrongKind, "not a drawer on the way to " + std::string(path));
        }
        parent = block;
        if (!FindIn(volume, block, current, name, block, why)) {
            return false;
        }
        if (!ReadHeader(volume, block, current, why)) {
            return false;
        }
    }
    return true;
}

}  // namespace amiga_fs

bool FindEntry(const Volume &volume, std::string_view path, Entry &entry, FsFailure &why)
{
    std::uint32_t n = 0, parent = 0;
    Block block;
    if (!ResolvePath(volume, path, n, parent, why) || !ReadHeader(volume, n, block, why)) {
        return false;
    }
    entry = EntryFromHeader(volume, n, block);
    return CommentFromBlock(volume, block, entry, why);
}

bool ListDrawer(const Volume &volume, std::string_view path, std::vector<Entry> &entries, FsFailure &why)
{
    entries.clear();
    std::uint32_t n = 0, parent = 0;
    Block drawer;
    if (!ResolvePath(volume, path, n, parent, why) || !ReadHeader(volume, n, drawer, why) ||
        !ThroughDrawerLink(volume, n, drawer, why)) {
        return false;
    }
    if (!IsDrawer(drawer)) {
        return Fail(why, FsProblem::WrongKind, "not a drawer: " + std::string(path));
    }
    bool commentsRead = true;
    auto visit = [&](std::uint32_t entry, const Block &block) {
        entries.push_back(EntryFromHeader(volume, entry, block));
        commentsRead = CommentFromBlock(volume, block, entries.back(), why);
        return commentsRead;
    };
    for (std::uint32_t slot = 0; slot < TableSlots(drawer.Longs()); ++slot) {
        if (!WalkChain(volume, n, drawer.Long(kSlotsStart + slot), slot, visit, why) || !commentsRead) {
            entries.clear();
            return false;
        }
    }
    return true;
}
