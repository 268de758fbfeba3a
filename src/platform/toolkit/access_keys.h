// Access keys (Alt+letter) for menu titles, menu items and buttons, worked out
// from their texts in whatever language they are in.
#pragma once

#include <QList>
#include <QString>

class QAction;
class QWidget;
struct Object;

namespace toolkit {

// The position in text of a letter or digit that taken does not hold (in any
// letter case): the first letter where it is free, else the first free one that
// starts a word, else any free one; -1 when none is. The key is added to taken.
int PickAccessKey(const QString &text, QString &taken);
// text with '&' before position at and every other '&' doubled.
QString WithAccessKey(const QString &text, int at);

// Gives the actions (menu titles of a bar, or the items of a menu, and those of
// their sub-menus) keys unique among their siblings, after the letters of taken.
// Returns the keys given.
QString MarkActionKeys(const QList<QAction *> &actions, QString taken = {});
// Gives the buttons of a window's tree keys unique in the window, after taken
// (its menu bar's keys).
void MarkButtonKeys(Object *root, QString taken);
// Gives the buttons of a dialog made with Qt, and its labels that name a field
// that can take the keyboard, keys unique in the dialog, keeping any key a text
// already has.
void MarkDialogKeys(QWidget *dialog);

}  // namespace toolkit
