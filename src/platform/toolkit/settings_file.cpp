#include "platform/toolkit/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "platform/toolkit/object.h"

namespace toolkit {

namespace {

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
    return std::make_unique<QSettings>(SettingsPath(), QSettings::IniFormat);
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
