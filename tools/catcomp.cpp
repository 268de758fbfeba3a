// catcomp NAME.cd LANG/NAME.ct -o OUT.catalog
// Compiles a catalog description and a translation into an Amiga catalog.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "catalog_compiler.h"

namespace {

bool ReadWhole(const char *path, std::string *out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int Usage()
{
    std::fputs("usage: catcomp NAME.cd LANG/NAME.ct -o OUT.catalog\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *descriptionPath = nullptr;
    const char *translationPath = nullptr;
    const char *outputPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
            outputPath = argv[++i];
        } else if (descriptionPath == nullptr) {
            descriptionPath = argv[i];
        } else if (translationPath == nullptr) {
            translationPath = argv[i];
        } else {
            return Usage();
        }
    }
    if (descriptionPath == nullptr || translationPath == nullptr || outputPath == nullptr) {
        return Usage();
    }

    std::string descriptionSource;
    std::string translationSource;
    if (!ReadWhole(descriptionPath, &descriptionSource)) {
        std::fprintf(stderr, "catcomp: cannot read %s\n", descriptionPath);
        return 1;
    }
    if (!ReadWhole(translationPath, &translationSource)) {
        std::fprintf(stderr, "catcomp: cannot read %s\n", translationPath);
        return 1;
    }
    CatalogDescription description;
    CatalogTranslation translation;
    std::string error;
    if (!ParseCatalogDescription(descriptionSource, &description, &error)) {
        std::fprintf(stderr, "catcomp: %s: %s\n", descriptionPath, error.c_str());
        return 1;
    }
    if (!ParseCatalogTranslation(translationSource, &translation, &error)) {
        std::fprintf(stderr, "catcomp: %s: %s\n", translationPath, error.c_str());
        return 1;
    }
    std::vector<std::string> warnings;
    std::string catalog = BuildCatalog(description, translation, &warnings);
    for (const std::string &warning : warnings) {
        std::fprintf(stderr, "catcomp: %s: warning: %s\n", translationPath, warning.c_str());
    }

    // Written beside the target and renamed over it, so a failure leaves no half file.
    std::filesystem::path target(outputPath);
    std::error_code ignored;
    if (target.has_parent_path()) {
        std::filesystem::create_directories(target.parent_path(), ignored);
    }
    std::string temporary = target.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(catalog.data(), static_cast<std::streamsize>(catalog.size()));
        out.flush();
        if (!out) {
            std::fprintf(stderr, "catcomp: cannot write %s\n", temporary.c_str());
            std::filesystem::remove(temporary, ignored);
            return 1;
        }
    }
    std::filesystem::rename(temporary, target, ignored);
    if (ignored) {
        std::fprintf(stderr, "catcomp: cannot write %s\n", outputPath);
        std::filesystem::remove(temporary, ignored);
        return 1;
    }
    return 0;
}
