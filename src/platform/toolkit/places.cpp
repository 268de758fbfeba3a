#include "platform/toolkit/places.h"

#include "platform/toolkit/settings_file.h"

namespace toolkit {

namespace {

QString WindowKey(const QString &group, IPTR windowId)
{
    return QStringLiteral("%1/window-%2/geometry").arg(group).arg(qulonglong(windowId), 8, 16, QLatin1Char('0'));
}

}  // namespace

QByteArray LoadWindowPlace(const std::string &base, IPTR windowId)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return {};
    }
    return OpenSettings()->value(WindowKey(group, windowId)).toByteArray();
}

void SaveWindowPlace(const std::string &base, IPTR windowId, const QByteArray &geometry)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return;
    }
    SetChanged(*OpenSettings(), WindowKey(group, windowId), geometry);
}

}  // namespace toolkit
