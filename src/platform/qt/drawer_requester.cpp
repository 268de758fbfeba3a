#include "platform/qt/drawer_requester.h"

#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>

#include <cstdlib>

#include "platform/toolkit/settings_file.h"

namespace {

// The drawers as the file system names them (bytes); the key of earlier versions
// held them as texts, which lose a name that is not UTF-8.
const QString kRecentKey = QStringLiteral("recent/paths");
const QString kRecentTextKey = QStringLiteral("recent/drawers");
constexpr qint64 kRecentFileLimit = 256 << 10;

QString RecentFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vellumine-settings/recent.ini");
}

bool IsFolder(const QByteArray &path)
{
    struct stat st;
    return stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The drawers the file holds, as it holds them.
QList<QByteArray> StoredDrawers(const QSettings &file)
{
    QList<QByteArray> drawers;
    if (file.contains(kRecentKey)) {
        for (const QVariant &path : file.value(kRecentKey).toList()) {
            drawers.append(path.toByteArray());
        }
    } else {
        for (const QString &folder : file.value(kRecentTextKey).toStringList()) {
            drawers.append(folder.toLocal8Bit());
        }
    }
    return drawers;
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
    std::vector<std::string> drawers;
    if (QFileInfo(RecentFile()).size() > kRecentFileLimit) {
        return drawers;  // not read: set aside at the next RememberDrawer
    }
    const QSettings file(RecentFile(), QSettings::IniFormat);
    for (const QByteArray &folder : StoredDrawers(file)) {
        if (drawers.size() < RECENT_DRAWER_COUNT && folder.startsWith('/') && IsFolder(folder)) {
            drawers.push_back(folder.toStdString());
        }
    }
    return drawers;
}

void RememberDrawer(const std::string &folder)
{
    const QByteArray path = QByteArray::fromStdString(folder);
    toolkit::SetAsideIfTooLarge(RecentFile(), kRecentFileLimit);
    QSettings file(RecentFile(), QSettings::IniFormat);
    const QList<QByteArray> kept = StoredDrawers(file);
    QList<QByteArray> drawers = kept;
    drawers.removeIf([&path](const QByteArray &other) { return other == path || !IsFolder(other); });
    drawers.prepend(path);
    while (drawers.size() > RECENT_DRAWER_COUNT) {
        drawers.removeLast();
    }
    // A list as it was is not written again (a drawer opened as the last time).
    if (drawers != kept) {
        QVariantList paths;
        for (const QByteArray &drawer : drawers) {
            paths.append(drawer);
        }
        file.setValue(kRecentKey, paths);
        file.remove(kRecentTextKey);
    }
}
