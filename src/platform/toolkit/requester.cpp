// The requester engine: the button row, the rendering of the body, and the
// answers given without a requester (a test's hook, the environment, no display).
#include "platform/toolkit/requester.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/toolkit/escapes.h"
#include "platform/toolkit/object.h"

namespace toolkit {

namespace {

constexpr std::size_t kMaxButtons = 32;

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

}  // namespace

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
                  RequestText kind)
{
    if (seams::requesterHook) {
        return seams::requesterHook(title.c_str(), body.c_str(), buttons.c_str());
    }
    const std::string plainBody = kind == RequestText::Escapes ? StripEscapes(body).toUtf8().toStdString() : body;
    const char *answer = std::getenv("SETTINGS_REQUEST_ANSWER");
    if (answer != nullptr && answer[0] != '\0') {
        WriteRequestToStderr(title, plainBody);
        return std::atoi(answer);
    }
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
    box.setIcon(QMessageBox::NoIcon);
    std::vector<QPushButton *> pushButtons;
    for (const std::string &label : labels) {
        // '&' is shown, not taken as a shortcut marker.
        const QString text = FromUtf8(label).replace(QLatin1Char('&'), QLatin1String("&&"));
        pushButtons.push_back(box.addButton(text, QMessageBox::AcceptRole));
    }
    box.setDefaultButton(pushButtons[defaultButton]);
    box.setEscapeButton(pushButtons.back());
    box.exec();
    for (std::size_t i = 0; i < pushButtons.size(); ++i) {
        if (box.clickedButton() == pushButtons[i]) {
            return i + 1 == pushButtons.size() ? 0 : int(i + 1);
        }
    }
    return 0;
}

}  // namespace toolkit
