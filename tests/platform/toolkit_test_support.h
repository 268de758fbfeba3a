// Shared set-up of the toolkit tests: one offscreen Qt application per process,
// a private toolkit settings file, requesters answered without showing them.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>


#include "platform/toolkit.h"
#include "support/temp_dir.h"

// The application lives to the end of the process: destroying it from an exit
// handler, after Qt's own globals, would crash.
inline QApplication *TestApplication()
{
    if (QApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "toolkit_test";
        static char *argv[] = {name, nullptr};
        static QApplication *qtApp = new QApplication(argc, argv);
        (void)qtApp;
    }
    return qobject_cast<QApplication *>(QApplication::instance());
}

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
    // Handles what is pending, as the input loop would.
    static void ProcessEvents() { QCoreApplication::processEvents(); }
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
