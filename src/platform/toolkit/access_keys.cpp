#include "platform/toolkit/access_keys.h"

#include <QAction>
#include <QMenu>

#include "platform/toolkit/escapes.h"
#include "platform/toolkit/gadget.h"

namespace toolkit {

namespace {

bool Free(QChar c, const QString &taken)
{
    return c.isLetterOrNumber() && !taken.contains(c.toCaseFolded());
}

// The text an action was given, without its access key marker.
QString PlainActionText(const QAction *action)
{
    QString text;
    const QString marked = action->text();
    for (qsizetype i = 0; i < marked.size(); ++i) {
        if (marked[i] == QLatin1Char('&') && i + 1 < marked.size()) {
            ++i;
        }
        text += marked[i];
    }
    return text;
}

void MarkButtons(Object *obj, QString &taken)
{
    auto *gadget = As<Gadget>(obj);
    if (gadget != nullptr && obj->kind == Kind::Button) {
        const QString text = StripEscapes(gadget->preParse + gadget->text);
        const int at = PickAccessKey(text, taken);
        gadget->accessKey = at >= 0 ? text[at].toCaseFolded() : QChar();
        ShowText(obj);
    }
    for (Object *child : obj->children) {
        MarkButtons(child, taken);
    }
}

}  // namespace

int PickAccessKey(const QString &text, QString &taken)
{
    auto startsWord = [&text](qsizetype i) { return i == 0 || !text[i - 1].isLetterOrNumber(); };
    qsizetype first = 0;
    while (first < text.size() && !text[first].isLetterOrNumber()) {
        ++first;
    }
    qsizetype at = first < text.size() && Free(text[first], taken) ? first : -1;
    for (qsizetype i = 0; i < text.size() && at < 0; ++i) {
        at = Free(text[i], taken) && startsWord(i) ? i : -1;
    }
    for (qsizetype i = 0; i < text.size() && at < 0; ++i) {
        at = Free(text[i], taken) ? i : -1;
    }
    if (at >= 0) {
        taken += text[at].toCaseFolded();
    }
    return static_cast<int>(at);
}

QString WithAccessKey(const QString &text, int at)
{
    QString marked;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == at) {
            marked += QLatin1Char('&');
        }
        marked += text[i];
        if (text[i] == QLatin1Char('&')) {
            marked += QLatin1Char('&');
        }
    }
    return marked;
}

QString MarkActionKeys(const QList<QAction *> &actions, QString taken)
{
    const qsizetype before = taken.size();
    for (QAction *action : actions) {
        if (action->isSeparator()) {
            continue;
        }
        const QString text = PlainActionText(action);
        action->setText(WithAccessKey(text, PickAccessKey(text, taken)));
        if (action->menu() != nullptr) {
            MarkActionKeys(action->menu()->actions());
        }
    }
    return taken.mid(before);
}

void MarkButtonKeys(Object *root, QString taken)
{
    if (root != nullptr) {
        MarkButtons(root, taken);
    }
}

}  // namespace toolkit
