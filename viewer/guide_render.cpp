#include "guide_render.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include "viewer_texts.h"

namespace {

QString Utf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::Alignment Alignment(GuideAlign align)
{
    switch (align) {
    case GuideAlign::Center:
        return Qt::AlignHCenter;
    case GuideAlign::Right:
        return Qt::AlignRight;
    case GuideAlign::Left:
        break;
    }
    return Qt::AlignLeft;
}

QTextCharFormat RunFormat(const GuideRun &run, const GuideNode &node, const QPalette &palette,
                          const QByteArray &hostFolder)
{
    QTextCharFormat format;
    if (run.style.bold) {
        format.setFontWeight(QFont::Bold);
    }
    format.setFontItalic(run.style.italic);
    format.setFontUnderline(run.style.underline);
    if (run.style.fg != GuidePen::None) {
        format.setForeground(GuidePenColor(run.style.fg, palette));
    }
    if (run.style.bg != GuidePen::None) {
        format.setBackground(GuidePenColor(run.style.bg, palette));
    }
    if (run.link < 0 || node.links[static_cast<std::size_t>(run.link)].action == GuideAction::Unknown) {
        return format;
    }
    // A link looks like a button; one that cannot be followed looks disabled.
    bool available = true;
    format.setAnchor(true);
    format.setAnchorHref(GuideLinkAnchor(run.link));
    format.setToolTip(GuideLinkToolTip(node.links[static_cast<std::size_t>(run.link)], hostFolder, &available));
    format.setBackground(palette.color(QPalette::Button));
    QColor inert = palette.color(QPalette::Text);
    inert.setAlpha(150);
    format.setForeground(available ? palette.color(QPalette::Link) : inert);
    return format;
}

}  // namespace

QColor GuidePenColor(GuidePen pen, const QPalette &palette)
{
    switch (pen) {
    case GuidePen::Shine:
        return palette.color(QPalette::Light);
    case GuidePen::Shadow:
        return palette.color(QPalette::Shadow);
    case GuidePen::Fill:
        return palette.color(QPalette::Highlight);
    case GuidePen::FillText:
        return palette.color(QPalette::HighlightedText);
    case GuidePen::Background:
        return palette.color(QPalette::Base);
    case GuidePen::Highlight:
        return palette.color(QPalette::Link);
    case GuidePen::Text:
    case GuidePen::None:
        break;
    }
    return palette.color(QPalette::Text);
}

QString GuideLinkAnchor(int link)
{
    return QStringLiteral("link:%1").arg(link);
}

int GuideAnchorLink(const QString &anchor)
{
    if (!anchor.startsWith(QLatin1String("link:"))) {
        return -1;
    }
    bool ok = false;
    int link = anchor.mid(5).toInt(&ok);
    return ok ? link : -1;
}

QString GuideLinkToolTip(const GuideLink &link, const QByteArray &hostFolder, bool *available)
{
    *available = true;
    switch (link.action) {
    case GuideAction::System:
        *available = false;
        return ViewerText(TXT_RUNS_COMMAND).arg(Utf8(link.target));
    case GuideAction::Rx:
    case GuideAction::Rxs:
        *available = false;
        return ViewerText(TXT_RUNS_AREXX).arg(Utf8(link.target));
    case GuideAction::Link: {
        std::string file;
        std::string node;
        SplitGuideTarget(link.target, &file, &node);
        if (file.empty()) {
            return QString();
        }
        GuidePath path = ResolveGuidePath(std::string_view(hostFolder.constData(), hostFolder.size()), file);
        *available = path.available;
        return path.available ? Utf8(link.target) : ViewerText(TXT_VOLUME_UNAVAILABLE).arg(Utf8(path.volume));
    }
    case GuideAction::Beep:
    case GuideAction::Close:
    case GuideAction::Quit:
    case GuideAction::Unknown:
        break;
    }
    return QString();
}

void RenderGuideNode(QTextBrowser *browser, const GuideDocument &document, int index, const QByteArray &hostFolder)
{
    QTextDocument *out = browser->document();
    out->clear();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    browser->setFont(font);
    out->setDefaultFont(font);
    out->setDocumentMargin(QFontMetricsF(font).horizontalAdvance(QLatin1Char(' ')) * 2);
    if (index < 0 || static_cast<std::size_t>(index) >= document.nodes.size()) {
        return;
    }
    const GuideNode &node = document.nodes[static_cast<std::size_t>(index)];
    const qreal space = QFontMetricsF(font).horizontalAdvance(QLatin1Char(' '));
    QTextOption option = out->defaultTextOption();
    option.setTabStopDistance(space * node.tabSize);
    out->setDefaultTextOption(option);

    const QPalette palette = browser->palette();
    QTextCursor cursor(out);
    cursor.beginEditBlock();
    for (std::size_t i = 0; i < node.lines.size(); ++i) {
        const GuideLine &line = node.lines[i];
        QTextBlockFormat block;
        block.setAlignment(Alignment(line.align));
        block.setLeftMargin(space * line.indent);
        block.setTextIndent(space * line.firstIndent);
        block.setNonBreakableLines(!line.wrap);
        if (i == 0) {
            cursor.setBlockFormat(block);
        } else {
            cursor.insertBlock(block, QTextCharFormat());
        }
        for (const GuideRun &run : line.runs) {
            cursor.insertText(Utf8(run.text), RunFormat(run, node, palette, hostFolder));
        }
    }
    cursor.endEditBlock();
}
