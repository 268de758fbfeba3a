// Reading a document for the viewer: the checks that refuse what cannot be
// shown, the text's encoding, and its format.
#pragma once

#include <QString>

class QTextBrowser;

enum class DocumentFormat { PlainText, Html, Markdown };

struct Document {
    DocumentFormat format = DocumentFormat::PlainText;
    QString text;
    QString fileName;   // for the window title
    QString folder;     // where relative links and images are looked up
};

// The largest document shown.
constexpr qint64 MAX_DOCUMENT_SIZE = 16 * 1024 * 1024;

// Reads the file at path (bytes, as given). On failure returns false with the
// reason in error: missing, a folder, not a regular file, unreadable, too
// large, or binary.
bool ReadDocument(const char *path, Document *document, QString *error);

// The format by the file's suffix, else by its first characters.
DocumentFormat DetectFormat(const QString &fileName, const QString &text);

// Puts the document into the browser in its format.
void ShowDocument(QTextBrowser *browser, const Document &document);
