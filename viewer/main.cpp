// SettingsViewer: shows one plain text, HTML or Markdown document in a window
// until the user closes it.
//
//   SettingsViewer [--] FILE
//
// Exit status: 0 when the window was closed, 1 when the document cannot be
// shown (the reason on standard error), 2 on wrong usage.
#include <QApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "document.h"

namespace {

bool HaveDisplay()
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char *value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char **argv)
{
    const char *path = nullptr;
    if (argc == 2) {
        path = argv[1];
    } else if (argc == 3 && std::strcmp(argv[1], "--") == 0) {
        path = argv[2];
    } else {
        std::fprintf(stderr, "Usage: SettingsViewer [--] FILE\n");
        return 2;
    }

    Document document;
    QString error;
    if (!ReadDocument(path, &document, &error)) {
        std::fprintf(stderr, "SettingsViewer: cannot show %s: %s\n", path,
                     error.toLocal8Bit().constData());
        return 1;
    }
    if (!HaveDisplay()) {
        std::fprintf(stderr, "SettingsViewer: cannot show %s: no display\n", path);
        return 1;
    }

    // Qt sees no argument of ours: a document name is never taken for a Qt option.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    QApplication application(qtArgc, qtArgv);

    QTextBrowser browser;
    browser.setWindowTitle(QStringLiteral("%1 - Help").arg(document.fileName));
    browser.setOpenExternalLinks(true);
    ShowDocument(&browser, document);

    for (QKeySequence key : {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W),
                             QKeySequence(Qt::CTRL | Qt::Key_Q)}) {
        auto *shortcut = new QShortcut(key, &browser);
        QObject::connect(shortcut, &QShortcut::activated, &browser, &QWidget::close);
    }

    QSize size(760, 640);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    }
    browser.resize(size);
    browser.show();
    browser.setFocus();
    return application.exec() == 0 ? 0 : 1;
}
