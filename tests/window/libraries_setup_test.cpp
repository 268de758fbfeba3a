#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "platform/system/libraries.h"
#include "platform/system/locale.h"
#include "platform/toolkit/testing/toolkit_testing.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "text/strings.h"
#include "window/libraries_setup.h"
#include "window/program_reset.h"

namespace {

using Log = std::vector<std::string>;

// The names of the log's entries that start with verb, in order.
Log Names(const Log &log, const std::string &verb)
{
    Log names;
    for (const std::string &entry : log) {
        if (entry.starts_with(verb + " ")) {
            const std::string rest = entry.substr(verb.size() + 1);
            names.push_back(rest.substr(0, rest.find(' ')));
        }
    }
    return names;
}

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

    ScopedEnvVar failLibrary_{"SETTINGS_FAIL_LIBRARY", std::nullopt};
    ScopedEnvVar failInterface_{"SETTINGS_FAIL_INTERFACE", std::nullopt};
    ScopedEnvVar version_{"SETTINGS_LIBRARY_VERSION", std::nullopt};
    TempDir dir_;
    ScopedCatalogEnvironment environment_{dir_.path(), ""};
    Log requests_;
};

// A library missing, too old or without its interface at each step: the
// opening stops there and names it (on standard error until intuition is open);
// what opened is released once, each interface before its library, in the order
// of a full run, where graphics goes last and dos just before it.
TEST_F(LibrariesSetupTest, AFailureAtEachStepNamesItAndReleasesWhatOpened)
{
    {
        ScopedEnvVar oldest("SETTINGS_LIBRARY_VERSION", "muimaster.library:19");
        ClearLibraryCallLog();
        ASSERT_EQ(OpenLibraries(), 0);
    }
    EXPECT_NE(localeHandle, nullptr);
    const Log order = Names(LibraryCallLog(), "open");
    ASSERT_EQ(order.size(), 7u);
    ClearLibraryCallLog();
    Shutdown(0);
    const Log releases = Names(LibraryCallLog(), "close");
    ASSERT_EQ(releases.size(), 7u);
    EXPECT_EQ(releases[6], "graphics.library");
    EXPECT_EQ(releases[5], "dos.library");
    EXPECT_TRUE(requests_.empty());

    const char *variable[] = {"SETTINGS_LIBRARY_VERSION", "SETTINGS_FAIL_LIBRARY", "SETTINGS_FAIL_INTERFACE"};
    for (std::size_t i = 0; i < 3 * order.size(); ++i) {
        const std::size_t failing = i / 3;
        const std::string name = order[failing];
        ScopedEnvVar fail(variable[i % 3], i % 3 != 0 ? name : name + (name == "muimaster.library" ? ":18" : ":38"));
        SCOPED_TRACE(testing::Message() << variable[i % 3] << " " << name);
        ClearLibraryCallLog();
        requests_.clear();
        ASSERT_EQ(OpenLibraries(), 1);
        EXPECT_EQ(localeHandle != nullptr, failing > 3);
        const Log opened = Names(LibraryCallLog(), "open"), got = Names(LibraryCallLog(), "get");
        EXPECT_EQ(opened, Log(order.begin(), order.begin() + failing + (i % 3 == 2 ? 1 : 0)));

        testing::internal::CaptureStderr();
        Shutdown(1);
        const std::string errors = testing::internal::GetCapturedStderr();
        const Log &log = LibraryCallLog();
        Log closing;  // a full run's release order, of what opened
        std::copy_if(releases.begin(), releases.end(), std::back_inserter(closing),
                     [&](const std::string &n) { return std::count(opened.begin(), opened.end(), n) != 0; });
        EXPECT_EQ(Names(log, "close"), closing);
        for (const std::string &each : got) {
            const auto drop = std::find(log.begin(), log.end(), "drop " + each);
            EXPECT_EQ(std::count(log.begin(), log.end(), "drop " + each), 1) << each;
            EXPECT_LT(drop, std::find(log.begin(), log.end(), "close " + each)) << each;
        }
        const std::string message = requests_.empty() ? errors : requests_[0];
        EXPECT_NE(message.find("Cannot open library " + name), std::string::npos) << message;
        EXPECT_EQ(requests_.size(), failing > 1 ? 1u : 0u);
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

// A run of either program opens locale.library and the catalog once and closes
// them once: the window takes over what the arguments' messages opened.
TEST_F(LibrariesSetupTest, ARunOpensAndClosesTheCatalogOnce)
{
    ScopedChdir here(dir_.path());
    static char name[] = "Settings", show[] = "--show";
    for (char *mode : {show, static_cast<char *>(nullptr)}) {
        ClearLibraryCallLog();
        char *argv[] = {name, mode, nullptr};
        testing::internal::CaptureStderr();
        RunCommandLine(mode != nullptr ? 2 : 1, argv, [](int, char **, const CommandLine &) {
            EXPECT_EQ(OpenLibraries(), 0);
            Shutdown(0);
            return 0;
        });
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(localeHandle, nullptr);
        for (const char *verb : {"open", "close"}) {
            const Log names = Names(LibraryCallLog(), verb);
            EXPECT_EQ(std::count(names.begin(), names.end(), "locale.library"), 1) << verb << (mode != nullptr);
        }
    }
}

}  // namespace
