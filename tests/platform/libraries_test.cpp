#include <gtest/gtest.h>

#include <QApplication>

#include <string>
#include <vector>

#include "platform/easy_request.h"
#include "platform/libraries.h"
#include "support/catalog_test_util.h"

namespace {


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
};

// Without a reachable display intuition does not open and the process goes on;
// requesters go to standard error.
TEST_F(LibrariesTest, WithoutADisplayIntuitionFailsAndRequestersGoToStandardError)
{
    if (QCoreApplication::instance() != nullptr) {
        GTEST_SKIP() << "an application exists already in this process";
    }
    EasyStruct easy{28, 0, "Titel", "Kann \xF6" "ffnen nicht", "OK", nullptr, nullptr};
    testing::internal::CaptureStderr();
    EXPECT_EQ(EasyRequestArgs(nullptr, &easy, nullptr, nullptr), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Titel: Kann \xC3\xB6" "ffnen nicht\n");
    for (const char *display : {":4093", static_cast<const char *>(nullptr)}) {
        ScopedEnvVar platform("QT_QPA_PLATFORM", "xcb");
        ScopedEnvVar x("DISPLAY", display ? std::optional<std::string>(display) : std::nullopt);
        EXPECT_EQ(OpenLibrary("intuition.library", 39), nullptr);
    }
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

}  // namespace
