// The requester engine: the body formatted printf-style from its arguments
// within bounds, the button row, the rendering of the body, and the answers
// given without a requester (a test's hook, no display);
// MUI_Request over it.
#include "platform/toolkit/requester.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/escapes.h"
#include "platform/toolkit/object.h"

namespace toolkit {

namespace {

constexpr std::size_t kMaxButtons = 32;

// One conversion of the format, read at fmt (after '%'); appends to out and
// returns the position after the conversion.
const char *FormatOne(const char *fmt, const IPTR *args, std::size_t count, std::size_t &next, std::string &out)
{
    auto take = [&]() -> IPTR { return next < count ? args[next++] : 0; };
    std::string spec = "%";
    while (*fmt != '\0' && std::strchr("-+ #0", *fmt) != nullptr) {
        spec += *fmt++;
    }
    auto number = [&](IPTR lowest) {
        if (*fmt == '*') {
            ++fmt;
            spec += std::to_string(std::clamp<IPTR>(take(), lowest, 1000));
            return;
        }
        int digits = 0;
        while (*fmt >= '0' && *fmt <= '9') {
            if (digits++ < 4) {  // widths beyond 9999 are cut
                spec += *fmt;
            }
            ++fmt;
        }
    };
    number(-1000);
    if (*fmt == '.') {
        spec += *fmt++;
        number(0);
    }
    bool wide = false;
    while (*fmt != '\0' && std::strchr("hlLjzt", *fmt) != nullptr) {
        wide |= *fmt != 'h';
        ++fmt;
    }
    const char conv = *fmt;
    if (conv == '\0') {
        return fmt;
    }
    ++fmt;
    char piece[12000];
    piece[0] = '\0';
    switch (conv) {
    case '%':
        out += '%';
        return fmt;
    case 's': {
        const char *text = reinterpret_cast<const char *>(take());
        std::snprintf(piece, sizeof piece, (spec + 's').c_str(), text != nullptr ? text : "");
        break;
    }
    case 'c':
        std::snprintf(piece, sizeof piece, (spec + 'c').c_str(), int(static_cast<unsigned char>(take())));
        break;
    case 'd':
    case 'i': {
        const IPTR v = take();
        const long long n = wide ? static_cast<long long>(v) : static_cast<long long>(static_cast<std::int32_t>(v));
        std::snprintf(piece, sizeof piece, (spec + "lld").c_str(), n);
        break;
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
        const IPTR v = take();
        const unsigned long long n =
            wide ? static_cast<unsigned long long>(v) : static_cast<unsigned long long>(static_cast<std::uint32_t>(v));
        std::snprintf(piece, sizeof piece, (spec + "ll" + conv).c_str(), n);
        break;
    }
    case 'p':
        std::snprintf(piece, sizeof piece, "%#llx", static_cast<unsigned long long>(take()));
        break;
    default:
        // Not a conversion: shown as written.
        out += spec;
        out += conv;
        return fmt;
    }
    out += piece;
    return fmt;
}

// The button texts, left to right, and the default one's index.
std::vector<std::string> SplitButtons(const std::string &buttons, RequestText kind, std::size_t &defaultButton)
{
    std::vector<std::string> labels;
    defaultButton = 0;
    const std::string all = buttons.empty() ? "OK" : buttons;
    std::size_t start = 0;
    while (labels.size() < kMaxButtons) {
        const std::size_t bar = all.find('|', start);
        std::string label = all.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        if (kind == RequestText::Escapes && !label.empty() && label[0] == '*') {
            label.erase(0, 1);
            defaultButton = labels.size();
        }
        labels.push_back(label);
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    return labels;
}

QWidget *ParentOf(Object *window)
{
    IPTR shown = 0;
    if (window == nullptr || GetAttr(MUIA_Window_Window, window, &shown) == 0) {
        return nullptr;
    }
    return reinterpret_cast<QWidget *>(shown);
}

// Qt sizes a message box to its text, with little room for a title bar's buttons,
// so a window manager cuts a longer title: the box is made as wide as the title
// in a bold title bar font with room for its buttons, within the screen.
void KeepTitleWhole(QMessageBox &box)
{
    QFont font = box.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(box.windowTitle()) + 8 * metrics.height();
    if (box.screen() != nullptr) {
        width = std::min(width, box.screen()->availableSize().width() * 9 / 10);
    }
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout())) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
}

}  // namespace

