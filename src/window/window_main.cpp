#include <QGuiApplication>

#include <vector>

#include "app/command_line.h"
#include "app/main_flow.h"
#include "platform/qt_display.h"

namespace {

// The window, with Qt's options; they live until the program ends.
int RunWindow(int, char **, const CommandLine &line)
{
    static std::vector<char *> qtArguments;
    qtArguments = line.qtArguments;
    SetDisplayArguments(static_cast<int>(qtArguments.size()) - 1, qtArguments.data());
    return SettingsMain(line.drawer.empty());
}

}  // namespace

int main(int argc, char **argv)
{
    // The desktop entry a desktop shell links the window to.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vellumine.Settings"));
    return RunCommandLine(argc, argv, RunWindow);
}
