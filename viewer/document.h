// Reading a document for the viewer: the checks that refuse what cannot be
// shown, the text's encoding, and its format.
#pragma once

#include <QString>

#include <memory>

#include "platform/formats/amigaguide.h"

class QTextBrowser;

enum class DocumentFormat { PlainText, Html, Markdown, AmigaGuide };

struct Document {
    DocumentFormat format = DocumentFormat::PlainText;
    QString text;                                // empty for an AmigaGuide document
    std::shared_ptr<const GuideDocument> guide;  // an AmigaGuide document's nodes
    QString fileName;                            // for the window title
    QString folder;                              // where relative links and images are looked up
};

// The largest document shown.
constexpr qint64 MAX_DOCUMENT_SIZE = 16 * 1024 * 1024;

// Reads the file at path (bytes, as given). On failure returns false with the
// reason in error: missing, a folder, not a regular file, unreadable, too
// large, or binary. An AmigaGuide document is known by its content.
bool ReadDocument(const char *path, Document *document, QString *error);

// The format by the file's suffix, else by its first characters.
DocumentFormat DetectFormat(const QString &fileName, const QString &text);

// Puts the document into the browser in its format; an AmigaGuide document
// at its node MAIN, else its first.
void ShowDocument(QTextBrowser *browser, const Document &document);
