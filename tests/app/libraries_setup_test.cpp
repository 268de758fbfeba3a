#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/libraries_setup.h"
#include "app/program_state.h"
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
        environment_ = std::make_unique<ScopedCatalogEnvironment>(dir_.path(), "");
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

    // The log entries of the release that Shutdown made.
    Log ReleaseLog(std::size_t from) const
    {
        const Log &log = LibraryCallLog();
        return Log(log.begin() + static_cast<std::ptrdiff_t>(from), log.end());
    }

    ScopedEnvVar platform_{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnvVar failLibrary_{"SETTINGS_FAIL_LIBRARY", std::nullopt};
    ScopedEnvVar failInterface_{"SETTINGS_FAIL_INTERFACE", std::nullopt};
    ScopedEnvVar version_{"SETTINGS_LIBRARY_VERSION", std::nullopt};
    ScopedEnvVar answer_{"SETTINGS_REQUEST_ANSWER", std::nullopt};
    TempDir dir_;
    std::unique_ptr<ScopedCatalogEnvironment> environment_;
    std::vector<Request> requests_;
};

TEST_F(LibrariesSetupTest, OpensInTableOrderAndReleasesInTheFixedOrder)
{
    ASSERT_EQ(OpenLibraries(), 0);
    Log opened;
    for (int i = 0; i < 7; ++i) {
        opened.push_back(std::string("open ") + kNames[i] + " " + std::to_string(kMinimum[i]));
        opened.push_back(std::string("get ") + kNames[i]);
    }
    EXPECT_EQ(LibraryCallLog(), opened);
    for (Interface *iface : {IDOS, IIntuition, IGraphics, ILocale, IIcon, IMUIMaster, IAsl}) {
        EXPECT_NE(iface, nullptr);
    }
    EXPECT_NE(localeHandle, nullptr);
    EXPECT_EQ(catalogHandle, nullptr);  // none installed

    std::size_t mark = LibraryCallLog().size();
    Shutdown(0);
    Log released;
    for (int i : kReleaseOrder) {
        released.push_back(std::string("drop ") + kNames[i]);
        released.push_back(std::string("close ") + kNames[i]);
    }
    EXPECT_EQ(ReleaseLog(mark), released);
    EXPECT_TRUE(requests_.empty());
    EXPECT_EQ(localeHandle, nullptr);
    for (Library *base : {DOSBase, IntuitionBase, GfxBase, LocaleBase, IconBase, MUIMasterBase, AslBase}) {
        EXPECT_EQ(base, nullptr);
    }
}

TEST_F(LibrariesSetupTest, MissingServiceAtEachPositionIsNamedAndWhatOpenedIsReleased)
{
    for (int failing = 0; failing < 7; ++failing) {
        SCOPED_TRACE(kNames[failing]);
        ClearLibraryCallLog();
        requests_.clear();
        ScopedEnvVar fail("SETTINGS_FAIL_LIBRARY", kNames[failing]);
        ASSERT_EQ(OpenLibraries(), 1);
        EXPECT_STREQ(scratchBuffer, kNames[failing]);
        EXPECT_EQ(localeHandle != nullptr, failing > 3);
        EXPECT_EQ(LibraryCallLog().back(),
                  std::string("open-failed ") + kNames[failing] + " " + std::to_string(kMinimum[failing]));

        std::size_t mark = LibraryCallLog().size();
        testing::internal::CaptureStderr();
        Shutdown(1);
        std::string errors = testing::internal::GetCapturedStderr();
        std::string message = std::string("Cannot open library ") + kNames[failing] + " !";
        if (failing <= 1) {
            // No display: the message goes to standard error.
            EXPECT_TRUE(requests_.empty());
            EXPECT_EQ(errors, "Vellumine settings: " + message + "\n");
        } else {
            ASSERT_EQ(requests_.size(), 1u);
            EXPECT_EQ(requests_[0].title, "Vellumine settings");
            EXPECT_EQ(requests_[0].body, message);
            EXPECT_EQ(requests_[0].gadgets, "OK");
        }
        Log released;
        for (int i : kReleaseOrder) {
            if (i < failing) {
                released.push_back(std::string("drop ") + kNames[i]);
                released.push_back(std::string("close ") + kNames[i]);
            }
        }
        EXPECT_EQ(ReleaseLog(mark), released);
        EXPECT_EQ(OpenLibraryCount(), 0);
    }
}

TEST_F(LibrariesSetupTest, BaseWithoutInterfaceIsClosedWithNoDrop)
{
    ScopedEnvVar fail("SETTINGS_FAIL_INTERFACE", "asl.library");
    ASSERT_EQ(OpenLibraries(), 1);
    EXPECT_NE(AslBase, nullptr);
    EXPECT_EQ(IAsl, nullptr);
    std::size_t mark = LibraryCallLog().size();
    Shutdown(1);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].body, "Cannot open library asl.library !");
    Log release = ReleaseLog(mark);
    EXPECT_EQ(release[0], "drop muimaster.library");
    EXPECT_EQ(release[2], "close asl.library");  // no "drop asl.library" before it
}

TEST_F(LibrariesSetupTest, IntuitionInterfaceMissingReportsOnStandardError)
{
    ScopedEnvVar fail("SETTINGS_FAIL_INTERFACE", "intuition.library");
    ASSERT_EQ(OpenLibraries(), 1);
    testing::internal::CaptureStderr();
    Shutdown(1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Vellumine settings: Cannot open library intuition.library !\n");
    EXPECT_TRUE(requests_.empty());
}

TEST_F(LibrariesSetupTest, MuimasterNineteenIsEnoughEighteenIsNot)
{
    {
        ScopedEnvVar version("SETTINGS_LIBRARY_VERSION", "muimaster.library:19");
        ASSERT_EQ(OpenLibraries(), 0);
        EXPECT_EQ(MUIMasterBase->lib_Version, 19);
        Shutdown(0);
        EXPECT_TRUE(requests_.empty());
    }
    ScopedEnvVar version("SETTINGS_LIBRARY_VERSION", "muimaster.library:18");
    ASSERT_EQ(OpenLibraries(), 1);
    EXPECT_EQ(MUIMasterBase, nullptr);
    EXPECT_EQ(AslBase, nullptr);
    Shutdown(1);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].body, "Cannot open library muimaster.library !");
}

TEST_F(LibrariesSetupTest, CodeTwoReportsTheApplicationAndOtherCodesNothing)
{
    ASSERT_EQ(OpenLibraries(), 0);
    Shutdown(2);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].body, "Error creating application!");
    ASSERT_EQ(OpenLibraries(), 0);
    Shutdown(7);
    EXPECT_EQ(requests_.size(), 1u);
}

TEST_F(LibrariesSetupTest, CatalogIsUsedWhileOpenButFailuresShowBuiltInTexts)
{
    InstallCatalog(dir_.path(), "deutsch",
                   MakeCatalogBytes({{MSG_REQ_TITLE, "Vellumine-Einstellungen"},
                                     {MSG_REQ_OK, "Gut"},
                                     {MSG_ERR_OPEN_LIBRARY, "Die Bibliothek %s fehlt!"},
                                     {MSG_ERR_CREATE_APP, "Fehler!"},
                                     {MSG_BUTTON_SAVE, "Speichern"}}));
    ScopedEnvVar language("LANGUAGE", "de");
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
