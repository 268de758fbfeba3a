// Shared set-up of the toolkit tests: one offscreen Qt application per process,
// a private toolkit settings file, requesters answered without showing them.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

#include "platform/toolkit/toolkit_testing.h"
#include "support/temp_dir.h"

// The Qt application the toolkit tests made, if they made it.
inline QApplication *ownedTestApplication = nullptr;

inline QApplication *TestApplication()
{
    if (QApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "toolkit_test";
        static char *argv[] = {name, nullptr};
        ownedTestApplication = new QApplication(argc, argv);
    }
    return qobject_cast<QApplication *>(QApplication::instance());
}

// Ends that application after the last test, before the exit handlers run
// (Qt's own globals are gone by then), so that it releases what it holds.
class ToolkitQtEnvironment : public ::testing::Environment {
public:
    void TearDown() override
    {
        delete ownedTestApplication;
        ownedTestApplication = nullptr;
    }
};
inline ::testing::Environment *const toolkitQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new ToolkitQtEnvironment);

class ToolkitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestApplication();
        MUI_SetToolkitSettingsFile(settingsDir_.file("toolkit.ini").c_str());
        MUI_FailObjectCreation(0);
    }
    void TearDown() override
    {
        MUI_SetRequestHook(nullptr);
        MUI_FailObjectCreation(0);
        MUI_SetToolkitSettingsFile(nullptr);
    }
    // The attribute's value, or -12345 when the object does not give it.
    static IPTR Attr(Object *obj, Tag attr)
    {
        IPTR v = -12345;
        GetAttr(attr, obj, &v);
        return v;
    }
    // Every queued return id, in order.
    static std::vector<IPTR> DrainIds(Object *app)
    {
        std::vector<IPTR> ids;
        std::uint32_t sigs = 0;
        for (int i = 0; i < 1000; ++i) {
            const IPTR id = DoMethod(app, MUIM_Application_NewInput, &sigs);
            if (id != 0) {
                ids.push_back(id);
            }
            if (sigs != 0) {
                break;
            }
        }
        return ids;
    }
    TempDir settingsDir_;
};
