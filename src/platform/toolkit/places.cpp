// Places are kept as the frame's corner and the inner size, set back with move
// and resize: restoring a saved QWidget geometry moves a window without a frame
// (no window manager) down by a title bar's height at each start.
#include "platform/toolkit/places.h"

#include "platform/toolkit/settings_file.h"

namespace toolkit {

namespace {

QString PlaceKey(const QString &group, IPTR windowId)
{
    return QStringLiteral("%1/window-%2/place").arg(group).arg(qulonglong(windowId), 8, 16, QLatin1Char('0'));
}

}  // namespace

std::optional<QRect> LoadWindowPlace(const std::string &base, IPTR windowId)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return std::nullopt;
    }
    const QVariant saved = OpenSettings()->value(PlaceKey(group, windowId));
    const QRect place = saved.toRect();
    if (!saved.canConvert<QRect>() || place.width() <= 0 || place.height() <= 0) {
        return std::nullopt;
    }
    return place;
}

void SaveWindowPlace(const std::string &base, IPTR windowId, const QRect &place)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return;
    }
    SetChanged(*OpenSettings(), PlaceKey(group, windowId), place);
}

}  // namespace toolkit
