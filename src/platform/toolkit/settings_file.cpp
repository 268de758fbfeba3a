#include "platform/toolkit/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/toolkit/object.h"

namespace toolkit {

namespace {

constexpr qint64 kSettingsFileLimit = 1 << 20;

// The program's settings folder's toolkit.ini; a file where earlier versions kept
// it (muiqt/toolkit.ini) is moved there the first time.
QString SettingsPath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    const QString path = config + QStringLiteral("/vellumine-settings/toolkit.ini");
    const QString old = config + QStringLiteral("/muiqt/toolkit.ini");
    if (!QFileInfo::exists(path) && QFileInfo::exists(old) &&
        QDir().mkpath(config + QStringLiteral("/vellumine-settings")) && !QFile::rename(old, path)) {
        return old;  // cannot be moved: read and kept where it is
    }
    return path;
}

}  // namespace

std::unique_ptr<QSettings> OpenSettings()
{
    if (!seams::settingsFile.isEmpty()) {
        return std::make_unique<QSettings>(seams::settingsFile, QSettings::IniFormat);
    }
    const QString path = SettingsPath();
    SetAsideIfTooLarge(path, kSettingsFileLimit);
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

void SetAsideIfTooLarge(const QString &path, qint64 limit)
{
    const QFileInfo file(path);
    if (file.size() > limit) {
        QFile::remove(path + QStringLiteral(".too-large"));
        QFile::rename(path, path + QStringLiteral(".too-large"));
    }
}

void SetChanged(QSettings &settings, const QString &key, const QVariant &value)
{
    if (settings.value(key) != value) {
        settings.setValue(key, value);
    }
}

QString GroupOf(const std::string &base)
{
    QString group = FromUtf8(base);
    group.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return group;
}

}  // namespace toolkit
