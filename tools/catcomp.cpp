// catcomp NAME.cd LANG/NAME.ct -o OUT.catalog
// catcomp NAME.cd --header OUT.h --table OUT.cpp [--namespace NAME]
// Compiles a catalog description and a translation into an Amiga catalog, or
// makes the program's string ids and built-in texts from the description.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/formats/catalog_compiler.h"
#include "platform/system/whole_file.h"

namespace {

constexpr std::size_t kMaxSourceSize = 16u << 20;

bool ReadWhole(const char *path, std::string *out)
{
    std::vector<std::uint8_t> bytes;
    if (ReadWholeFile(path, kMaxSourceSize, bytes) != FileReadStatus::Ok) {
        return false;
    }
    out->assign(bytes.begin(), bytes.end());
    return true;
}

// Written beside the target and renamed over it, so a failure leaves no half
// file. A target that already holds these bytes is left alone, keeping its time.
bool WriteReplacing(const char *path, const std::string &bytes)
{
    std::string old;
    if (ReadWhole(path, &old) && old == bytes) {
        return true;
    }
    std::filesystem::path target(path);
    std::error_code ignored;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ignored);
    }
    std::string temporary = target.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            std::fprintf(stderr, "catcomp: cannot write %s\n", temporary.c_str());
            std::filesystem::remove(temporary, ignored);
            return false;
        }
    }
    std::filesystem::rename(temporary, target, ignored);
    if (ignored) {
        std::fprintf(stderr, "catcomp: cannot write %s\n", path);
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

int Usage()
{
    std::fputs("usage: catcomp NAME.cd LANG/NAME.ct -o OUT.catalog\n"
               "       catcomp NAME.cd --header OUT.h --table OUT.cpp [--namespace NAME]\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *descriptionPath = nullptr;
    const char *translationPath = nullptr;
    const char *outputPath = nullptr;
    const char *headerPath = nullptr;
    const char *tablePath = nullptr;
    std::string space;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            outputPath = argv[++i];
        } else if (std::strcmp(argv[i], "--header") == 0 && i + 1 < argc) {
            headerPath = argv[++i];
        } else if (std::strcmp(argv[i], "--table") == 0 && i + 1 < argc) {
            tablePath = argv[++i];
        } else if (std::strcmp(argv[i], "--namespace") == 0 && i + 1 < argc) {
            space = argv[++i];
        } else if (descriptionPath == nullptr) {
            descriptionPath = argv[i];
        } else if (translationPath == nullptr) {
            translationPath = argv[i];
        } else {
            return Usage();
        }
    }
    const bool strings =
        headerPath != nullptr && tablePath != nullptr && translationPath == nullptr && outputPath == nullptr;
    const bool catalogFile =
        translationPath != nullptr && outputPath != nullptr && headerPath == nullptr && tablePath == nullptr;
    if (descriptionPath == nullptr || (!strings && !catalogFile)) {
        return Usage();
    }

    std::string descriptionSource;
    if (!ReadWhole(descriptionPath, &descriptionSource)) {
        std::fprintf(stderr, "catcomp: cannot read %s\n", descriptionPath);
        return 1;
    }
    CatalogDescription description;
    std::string error;
    if (!ParseCatalogDescription(descriptionSource, &description, &error)) {
        std::fprintf(stderr, "catcomp: %s: %s\n", descriptionPath, error.c_str());
        return 1;
    }
    if (strings) {
        // The table includes the header from its own folder.
        const std::string header = std::filesystem::path(headerPath).filename().string();
        return WriteReplacing(headerPath, BuildStringHeader(description, space)) &&
                       WriteReplacing(tablePath, BuildStringTable(description, header, space))
                   ? 0
                   : 1;
    }

    std::string translationSource;
    if (!ReadWhole(translationPath, &translationSource)) {
        std::fprintf(stderr, "catcomp: cannot read %s\n", translationPath);
        return 1;
    }
    CatalogTranslation translation;
    if (!ParseCatalogTranslation(translationSource, &translation, &error)) {
        std::fprintf(stderr, "catcomp: %s: %s\n", translationPath, error.c_str());
        return 1;
    }
    std::vector<std::string> warnings;
    std::string catalog = BuildCatalog(description, translation, &warnings);
    for (const std::string &warning : warnings) {
        std::fprintf(stderr, "catcomp: %s: warning: %s\n", translationPath, warning.c_str());
    }
    return WriteReplacing(outputPath, catalog) ? 0 : 1;
}
