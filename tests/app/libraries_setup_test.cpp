#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/libraries_setup.h"
#include "app/program_reset.h"
#include "platform/easy_request.h"
#include "platform/libraries.h"
#include "platform/locale.h"
#include "support/catalog_test_util.h"
#include "support/temp_dir.h"
#include "text/strings.h"

namespace {

using Log = std::vector<std::string>;

const char *const kNames[] = {"dos.library",  "intuition.library", "graphics.library", "locale.library",
                              "icon.library", "muimaster.library", "asl.library"};
const int kMinimum[] = {39, 39, 39, 39, 39, 19, 39};
const int kReleaseOrder[] = {5, 6, 4, 3, 1, 0, 2};

struct Request {
    std::string title;
    std::string body;
    std::string gadgets;
};

class LibrariesSetupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetLibraryState();
        ClearLibraryCallLog();
        SetEasyRequestHook([this](const char *title, const char *body, const char *gadgets) {
            requests_.push_back({title, body, gadgets});
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

    // Shuts down with code; the calls it made and what it wrote to standard error.
    Log ShutdownLog(int code, std::string *errors = nullptr)
    {
        const std::size_t mark = LibraryCallLog().size();
        testing::internal::CaptureStderr();
        Shutdown(code);
        const std::string written = testing::internal::GetCapturedStderr();
        if (errors != nullptr) {
            *errors = written;
        }
        const Log &log = LibraryCallLog();
        return Log(log.begin() + static_cast<std::ptrdiff_t>(mark), log.end());
    }

    ScopedEnvVar platform_{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnvVar failLibrary_{"SETTINGS_FAIL_LIBRARY", std::nullopt};
    ScopedEnvVar failInterface_{"SETTINGS_FAIL_INTERFACE", std::nullopt};
    ScopedEnvVar version_{"SETTINGS_LIBRARY_VERSION", std::nullopt};
    ScopedEnvVar answer_{"SETTINGS_REQUEST_ANSWER", std::nullopt};
    TempDir dir_;
    ScopedCatalogEnvironment environment_{dir_.path(), ""};
    std::vector<Request> requests_;
};

// A library or its interface missing at each position, muimaster at version 18
// and 19, or nothing missing: the open order, the failure named (on standard
// error while there is no display), and what opened released in the fixed order.
TEST_F(LibrariesSetupTest, OpensInOrderAndReleasesWhatOpenedInTheFixedOrder)
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
        const bool interface = std::string(c.variable) == "SETTINGS_FAIL_INTERFACE";
        const std::string name = c.failing < 7 ? kNames[c.failing] : "none";
        SCOPED_TRACE(testing::Message() << c.variable << "=" << c.value);
        ClearLibraryCallLog();
        requests_.clear();
        ScopedEnvVar fail(c.variable, c.value);
        ASSERT_EQ(OpenLibraries(), c.failing < 7 ? 1 : 0);
        EXPECT_EQ(localeHandle != nullptr, c.failing > 3);
        EXPECT_EQ(catalogHandle, nullptr);  // none installed
        if (c.failing == 7) {
            Log opened;
            for (int i = 0; i < 7; ++i) {
                opened.push_back(std::string("open ") + kNames[i] + " " + std::to_string(kMinimum[i]));
                opened.push_back(std::string("get ") + kNames[i]);
            }
            EXPECT_EQ(LibraryCallLog(), opened);
            EXPECT_GE(MUIMasterBase->lib_Version, 19);
        } else if (!interface) {
            EXPECT_STREQ(scratchBuffer, kNames[c.failing]);
            EXPECT_EQ(LibraryCallLog().back(), "open-failed " + name + " " + std::to_string(kMinimum[c.failing]));
        }

        std::string errors;
        const Log released = ShutdownLog(c.failing < 7 ? 1 : 0, &errors);
        Log expected;
        for (int i : kReleaseOrder) {
            if (i < c.failing) {
                expected.push_back(std::string("drop ") + kNames[i]);
            }
            if (i < c.failing || (interface && i == c.failing)) {
                expected.push_back(std::string("close ") + kNames[i]);
            }
        }
        EXPECT_EQ(released, expected);
        const std::string message = "Cannot open library " + name + " !";
        if (c.failing == 7) {
            EXPECT_TRUE(requests_.empty());
            EXPECT_EQ(errors, "");
        } else if (c.failing <= 1) {
            EXPECT_TRUE(requests_.empty());
            EXPECT_EQ(errors, "Vellumine settings: " + message + "\n");
        } else {
            ASSERT_EQ(requests_.size(), 1u);
            EXPECT_EQ(requests_[0].title, "Vellumine settings");
            EXPECT_EQ(requests_[0].body, message);
            EXPECT_EQ(requests_[0].gadgets, "OK");
        }
        EXPECT_EQ(OpenLibraryCount(), 0);
        EXPECT_EQ(localeHandle, nullptr);
    }
}

// Code 2 reports the application, codes other than 1 and 2 nothing; the messages
// use the built-in texts although a catalog was open.
TEST_F(LibrariesSetupTest, FailuresShowBuiltInTextsWhileTheCatalogServesTheRest)
{
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
    ASSERT_NE(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_BUTTON_SAVE), "Speichern");
    Shutdown(2);
    EXPECT_EQ(catalogHandle, nullptr);
    EXPECT_STREQ(GetString(MSG_BUTTON_SAVE), "Save");
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].title, "Vellumine settings");
    EXPECT_EQ(requests_[0].body, "Error creating application!");
    EXPECT_EQ(requests_[0].gadgets, "OK");

    ScopedEnvVar fail("SETTINGS_FAIL_LIBRARY", "asl.library");
    ASSERT_EQ(OpenLibraries(), 1);
    EXPECT_NE(catalogHandle, nullptr);
    Shutdown(1);
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[1].body, "Cannot open library asl.library !");
}

TEST_F(LibrariesSetupTest, ShowErrorBodyIsBoundedAndShownLiterally)
{
    ASSERT_EQ(OpenLibraries(), 0);
    std::string longName(2000, 'x');
    ShowError(GetString(MSG_ERR_OPEN_LIBRARY), longName.c_str());
    ShowError("100%s %d %n", nullptr);
    Shutdown(0);
    ASSERT_EQ(requests_.size(), 2u);
    EXPECT_EQ(requests_[0].body.size(), 511u);
    EXPECT_EQ(requests_[0].body.rfind("Cannot open library xxx", 0), 0u);
    EXPECT_EQ(requests_[1].body, "100%s %d %n");
}

}  // namespace
