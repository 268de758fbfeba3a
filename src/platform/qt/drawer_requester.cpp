#include "platform/qt/drawer_requester.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <cstdlib>

namespace {

const QString kRecentKey = QStringLiteral("recent/drawers");

QString RecentFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vellumine-settings/recent.ini");
}

#ifdef SETTINGS_TEST_SWITCHES
// SETTINGS_DRAWER_ANSWER=folder[:folder...]: each request takes the next folder
// without showing the chooser; once none is left, the requests are cancelled.
bool AnswerFromEnvironment(std::string &chosen, bool &confirmed)
{
    const char *answers = std::getenv("SETTINGS_DRAWER_ANSWER");
    if (answers == nullptr) {
        return false;
    }
    const std::string list = answers;
    const std::size_t colon = list.find(':');
    chosen = list.substr(0, colon);
    confirmed = !chosen.empty();
    setenv("SETTINGS_DRAWER_ANSWER", colon == std::string::npos ? "" : list.c_str() + colon + 1, 1);
    return true;
}
#endif

}  // namespace

bool RequestDrawer(IPTR parent, const char *title, const std::string &start, std::string &chosen)
{
#ifdef SETTINGS_TEST_SWITCHES
    bool confirmed = false;
    if (AnswerFromEnvironment(chosen, confirmed)) {
        return confirmed;
    }
#endif
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    QFileDialog dialog(reinterpret_cast<QWidget *>(parent), QString::fromUtf8(title != nullptr ? title : ""),
                       QString::fromLocal8Bit(start.c_str()));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    // Qt's own dialog keeps to the screen, its buttons within reach on a small
    // screen or at a large scale.
    if (const QScreen *screen = dialog.screen()) {
        dialog.resize(dialog.sizeHint().boundedTo(screen->availableGeometry().size()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString folder = dialog.selectedFiles().constFirst();
    if (folder.isEmpty()) {
        return false;
    }
    chosen = QDir(folder).absolutePath().toLocal8Bit().toStdString();
    return true;
}

std::vector<std::string> RecentDrawers()
{
    const QSettings file(RecentFile(), QSettings::IniFormat);
    std::vector<std::string> drawers;
    for (const QString &folder : file.value(kRecentKey).toStringList()) {
        if (drawers.size() < RECENT_DRAWER_COUNT && QDir::isAbsolutePath(folder) && QFileInfo(folder).isDir()) {
            drawers.push_back(folder.toLocal8Bit().toStdString());
        }
    }
    return drawers;
}

void RememberDrawer(const std::string &folder)
{
    const QString path = QString::fromLocal8Bit(folder.c_str());
    QSettings file(RecentFile(), QSettings::IniFormat);
    const QStringList kept = file.value(kRecentKey).toStringList();
    QStringList drawers = kept;
    drawers.removeIf([&path](const QString &other) { return other == path || !QFileInfo(other).isDir(); });
    drawers.prepend(path);
    while (drawers.size() > RECENT_DRAWER_COUNT) {
        drawers.removeLast();
    }
    // A list as it was is not written again (a drawer opened as the last time).
    if (drawers != kept) {
        file.setValue(kRecentKey, drawers);
    }
}
