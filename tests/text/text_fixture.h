// A fixture with locale.library open and a catalog built from given texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/libraries_setup.h"
#include "platform/libraries.h"
#include "platform/locale.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "text/menu.h"
#include "text/strings.h"

class TextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLibraryState();
        ResetMenuTable();
    }

    void TearDown() override
    {
        ResetMenuTable();
        ResetLibraryState();
    }

    // Opens the locale library and a catalog holding texts (none when empty).
    void OpenCatalogWith(const std::vector<std::pair<std::int32_t, std::string>> &texts, std::uint32_t codeset = 0)
    {
        if (!texts.empty()) {
            InstallCatalog(dir_.path(), "deutsch", MakeCatalogBytes(texts, codeset));
        }
        LocaleBase = OpenLibrary("locale.library", 39);
        ASSERT_NE(LocaleBase, nullptr);
        ILocale = GetInterface(LocaleBase, "main", 1, nullptr);
        ASSERT_NE(ILocale, nullptr);
        localeHandle = OpenLocale(nullptr);
        catalogHandle = OpenCatalog(localeHandle, "Vellumine/Settings.catalog", nullptr);
    }

    TempDir dir_;
    ScopedCatalogEnvironment environment_{dir_.path(), "de"};
};

// A menu text: shortcut, zero byte, label.
inline std::string MenuText(char key, const std::string &label)
{
    return std::string(1, key) + '\0' + label;
}
