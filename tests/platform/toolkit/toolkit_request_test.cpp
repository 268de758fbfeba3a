// Requesters: the body filled from its arguments within bounds, the text
// escapes rendered and everything else shown literally; the access keys, the icon
// and the width.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "platform/toolkit/toolkit_test_support.h"

namespace {

using ToolkitRequestTest = ToolkitTest;

QTextCharFormat FormatAt(const QTextBlock &block, int offset)
{
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + offset + 1);
    return cursor.charFormat();
}

// ESC c centres the lines from its own on; ESC b and u last until ESC n; markup
// is shown as text.
TEST_F(ToolkitRequestTest, EscapesAreRenderedAndEverythingElseIsShownAsWritten)
{
    QTextDocument doc;
    doc.setHtml(
        toolkit::EscapesToHtml("\033c\033b\033uTom & <Jerry>\033n\n\nThanks to \xC3\xA9mile <b>not bold</b> &amp;"));
    EXPECT_EQ(doc.toPlainText().toStdString(), "Tom & <Jerry>\n \nThanks to \u00e9mile <b>not bold</b> &amp;");
    ASSERT_EQ(doc.blockCount(), 3);
    const QTextBlock title = doc.begin(), credit = title.next().next();
    EXPECT_TRUE(title.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_EQ(FormatAt(title, 0).fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatAt(title, 0).fontUnderline());
    EXPECT_TRUE(credit.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_NE(FormatAt(credit, 0).fontWeight(), QFont::Bold);
    EXPECT_FALSE(FormatAt(credit, 0).fontUnderline());
    EXPECT_NE(FormatAt(credit, 15).fontWeight(), QFont::Bold);  // inside the literal "<b>"
}

// Missing arguments read as empty, a null one too; long texts stay bounded.
TEST_F(ToolkitRequestTest, TheBodyIsFilledWithinBounds)
{
    const IPTR one[] = {reinterpret_cast<IPTR>("one")};
    EXPECT_EQ(toolkit::FormatArgs("%s|%s| 100%%", one, 1), "one|| 100%");
    const IPTR none[] = {0};
    EXPECT_EQ(toolkit::FormatArgs("%s.", none, 1), ".");
    EXPECT_EQ(toolkit::FormatArgs("trailing %", none, 0), "trailing ");
    EXPECT_EQ(toolkit::FormatArgs(std::string(100000, 'x').c_str(), none, 0).size(), 16384u);
}

// Each button its own Alt+letter: its first letter where free, else a word's first.
TEST_F(ToolkitRequestTest, EachButtonTakesAnAccessKeyOfItsOwn)
{
    QStringList shown;
    QTimer::singleShot(0, [&shown] {
        for (const QAbstractButton *button : QApplication::activeModalWidget()->findChildren<QAbstractButton *>()) {
            shown << button->text();
        }
        QApplication::activeModalWidget()->close();
    });
    MUI_Request(nullptr, nullptr, 0, "Keys", "Save|Save over them|Cancel", "%s", "Body");
    EXPECT_EQ(shown.join('|').toStdString(), "&Save|Save &over them|&Cancel");
}

// A warning icon, or an information one where asked; the box as wide as its title
// in a bold font needs with room for a title bar's buttons, where Qt leaves 50
// pixels and a window manager would cut the title.
TEST_F(ToolkitRequestTest, TheIconIsAsAskedAndTheTitleIsNotCut)
{
    const QString title = QStringLiteral("Starfield Deluxe Special Edition Settings");
    for (const auto &[flags, icon] :
         {std::pair(0u, QMessageBox::Warning), std::pair(MUIV_Request_Information, QMessageBox::Information)}) {
        QMessageBox::Icon shown = QMessageBox::NoIcon;
        int width = 0, needed = 0;
        QTimer::singleShot(0, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->icon();
                width = box->width();
                QFont bold = box->font();
                bold.setBold(true);
                needed = QFontMetrics(bold).horizontalAdvance(title) + 4 * QFontMetrics(bold).height();
                box->reject();
            }
        });
        MUI_Request(t.app, t.window, flags, title.toUtf8().constData(), "OK", "Short.");
        EXPECT_EQ(shown, icon);
        EXPECT_GE(width, needed);
    }
}

}  // namespace
