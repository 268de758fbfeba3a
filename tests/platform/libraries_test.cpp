#include <gtest/gtest.h>

#include <QApplication>

#include <string>
#include <vector>

#include "platform/easy_request.h"
#include "platform/libraries.h"
#include "support/catalog_test_util.h"

namespace {

using Log = std::vector<std::string>;

class LibrariesTest : public ::testing::Test {
protected:
    void SetUp() override { ClearLibraryCallLog(); }
    void TearDown() override
    {
        EXPECT_EQ(OpenLibraryCount(), 0);
        EXPECT_EQ(OpenInterfaceCount(), 0);
        SetEasyRequestHook(nullptr);
    }

    ScopedEnvVar platform_{"QT_QPA_PLATFORM", "offscreen"};
    ScopedEnvVar failLibrary_{"SETTINGS_FAIL_LIBRARY", std::nullopt};
    ScopedEnvVar failInterface_{"SETTINGS_FAIL_INTERFACE", std::nullopt};
    ScopedEnvVar version_{"SETTINGS_LIBRARY_VERSION", std::nullopt};
    ScopedEnvVar answer_{"SETTINGS_REQUEST_ANSWER", std::nullopt};
};

TEST_F(LibrariesTest, UnknownOrTooOldLibrariesAndOtherInterfacesAreRefused)
{
    EXPECT_EQ(OpenLibrary("exec.library", 0), nullptr);
    EXPECT_EQ(OpenLibrary(nullptr, 0), nullptr);
    EXPECT_EQ(OpenLibrary("asl.library", 999), nullptr);
    Library *base = OpenLibrary("asl.library", 39);
    ASSERT_NE(base, nullptr);
    EXPECT_EQ(GetInterface(base, "private", 1, nullptr), nullptr);
    EXPECT_EQ(GetInterface(base, "main", 2, nullptr), nullptr);
    CloseLibrary(base);
    EXPECT_EQ(LibraryCallLog(), (Log{"open-failed exec.library 0", "open-failed (null) 0",
                                     "open-failed asl.library 999", "open asl.library 39",
                                     "get-failed asl.library", "get-failed asl.library", "close asl.library"}));
}

TEST_F(LibrariesTest, OpeningIntuitionConnectsTheDisplayAndClosingItEndsOnlyItsOwnApplication)
{
    ScopedEnvVar platform("QT_QPA_PLATFORM", "offscreen");
    const bool hadApplication = QCoreApplication::instance() != nullptr;
    EXPECT_FALSE(DisplayIsOpen());
    Library *base = OpenLibrary("intuition.library", 39);
    ASSERT_NE(base, nullptr);
    EXPECT_NE(qobject_cast<QApplication *>(QCoreApplication::instance()), nullptr);
    Library *again = OpenLibrary("intuition.library", 39);
    EXPECT_EQ(again, base);
    CloseLibrary(again);
    EXPECT_TRUE(DisplayIsOpen());
    CloseLibrary(base);
    EXPECT_FALSE(DisplayIsOpen());
    EXPECT_EQ(QCoreApplication::instance() != nullptr, hadApplication);

    // An application made before stays.
    int argc = 1;
    char name[] = "test";
    char *argv[] = {name, nullptr};
    auto *application = hadApplication ? nullptr : new QApplication(argc, argv);
    base = OpenLibrary("intuition.library", 39);
    ASSERT_NE(base, nullptr);
    CloseLibrary(base);
    EXPECT_NE(QCoreApplication::instance(), nullptr);
    delete application;
}

TEST_F(LibrariesTest, UnreachableDisplayFailsWithoutEndingTheProcess)
{
    if (QCoreApplication::instance() != nullptr) {
        GTEST_SKIP() << "an application exists already in this process";
    }
    {
        ScopedEnvVar platform("QT_QPA_PLATFORM", "xcb");
        ScopedEnvVar display("DISPLAY", ":4093");
        EXPECT_EQ(OpenLibrary("intuition.library", 39), nullptr);
        ScopedEnvVar noDisplay("DISPLAY", std::nullopt);
        EXPECT_EQ(OpenLibrary("intuition.library", 39), nullptr);
    }
    {
        ScopedEnvVar platform("QT_QPA_PLATFORM", std::nullopt);
        ScopedEnvVar display("DISPLAY", std::nullopt);
        ScopedEnvVar wayland("WAYLAND_DISPLAY", "/nonexistent/wayland-socket");
        EXPECT_EQ(OpenLibrary("intuition.library", 39), nullptr);
    }
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_EQ(LibraryCallLog().back(), "open-failed intuition.library 39");
}

EasyStruct Requester(const char *text, const char *gadgets)
{
    return EasyStruct{28, 0, "Titel", text, gadgets, nullptr, nullptr};
}

TEST_F(LibrariesTest, EasyRequestGoesToTheHookWithItsTextsFilledFromArguments)
{
    std::vector<std::string> seen;
    SetEasyRequestHook([&](const char *title, const char *body, const char *gadgets) {
        seen = {title, body, gadgets};
        return 1;
    });
    EasyStruct formatted = Requester("%s hat %ld%%", "%s|Nein");
    const IPTR args[] = {reinterpret_cast<IPTR>("Datei"), 42, reinterpret_cast<IPTR>("Ja")};
    EXPECT_EQ(EasyRequestArgs(nullptr, &formatted, nullptr, args), 1);
    EXPECT_EQ(seen, (Log{"Titel", "Datei hat 42%", "Ja|Nein"}));
}

TEST_F(LibrariesTest, EasyRequestWithoutDisplayWritesToStandardError)
{
    if (QCoreApplication::instance() != nullptr) {
        GTEST_SKIP() << "an application exists already in this process";
    }
    EasyStruct easy = Requester("Kann \xF6" "ffnen nicht", "OK");
    testing::internal::CaptureStderr();
    EXPECT_EQ(EasyRequestArgs(nullptr, &easy, nullptr, nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Titel: Kann \xC3\xB6" "ffnen nicht\n");

    ScopedEnvVar answer("SETTINGS_REQUEST_ANSWER", "3");
    testing::internal::CaptureStderr();
    EXPECT_EQ(EasyRequestArgs(nullptr, &easy, nullptr, nullptr), 3);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("Kann"), std::string::npos);
}

}  // namespace