std::string FormatArgs(const char *format, const IPTR *args, std::size_t count, std::size_t *used)
{
    std::string out;
    if (format == nullptr) {
        return out;
    }
    if (args == nullptr) {
        count = 0;
    }
    std::size_t next = 0;
    const char *p = format;
    while (*p != '\0' && out.size() < kMaxBody) {
        if (*p != '%') {
            out += *p++;
            continue;
        }
        p = FormatOne(p + 1, args, count, next, out);
    }
    if (out.size() > kMaxBody) {
        out.resize(kMaxBody);
    }
    if (used != nullptr) {
        *used = next;
    }
    return out;
}
void WriteRequestToStderr(const std::string &title, const std::string &body)
{
    QString line = FromUtf8(title);
    if (!line.isEmpty()) {
        line += QLatin1String(": ");
    }
    line += FromUtf8(body);
    line += QLatin1Char('\n');
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
}

int ShowRequester(Object *window, const std::string &title, const std::string &body, const std::string &buttons,
                  RequestText kind, bool information)
{
    if (seams::requesterHook) {
        return seams::requesterHook(title.c_str(), body.c_str(), buttons.c_str());
    }
    const std::string plainBody = kind == RequestText::Escapes ? StripEscapes(body).toUtf8().toStdString() : body;
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        WriteRequestToStderr(title, plainBody);
        return 0;
    }

    std::size_t defaultButton = 0;
    const std::vector<std::string> labels = SplitButtons(buttons, kind, defaultButton);
    QMessageBox box(ParentOf(window));
    box.setWindowTitle(FromUtf8(title));
    if (kind == RequestText::Escapes) {
        box.setTextFormat(Qt::RichText);
        box.setText(EscapesToHtml(body));
    } else {
        box.setTextFormat(Qt::PlainText);
        box.setText(FromUtf8(body));
    }
    box.setIcon(information ? QMessageBox::Information : QMessageBox::Warning);
    std::vector<QPushButton *> pushButtons;
    QString taken;
    for (const std::string &label : labels) {
        // Each button its own Alt+letter; a '&' of the label is shown.
        const QString text = FromUtf8(label);
        pushButtons.push_back(box.addButton(WithAccessKey(text, PickAccessKey(text, taken)), QMessageBox::AcceptRole));
    }
    box.setDefaultButton(pushButtons[defaultButton]);
    box.setEscapeButton(pushButtons.back());
    KeepTitleWhole(box);
    box.exec();
    for (std::size_t i = 0; i < pushButtons.size(); ++i) {
        if (box.clickedButton() == pushButtons[i]) {
            return i + 1 == pushButtons.size() ? 0 : int(i + 1);
        }
    }
    return 0;
}

}  // namespace toolkit

namespace {

QMessageBox *waitBox = nullptr;
bool waitCancelled = false;

}  // namespace

void OpenWaitRequest(Object *window, const char *title, const char *body, const char *button)
{
    using namespace toolkit;
    CloseWaitRequest();
    waitCancelled = false;
    const std::string heading = title != nullptr ? title : "", text = body != nullptr ? body : "";
    if (seams::requesterHook) {
        waitCancelled = seams::requesterHook(heading.c_str(), text.c_str(), button != nullptr ? button : "") == 0;
        return;
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        WriteRequestToStderr(heading, text);
        return;
    }
    waitBox = new QMessageBox(ParentOf(window));
    waitBox->setWindowTitle(FromUtf8(heading));
    waitBox->setTextFormat(Qt::PlainText);
    waitBox->setText(FromUtf8(text));
    waitBox->setIcon(QMessageBox::NoIcon);
    QString taken;
    const QString label = FromUtf8(button != nullptr ? button : "");
    waitBox->setEscapeButton(
        waitBox->addButton(WithAccessKey(label, PickAccessKey(label, taken)), QMessageBox::RejectRole));
    waitBox->setWindowModality(Qt::ApplicationModal);
    QObject::connect(waitBox, &QDialog::finished, [] { waitCancelled = true; });
    waitBox->show();
}

bool WaitRequestCancelled()
{
    if (waitBox != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return waitCancelled;
}

void CloseWaitRequest()
{
    if (waitBox != nullptr) {
        QObject::disconnect(waitBox, &QDialog::finished, nullptr, nullptr);
        waitBox->hide();
        waitBox->deleteLater();
        waitBox = nullptr;
    }
}

int MUI_RequestArgs(Object *app, Object *window, std::uint32_t flags, const char *title, const char *buttons,
                    const char *format, const IPTR *args, std::size_t argCount)
{
    using namespace toolkit;
    const std::string body = FormatArgs(format, args, argCount);
    std::string heading = title != nullptr ? title : "";
    if (title == nullptr && app != nullptr && IsLiveObject(app)) {
        heading = TextAttr(app, MUIA_Application_Title);
    }
    return ShowRequester(window, heading, body, buttons != nullptr ? buttons : "", RequestText::Escapes,
                         (flags & MUIV_Request_Information) != 0);
}
