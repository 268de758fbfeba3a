#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/libraries_setup.h"
#include "app/program_reset.h"
#include "platform/libraries.h"
#include "platform/locale.h"
#include "platform/toolkit/testing/toolkit_testing.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "text/strings.h"

namespace {

using Log = std::vector<std::string>;

const char *const kNames[] = {"dos.library",  "intuition.library", "graphics.library", "locale.library",
                              "icon.library", "muimaster.library", "asl.library"};

class LibrariesSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLibraryState();
        SetEasyRequestHook([this](const char *title, const char *body, const char *gadgets) {
            requests_.push_back(std::string(title) + "|" + body + "|" + gadgets);
            return 0;
        });
    }
    void TearDown() override
    {
        ResetLibraryState();
        SetEasyRequestHook(nullptr);
        EXPECT_EQ(OpenLibraryCount(), 0);
        EXPECT_EQ(OpenInterfaceCount(), 0);
    }

    ScopedEnvVar platform_{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnvVar failLibrary_{"SETTINGS_FAIL_LIBRARY", std::nullopt};
    ScopedEnvVar failInterface_{"SETTINGS_FAIL_INTERFACE", std::nullopt};
    ScopedEnvVar version_{"SETTINGS_LIBRARY_VERSION", std::nullopt};
    TempDir dir_;
    ScopedCatalogEnvironment environment_{dir_.path(), ""};
    Log requests_;
};

// A library or its interface missing at each position, muimaster at version 18
// and 19, or nothing missing: the failure named (on standard error while there is
// no display), and everything that opened released.
TEST_F(LibrariesSetupTest, AFailureIsNamedAndWhatOpenedIsReleased)
{
    struct Case {
        const char *variable;
        std::string value;
        int failing;  // 7: none
    };
    std::vector<Case> cases = {{"SETTINGS_FAIL_INTERFACE", kNames[1], 1},
                               {"SETTINGS_FAIL_INTERFACE", kNames[6], 6},
                               {"SETTINGS_LIBRARY_VERSION", "muimaster.library:18", 5},
                               {"SETTINGS_LIBRARY_VERSION", "muimaster.library:19", 7}};
    for (int i = 0; i <= 7; ++i) {
        cases.push_back({"SETTINGS_FAIL_LIBRARY", i < 7 ? kNames[i] : "none", i});
    }
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.variable << "=" << c.value);
        requests_.clear();
        ScopedEnvVar fail(c.variable, c.value);
        ASSERT_EQ(OpenLibraries(), c.failing < 7 ? 1 : 0);
        EXPECT_EQ(localeHandle != nullptr, c.failing > 3);
        if (c.failing < 7) {
            EXPECT_STREQ(scratchBuffer, kNames[c.failing]);
        }
        testing::internal::CaptureStderr();
        Shutdown(c.failing < 7 ? 1 : 0);
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(OpenLibraryCount(), 0);
        EXPECT_EQ(OpenInterfaceCount(), 0);
        const std::string message = c.failing < 7 ? std::string("Cannot open library ") + kNames[c.failing] + " !" : "";
        EXPECT_EQ(errors, c.failing <= 1 ? "Vellumine settings: " + message + "\n" : "");
        EXPECT_EQ(requests_, c.failing > 1 && c.failing < 7 ? Log{"Vellumine settings|" + message + "|OK"} : Log{});
        EXPECT_EQ(localeHandle, nullptr);
    }
}

// Code 2 reports the application, codes other than 1 and 2 nothing; the messages
// use the built-in texts although a catalog was open; the body is bounded and a
// text without argument is shown literally.
TEST_F(LibrariesSetupTest, FailuresShowBuiltInTextsWhileTheCatalogServesTheRest)
{
    ASSERT_EQ(OpenLibraries(), 0);
    ShowError(GetString(MSG_ERR_OPEN_LIBRARY), std::string(2000, 'x').c_str());
    ShowError("100%s %d %n", nullptr);
    Shutdown(0);
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[0].size(), 19 + 511 + 3u);
    EXPECT_EQ(requests_[1], "Vellumine settings|100%s %d %n|OK");

    requests_.clear();
    InstallCatalog(dir_.path(), "deutsch",
                   MakeCatalogBytes({{MSG_REQ_TITLE, "Vellumine-Einstellungen"},
                                     {MSG_REQ_OK, "Gut"},
                                     {MSG_ERR_OPEN_LIBRARY, "Die Bibliothek %s fehlt!"},
                                     {MSG_ERR_CREATE_APP, "Fehler!"},
                                     {MSG_BUTTON_SAVE, "Speichern"}}));
    ScopedEnvVar language("LANGUAGE", "de");
    ASSERT_EQ(OpenLibraries(), 0);
    Shutdown(7);
    EXPECT_TRUE(requests_.empty());

    ASSERT_EQ(OpenLibraries(), 0);
    EXPECT_STREQ(GetString(MSG_BUTTON_SAVE), "Speichern");
    Shutdown(2);
    EXPECT_EQ(catalogHandle, nullptr);
    EXPECT_EQ(requests_, Log{"Vellumine settings|Error creating application!|OK"});

    ScopedEnvVar fail("SETTINGS_FAIL_LIBRARY", "asl.library");
    ASSERT_EQ(OpenLibraries(), 1);
    EXPECT_NE(catalogHandle, nullptr);
    Shutdown(1);
    EXPECT_EQ(requests_.back(), "Vellumine settings|Cannot open library asl.library !|OK");
}

}  // namespace
