#include "support/catalog_test_util.h"

#include <cstdlib>
#include <filesystem>

#include "support/temp_dir.h"

namespace {

void PutU32(std::string *out, std::uint32_t value)
{
    out->push_back(static_cast<char>(value >> 24));
    out->push_back(static_cast<char>(value >> 16));
    out->push_back(static_cast<char>(value >> 8));
    out->push_back(static_cast<char>(value));
}

void PutChunk(std::string *out, const char *id, const std::string &data)
{
    out->append(id, 4);
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    *out += data;
    if (data.size() % 2 != 0) {
        out->push_back('\0');
    }
}

}  // namespace

std::string MakeCatalogBytes(const std::vector<std::pair<std::int32_t, std::string>> &texts,
                             std::uint32_t codeset, const std::string &language, bool countZero)
{
    std::string strings;
    for (const auto &[id, text] : texts) {
        std::string stored = countZero ? text + '\0' : text;
        PutU32(&strings, static_cast<std::uint32_t>(id));
        PutU32(&strings, static_cast<std::uint32_t>(stored.size()));
        strings += stored;
        while (strings.size() % 4 != 0) {
            strings.push_back('\0');
        }
    }
    std::string body = "CTLG";
    PutChunk(&body, "FVER", std::string("$VER: Settings.catalog 1.0 (1.1.24)") + '\0');
    PutChunk(&body, "LANG", language + '\0');
    std::string cset;
    PutU32(&cset, codeset);
    PutChunk(&body, "CSET", cset + std::string(28, '\0'));
    PutChunk(&body, "STRS", strings);
    std::string file = "FORM";
    PutU32(&file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

void InstallCatalog(const std::string &root, const std::string &language, const std::string &bytes)
{
    std::string folder = root + "/Catalogs/" + language + "/Vellumine";
    std::filesystem::create_directories(folder);
    WriteFileBytes(folder + "/Settings.catalog", bytes);
}

ScopedEnvVar::ScopedEnvVar(const char *name, std::optional<std::string> value) : name_(name)
{
    if (const char *old = std::getenv(name)) {
        previous_ = old;
    }
    if (value) {
        setenv(name, value->c_str(), 1);
    } else {
        unsetenv(name);
    }
}

ScopedEnvVar::~ScopedEnvVar()
{
    if (previous_) {
        setenv(name_.c_str(), previous_->c_str(), 1);
    } else {
        unsetenv(name_.c_str());
    }
}

ScopedCatalogEnvironment::ScopedCatalogEnvironment(const std::string &root, const std::string &languages)
    : language_("LANGUAGE", languages.empty() ? std::nullopt : std::optional<std::string>(languages)),
      all_("LC_ALL", std::nullopt),
      messages_("LC_MESSAGES", std::nullopt),
      lang_("LANG", std::nullopt),
      roots_("SETTINGS_CATALOG_ROOTS", root)
{
}
