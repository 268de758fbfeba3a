// Catalogs and environment for the texts' tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// A FORM CTLG catalog from (id, text) pairs; each length counts a terminating
// zero when countZero is set.
std::string MakeCatalogBytes(const std::vector<std::pair<std::int32_t, std::string>> &texts, std::uint32_t codeset = 0,
                             const std::string &language = "deutsch", bool countZero = true);

// Writes bytes as ROOT/Catalogs/LANGUAGE/NAME.catalog.
void InstallCatalog(const std::string &root, const std::string &language, const std::string &bytes,
                    const std::string &name = "Vellumine/Settings");

// Sets (or, with nullopt, unsets) an environment variable for the lifetime of the object.
class ScopedEnvVar {
public:
    ScopedEnvVar(const char *name, std::optional<std::string> value);
    ~ScopedEnvVar();
    ScopedEnvVar(const ScopedEnvVar &) = delete;
    ScopedEnvVar &operator=(const ScopedEnvVar &) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// Clears LANGUAGE, LC_ALL, LC_MESSAGES and LANG, then sets LANGUAGE to languages
// (when not empty) and SETTINGS_CATALOG_ROOTS to root.
class ScopedCatalogEnvironment {
public:
    ScopedCatalogEnvironment(const std::string &root, const std::string &languages);

private:
    ScopedEnvVar language_;
    ScopedEnvVar all_;
    ScopedEnvVar messages_;
    ScopedEnvVar lang_;
    ScopedEnvVar roots_;
};
