// Menu strips made from NewMenu tables: a menu bar with its menus, items and
// submenus, Ctrl+key shortcuts, access keys, separator bars, and items that return
// their user data.
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/gadget.h"
#include "platform/toolkit/menu.h"

namespace toolkit {

namespace {

constexpr int kMaxEntries = 4096;  // a table without its end marker stops here

QString MenuText(const char *label)
{
    return FromUtf8(label).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Ctrl and the key's character; none for a missing, blank or control character.
QKeySequence Shortcut(const char *commKey)
{
    if (commKey == nullptr) {
        return {};
    }
    const QString text = FromUtf8(commKey);
    const char16_t c = text.isEmpty() ? 0 : text[0].unicode();
    if (c <= ' ' || c == 0x7f || (c >= 0x80 && c < 0xa0) || text[0].isSurrogate()) {
        return {};
    }
    // Letters, digits and other characters: the key code is the upper-case character.
    const char16_t key = QChar(c).toUpper().unicode();
    return QKeySequence(QKeyCombination(Qt::ControlModifier, Qt::Key(key)));
}

void ItemChosen(Gadget *item)
{
    if (ObjectSleeps(item)) {
        return;
    }
    ChangeAttr(item, MUIA_Menuitem_Trigger, reinterpret_cast<IPTR>(item));
    Object *app = ApplicationOf(item);
    if (app != nullptr && item->userData != 0) {
        DoMethod(app, MUIM_Application_ReturnID, item->userData);
    }
}

Gadget *Adopt(Object *parent, Gadget *child)
{
    child->parent = parent;
    parent->children.push_back(child);
    RememberObject(child);
    return child;
}

// An item (or a bar) of qmenu, below parent in the tree.
Gadget *AddItem(Gadget *parent, QMenu *qmenu, const NewMenu &entry)
{
    Gadget *item = Adopt(parent, new Gadget(Kind::MenuItem));
    item->userData = reinterpret_cast<IPTR>(entry.nm_UserData);
    if (entry.nm_Label == NM_BARLABEL) {
        item->action = qmenu->addSeparator();
        return item;
    }
    item->text = entry.nm_Label != nullptr ? entry.nm_Label : "";
    QAction *action = qmenu->addAction(MenuText(item->text.c_str()));
    action->setShortcut(Shortcut(entry.nm_CommKey));
    if (!action->shortcut().isEmpty()) {
        item->commKey = entry.nm_CommKey[0];
    }
    item->action = action;
    QObject::connect(action, &QAction::triggered, action, [item] { ItemChosen(item); });
    return item;
}

}  // namespace

Object *NewMenustrip(const NewMenu *menu)
{
    if (CreationFails() || menu == nullptr) {
        return nullptr;
    }
    auto *strip = new Gadget(Kind::Menustrip);
    auto *bar = new QMenuBar;
    strip->widget = bar;
    Gadget *title = nullptr;
    Gadget *item = nullptr;
    for (int i = 0; i < kMaxEntries && menu[i].nm_Type != NM_END; ++i) {
        const NewMenu &entry = menu[i];
        if (entry.nm_Type == NM_TITLE) {
            const char *label = entry.nm_Label == NM_BARLABEL ? "" : entry.nm_Label;
            title = Adopt(strip, new Gadget(Kind::Menu));
            title->text = label != nullptr ? label : "";
            title->userData = reinterpret_cast<IPTR>(entry.nm_UserData);
            title->widget = bar->addMenu(MenuText(title->text.c_str()));
            item = nullptr;
        } else if (entry.nm_Type == NM_ITEM && title != nullptr) {
            item = AddItem(title, qobject_cast<QMenu *>(title->widget.data()), entry);
        } else if (entry.nm_Type == NM_SUB && item != nullptr && !item->action->isSeparator()) {
            // The item opens its submenu instead of returning its user data.
            QMenu *submenu = item->action->menu<QMenu *>();
            if (submenu == nullptr) {
                submenu = new QMenu(qobject_cast<QMenu *>(title->widget.data()));
                item->action->setMenu(submenu);
            }
            AddItem(item, submenu, entry);
        }
        // Entries of other types, items before the first title and sub-items of a bar are left out.
    }
    // Alt and a letter opens a menu, and a letter chooses an item in it.
    MarkActionKeys(bar->actions());
    RememberObject(strip);
    return strip;
}

}  // namespace toolkit
