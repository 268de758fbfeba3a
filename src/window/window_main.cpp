#include <QGuiApplication>

#include <vector>

#include "cli/command_line.h"
#include "platform/qt/qt_display.h"
#include "window/main_flow.h"

namespace {

// The window, with Qt's options; they live until the program ends.
int RunWindow(int, char **, const CommandLine &line)
{
    static std::vector<char *> qtArguments;
    qtArguments = line.qtArguments;
    SetDisplayArguments(static_cast<int>(qtArguments.size()) - 1, qtArguments.data());
    return SettingsMain(!line.drawer.empty(), line.image);
}

}  // namespace

int main(int argc, char **argv)
{
    // The desktop entry a desktop shell links the window to.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vellumine.Settings"));
    return RunCommandLine(argc, argv, RunWindow);
}
