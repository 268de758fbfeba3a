#include "platform/toolkit/settings_file.h"

#include "platform/toolkit/object.h"

namespace toolkit {

std::unique_ptr<QSettings> OpenSettings()
{
    if (!seams::settingsFile.isEmpty()) {
        return std::make_unique<QSettings>(seams::settingsFile, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("muiqt"),
                                       QStringLiteral("toolkit"));
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
