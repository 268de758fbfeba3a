#include "support/catalog_test_util.h"

#include <filesystem>

#include "platform/formats/big_endian.h"
#include "platform/formats/iff.h"
#include "support/temp_dir.h"

std::string MakeCatalogBytes(const std::vector<std::pair<std::int32_t, std::string>> &texts, std::uint32_t codeset,
                             const std::string &language, bool countZero)
{
    std::string strings, body, cset;
    for (const auto &[id, text] : texts) {
        const std::string stored = countZero ? text + '\0' : text;
        PutBE32(strings, static_cast<std::uint32_t>(id));
        PutBE32(strings, static_cast<std::uint32_t>(stored.size()));
        strings += stored + std::string((4 - stored.size() % 4) % 4, '\0');
    }
    PutIffChunk(body, "FVER", std::string("$VER: Settings.catalog 1.0 (1.1.24)") + '\0');
    PutIffChunk(body, "LANG", language + '\0');
    PutBE32(cset, codeset);
    PutIffChunk(body, "CSET", cset + std::string(28, '\0'));
    PutIffChunk(body, "STRS", strings);
    return MakeIffForm("CTLG", body);
}

void InstallCatalog(const std::string &root, const std::string &language, const std::string &bytes,
                    const std::string &name)
{
    const std::filesystem::path path = root + "/Catalogs/" + language + "/" + name + ".catalog";
    std::filesystem::create_directories(path.parent_path());
    WriteFileBytes(path.string(), bytes);
}

ScopedEnvVar::ScopedEnvVar(const char *name, std::optional<std::string> value) : name_(name)
{
    if (const char *old = std::getenv(name)) {
        previous_ = old;
    }
    value ? setenv(name, value->c_str(), 1) : unsetenv(name);
}

ScopedEnvVar::~ScopedEnvVar()
{
    previous_ ? setenv(name_.c_str(), previous_->c_str(), 1) : unsetenv(name_.c_str());
}

ScopedCatalogEnvironment::ScopedCatalogEnvironment(const std::string &root, const std::string &languages)
    : language_("LANGUAGE", languages.empty() ? std::nullopt : std::optional<std::string>(languages)),
      all_("LC_ALL", std::nullopt), messages_("LC_MESSAGES", std::nullopt), lang_("LANG", std::nullopt),
      roots_("SETTINGS_CATALOG_ROOTS", root)
{
}
