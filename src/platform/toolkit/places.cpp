// Places are kept as the frame's corner and the inner size, set back with move
// and resize: restoring a saved QWidget geometry moves a window without a frame
// (no window manager) down by a title bar's height at each start.
#include "platform/toolkit/places.h"

#include <QCryptographicHash>

#include "platform/toolkit/settings_file.h"

namespace toolkit {

namespace {

QString PlaceKey(const QString &group, IPTR windowId)
{
    return QStringLiteral("%1/window-%2/place").arg(group).arg(qulonglong(windowId), 8, 16, QLatin1Char('0'));
}

// A name of any bytes (a path) as a key: a digest of it.
QString SizeKey(const QString &group, IPTR windowId, const std::string &sizeName)
{
    const QByteArray digest = QCryptographicHash::hash(QByteArray::fromStdString(sizeName), QCryptographicHash::Sha1);
    return QStringLiteral("%1/window-%2/size-%3")
        .arg(group)
        .arg(qulonglong(windowId), 8, 16, QLatin1Char('0'))
        .arg(QString::fromLatin1(digest.toHex().left(16)));
}

}  // namespace

std::optional<QRect> LoadWindowPlace(const std::string &base, IPTR windowId, const std::string &sizeName)
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
    if (sizeName.empty()) {
        return place;
    }
    const QSize size = OpenSettings()->value(SizeKey(group, windowId, sizeName)).toSize();
    return QRect(place.topLeft(), size.isValid() && !size.isEmpty() ? size : QSize());
}

void SaveWindowPlace(const std::string &base, IPTR windowId, const QRect &place, const std::string &sizeName)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return;
    }
    SetChanged(*OpenSettings(), PlaceKey(group, windowId), place);
    if (!sizeName.empty()) {
        SetChanged(*OpenSettings(), SizeKey(group, windowId, sizeName), place.size());
    }
}

}  // namespace toolkit
