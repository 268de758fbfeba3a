#include "platform/toolkit/access_keys.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeySequence>
#include <QLabel>
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

// The text of a dialog's control that takes a key (a button, a label with a
// buddy), or null.
bool KeyedText(QWidget *widget, QString &text)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        text = button->text();
        return true;
    }
    // A label keys its field only when the field can take the keyboard.
    auto *label = qobject_cast<QLabel *>(widget);
    text = label != nullptr ? label->text() : QString();
    return label != nullptr && label->buddy() != nullptr && label->buddy()->focusPolicy() != Qt::NoFocus;
}

void SetKeyedText(QWidget *widget, const QString &text)
{
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        button->setText(text);
    } else if (auto *label = qobject_cast<QLabel *>(widget)) {
        label->setText(text);
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

void MarkDialogKeys(QWidget *dialog)
{
    const QList<QWidget *> widgets = dialog->findChildren<QWidget *>();
    QString taken, text;
    for (QWidget *widget : widgets) {
        const QKeySequence key = KeyedText(widget, text) ? QKeySequence::mnemonic(text) : QKeySequence();
        if (!key.isEmpty()) {
            taken += QKeySequence(key[0].key()).toString().toCaseFolded();
        }
    }
    for (QWidget *widget : widgets) {
        if (KeyedText(widget, text) && QKeySequence::mnemonic(text).isEmpty() && !text.isEmpty()) {
            text.replace(QLatin1String("&&"), QLatin1String("&"));
            SetKeyedText(widget, WithAccessKey(text, PickAccessKey(text, taken)));
        }
    }
}

void MarkButtonKeys(Object *root, QString taken)
{
    if (root != nullptr) {
        MarkButtons(root, taken);
    }
}

}  // namespace toolkit
