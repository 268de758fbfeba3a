#include "document.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QStringDecoder>
#include <QTextBrowser>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/system/whole_file.h"

#include "guide_render.h"
#include "viewer_texts.h"

namespace {

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Text has no NUL bytes and few control characters besides the usual layout ones.
bool LooksBinary(const QByteArray &bytes)
{
    qsizetype controls = 0;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte == 0) {
            return true;
        }
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r' && byte != '\f' && byte != 0x1B) {
            ++controls;
        }
    }
    return controls * 20 > bytes.size();
}

// UTF-8 when the bytes are valid UTF-8, else ISO-8859-1 (the Amiga's own).
QString DecodeText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Default);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return QString::fromLatin1(bytes);
}

}  // namespace

bool ReadDocument(const char *path, Document *document, QString *error)
{
    if (path == nullptr || path[0] == '\0') {
        *error = ViewerText(TXT_NO_DOCUMENT_NAMED);
        return false;
    }
    std::vector<std::uint8_t> raw;
    int readError = 0;
    switch (ReadWholeFile(path, MAX_DOCUMENT_SIZE, raw, &readError)) {
    case FileReadStatus::Ok:
        break;
    case FileReadStatus::Missing:
        *error = ViewerText(TXT_NO_SUCH_FILE);
        return false;
    case FileReadStatus::Folder:
        *error = ViewerText(TXT_IS_FOLDER);
        return false;
    case FileReadStatus::NotRegular:
        *error = ViewerText(TXT_NOT_REGULAR);
        return false;
    case FileReadStatus::TooLarge:
        *error = ViewerText(TXT_TOO_LARGE).arg(MAX_DOCUMENT_SIZE);
        return false;
    case FileReadStatus::Failed:
        *error = ErrorText(readError);
        return false;
    }
    const QByteArray bytes(reinterpret_cast<const char *>(raw.data()), qsizetype(raw.size()));

    QFileInfo fileInfo(QFile::decodeName(path));
    document->fileName = fileInfo.fileName();
    document->folder = fileInfo.absolutePath();
    if (IsAmigaGuide(bytes)) {
        auto guide = std::make_shared<GuideDocument>();
        ParseAmigaGuide(bytes, guide.get());
        document->guide = std::move(guide);
        document->text.clear();
        document->format = DocumentFormat::AmigaGuide;
        return true;
    }
    if (LooksBinary(bytes)) {
        *error = ViewerText(TXT_NOT_TEXT);
        return false;
    }
    document->text = DecodeText(bytes);
    document->guide.reset();
    document->format = DetectFormat(document->fileName, document->text);
    return true;
}

DocumentFormat DetectFormat(const QString &fileName, const QString &text)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"md" || suffix == u"markdown" || suffix == u"mdown" || suffix == u"mkd") {
        return DocumentFormat::Markdown;
    }
    if (suffix == u"html" || suffix == u"htm" || suffix == u"xhtml") {
        return DocumentFormat::Html;
    }
    if (suffix == u"txt" || suffix == u"text") {
        return DocumentFormat::PlainText;
    }
    const QString start = text.left(512).trimmed();
    if (start.startsWith(u"<!doctype html", Qt::CaseInsensitive) || start.startsWith(u"<html", Qt::CaseInsensitive)) {
        return DocumentFormat::Html;
    }
    if (start.startsWith(u"# ")) {
        return DocumentFormat::Markdown;
    }
    return DocumentFormat::PlainText;
}

void ShowDocument(QTextBrowser *browser, const Document &document)
{
    browser->setSearchPaths({document.folder});
    switch (document.format) {
    case DocumentFormat::Html:
        browser->setFont(QGuiApplication::font());
        browser->setHtml(document.text);
        break;
    case DocumentFormat::Markdown:
        browser->setFont(QGuiApplication::font());
        browser->setMarkdown(document.text);
        break;
    case DocumentFormat::AmigaGuide:
        RenderGuideNode(browser, *document.guide, std::max(0, FindGuideNode(*document.guide, "MAIN")));
        break;
    case DocumentFormat::PlainText:
        browser->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        browser->setPlainText(document.text);
        break;
    }
}
