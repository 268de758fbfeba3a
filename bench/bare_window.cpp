// The floor of the window's start-up: a Qt Widgets program that shows one window.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Settings"));
    window.show();
    return application.exec();
}
