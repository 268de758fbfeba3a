// The toolkit's own settings file: window places, style, font and colour
// scheme, in groups per application base name.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>
#include <string>

namespace toolkit {

// ~/.config/vellumine-settings/toolkit.ini (under XDG_CONFIG_HOME).
std::unique_ptr<QSettings> OpenSettings();
// A settings file larger than limit bytes is never read whole into memory: it is
// set aside as "PATH.too-large" (for the user to look at), and a new one begins.
void SetAsideIfTooLarge(const QString &path, qint64 limit);
// Sets a value only when it differs from the stored one: an unchanged file is not written.
void SetChanged(QSettings &settings, const QString &key, const QVariant &value);
// The settings group of an application base name; empty when it has none.
QString GroupOf(const std::string &base);

}  // namespace toolkit
