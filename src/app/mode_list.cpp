#include "app/mode_list.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/command_line.h"
#include "gui/screen_mode.h"
#include "platform/display.h"
#include "platform/formats/charset.h"
#include "platform/screen_mode_requester.h"
#include "text/line_text.h"
#include "text/strings.h"

int ListModes(std::FILE *out, bool json)
{
    const std::vector<DisplayModeRecord> modes = ScreenModeChoices(SCREEN_MODE_MIN_DEPTH, SCREEN_MODE_MAX_DEPTH);
    QJsonArray list;
    for (const DisplayModeRecord &mode : modes) {
        QJsonArray depths;
        QString depthText;
        for (int i = 0; i < mode.depthCount; ++i) {
            depths.append(mode.depths[i]);
            depthText += (i > 0 ? QStringLiteral(",") : QString()) + QString::number(mode.depths[i]);
        }
        const QString name = QString::fromLatin1(mode.name);
        const QString hex = QString::asprintf("0x%08X", static_cast<unsigned>(mode.modeId));
        if (!json) {
            // Tab-separated: a name may hold spaces.
            std::fprintf(out, "%s\t%u\t%s\t%ux%u\t%s\n", qPrintable(hex), static_cast<unsigned>(mode.modeId),
                         Latin1LineText(mode.name).c_str(), unsigned(mode.width), unsigned(mode.height),
                         qPrintable(depthText));
            continue;
        }
        list.append(QJsonObject{{QStringLiteral("modeId"), static_cast<qint64>(mode.modeId)},
                                {QStringLiteral("hex"), hex},
                                {QStringLiteral("name"), name},
                                {QStringLiteral("width"), mode.width},
                                {QStringLiteral("height"), mode.height},
                                {QStringLiteral("depths"), depths}});
    }
    if (json) {
        std::fputs(QJsonDocument(list).toJson(QJsonDocument::Indented).constData(), out);
    }
    return 0;
}
