// An AmigaGuide node as styled text in a browser: pens in the colours of the
// browser's palette, links as anchors "link:N" (N the link's index in the node).
#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

#include "platform/formats/amigaguide.h"

class QTextBrowser;

// The palette colour that stands for an AmigaGuide pen.
QColor GuidePenColor(GuidePen pen, const QPalette &palette);

// The anchor of a node's link, and the link of an anchor (-1 for none).
QString GuideLinkAnchor(int link);
int GuideAnchorLink(const QString &anchor);

// What a link's tooltip says; hostFolder (bytes of a host path) resolves
// links to other files, which are unavailable on a volume or assign.
QString GuideLinkToolTip(const GuideLink &link, const QByteArray &hostFolder, bool *available);

// Replaces the browser's content by the node, in a fixed-width font.
void RenderGuideNode(QTextBrowser *browser, const GuideDocument &document, int node,
                     const QByteArray &hostFolder = QByteArray());
