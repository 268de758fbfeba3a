#include "platform/easy_request.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

EasyRequestHook requestHook;

// Fills the format's "%s", "%ld", "%d" from args in turn; args null: as it is.
std::string FormatText(const char *format, const IPTR *args, int *used)
{
    std::string out;
    if (format == nullptr) {
        return out;
    }
    if (args == nullptr) {
        return format;
    }
    for (const char *p = format; *p != '\0'; ++p) {
        if (*p != '%') {
            out.push_back(*p);
            continue;
        }
        if (p[1] == '%') {
            out.push_back('%');
            ++p;
        } else if (p[1] == 's') {
            auto text = reinterpret_cast<const char *>(args[(*used)++]);
            out += text != nullptr ? text : "";
            ++p;
        } else if (p[1] == 'd' || (p[1] == 'l' && p[2] == 'd')) {
            out += std::to_string(static_cast<long>(args[(*used)++]));
            p += p[1] == 'l' ? 2 : 1;
        } else {
            out.push_back('%');
        }
    }
    return out;
}

}  // namespace

void WriteRequestToStderr(const char *title, const char *body)
{
    std::string line = title != nullptr ? title : "";
    if (!line.empty()) {
        line += ": ";
    }
    line += body != nullptr ? body : "";
    line += '\n';
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
}

void SetEasyRequestHook(EasyRequestHook hook)
{
    requestHook = std::move(hook);
}

std::int32_t EasyRequestArgs(Window *, const EasyStruct *easyStruct, std::uint32_t *idcmp, const IPTR *args)
{
    if (idcmp != nullptr) {
        *idcmp = 0;
    }
    if (easyStruct == nullptr) {
        return 0;
    }
    int used = 0;
    std::string body = FormatText(easyStruct->es_TextFormat, args, &used);
    int gadgetArgs = 0;
    std::string gadgets = FormatText(easyStruct->es_GadgetFormat, args != nullptr ? args + used : nullptr, &gadgetArgs);
    const char *title = easyStruct->es_Title != nullptr ? easyStruct->es_Title : "";

    if (requestHook) {
        return requestHook(title, body.c_str(), gadgets.c_str());
    }
    const char *answer = std::getenv("SETTINGS_REQUEST_ANSWER");
    if (answer != nullptr && answer[0] != '\0') {
        WriteRequestToStderr(title, body.c_str());
        return static_cast<std::int32_t>(std::atoi(answer));
    }
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        WriteRequestToStderr(title, body.c_str());
        return 0;
    }

    std::vector<std::string> labels;
    std::size_t start = 0;
    for (;;) {
        std::size_t bar = gadgets.find('|', start);
        labels.push_back(gadgets.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }

    QMessageBox box;
    box.setWindowTitle(QString::fromUtf8(title));
    box.setText(QString::fromUtf8(body.c_str()));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(QMessageBox::NoIcon);
    std::vector<QPushButton *> buttons;
    for (const std::string &label : labels) {
        buttons.push_back(box.addButton(QString::fromUtf8(label.c_str()), QMessageBox::AcceptRole));
    }
    box.setDefaultButton(buttons.front());
    box.setEscapeButton(buttons.back());
    box.exec();
    const auto count = static_cast<std::int32_t>(buttons.size());
    for (std::int32_t i = 0; i < count; ++i) {
        if (box.clickedButton() == buttons[static_cast<std::size_t>(i)]) {
            return i + 1 == count ? 0 : i + 1;
        }
    }
    return 0;
}
