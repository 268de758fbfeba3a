#include <QGuiApplication>

#include "app/command_line.h"

int main(int argc, char **argv)
{
    // The desktop entry a desktop shell links the window to.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.vellumine.Settings"));
    return RunCommandLine(argc, argv);
}
