// Requesters: the body filled from its arguments within bounds, the text
// escapes rendered and everything else shown literally, the buttons counted as
// the toolkit counts them.
#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "platform/toolkit/toolkit_internal.h"
#include "platform/toolkit/toolkit_test_support.h"

namespace {

using toolkit::EscapesToHtml;

class ToolkitRequestTest : public ToolkitTest {};

QTextCharFormat FormatAt(const QTextBlock &block, int offset)
{
    QTextCursor cursor(block);
    cursor.setPosition(block.position() + offset + 1);
    return cursor.charFormat();
}

TEST_F(ToolkitRequestTest, EscapesAreRenderedAndEverythingElseIsShownAsWritten)
{
    std::string shownTitle, body;
    MUI_SetRequestHook([&](const char *t, const char *text) {
        shownTitle = t;
        body = text;
        return 3;
    });
    EXPECT_EQ(MUI_Request(nullptr, nullptr, 0, "The title", "OK", "\033c\033b\033u%s\033n\n\n%s", "Tom & <Jerry>",
                "Thanks to \xe9mile <b>not bold</b> &amp;"), 3);
    EXPECT_EQ(shownTitle, "The title");
    QTextDocument doc;
    doc.setHtml(EscapesToHtml(body));
    EXPECT_EQ(doc.toPlainText().toStdString(), "Tom & <Jerry>\n \nThanks to \u00e9mile <b>not bold</b> &amp;");
    ASSERT_EQ(doc.blockCount(), 3);
    const QTextBlock title = doc.begin();
    const QTextBlock credit = title.next().next();
    // The first line centred, bold and underlined; ESC n ends bold and underline but not centring.
    EXPECT_TRUE(title.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_EQ(FormatAt(title, 0).fontWeight(), QFont::Bold);
    EXPECT_TRUE(FormatAt(title, 0).fontUnderline());
    EXPECT_TRUE(credit.blockFormat().alignment() & Qt::AlignHCenter);
    EXPECT_NE(FormatAt(credit, 0).fontWeight(), QFont::Bold);
    EXPECT_FALSE(FormatAt(credit, 0).fontUnderline());
    EXPECT_NE(FormatAt(credit, 15).fontWeight(), QFont::Bold);  // inside the literal "<b>"
}

TEST_F(ToolkitRequestTest, StylesCarryAcrossLinesAndOtherEscapesShowNothing)
{
    QTextDocument doc;
    doc.setHtml(EscapesToHtml("\033bbold\nstill\033n plain\033r\nright\033x\033I[6:1]\0332!\033-\033b"));
    EXPECT_EQ(doc.toPlainText().toStdString(), "bold\nstill plain\nright!\033b");
    const QTextBlock second = doc.begin().next();
    EXPECT_EQ(FormatAt(second, 0).fontWeight(), QFont::Bold);
    EXPECT_NE(FormatAt(second, 7).fontWeight(), QFont::Bold);
    EXPECT_TRUE(second.blockFormat().alignment() & Qt::AlignRight);  // the line's own escape
    EXPECT_TRUE(doc.begin().blockFormat().alignment() & Qt::AlignLeft);

    EXPECT_EQ(toolkit::StripEscapes("\033cA\033bB\033"), QStringLiteral("AB"));
    EXPECT_TRUE(toolkit::HasStyleEscapes("x\033uy"));
    EXPECT_FALSE(toolkit::HasStyleEscapes("\033cx"));
}

TEST_F(ToolkitRequestTest, TheBodyIsFilledWithinBounds)
{
    const IPTR one[] = {reinterpret_cast<IPTR>("one")};
    EXPECT_EQ(toolkit::FormatArgs("%s|%s|%d", one, 1), "one||0");  // missing arguments read as empty
    const IPTR nums[] = {-5, 42, 0x1f, 'A', 7};
    EXPECT_EQ(toolkit::FormatArgs("%d %5ld %04x %c %-3u| 100%% %q", nums, 5), "-5    42 001f A 7  | 100% %q");
    const IPTR none[] = {0};
    EXPECT_EQ(toolkit::FormatArgs("%s.", none, 1), ".");  // a null text is empty
    EXPECT_EQ(toolkit::FormatArgs("trailing %", none, 0), "trailing ");

    // Huge widths and long texts stay bounded.
    const IPTR wide[] = {1, 99999999, 1, 99999999, reinterpret_cast<IPTR>("abc"), 1, 1};
    const std::string out = toolkit::FormatArgs("%999999999d%*d%.*s%9999d%9999d", wide, 7);
    EXPECT_LE(out.size(), 16384u);
    std::string longFormat(100000, 'x');
    EXPECT_EQ(toolkit::FormatArgs(longFormat.c_str(), none, 0).size(), 16384u);

    // The variadic form passes its count: a conversion without an argument reads nothing.
    std::string body;
    MUI_SetRequestHook([&](const char *, const char *text) {
        body = text;
        return 1;
    });
    EXPECT_EQ(MUI_Request(nullptr, nullptr, 0, "t", "OK", "Cannot open file %s! %s %s", "a"), 1);
    EXPECT_EQ(body, "Cannot open file a!  ");
}

// Presses key in the requester once it shows, and notes what it showed.
struct Answer {
    int key;
    QString title, text;
    QStringList buttons;
};

void AnswerWith(Answer *answer)
{
    QTimer::singleShot(0, [answer] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return AnswerWith(answer);  // not shown yet
        }
        *answer = {answer->key, box->windowTitle(), box->text(), {}};
        for (QAbstractButton *b : box->buttons()) {
            answer->buttons << b->text();
        }
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, answer->key, Qt::NoModifier);
            QCoreApplication::sendEvent(box->focusWidget() != nullptr ? box->focusWidget() : box, &event);
        }
    });
}

TEST_F(ToolkitRequestTest, ARealRequesterCountsItsButtonsTheToolkitsWay)
{
    Object *group = MUI_NewObject(MUIC_Group, MUIA_Group_Child, MUI_MakeObject(MUIO_VSpace, 10));
    Object *window = MUI_NewObject(MUIC_Window, MUIA_Window_RootObject, group);
    Object *app = MUI_NewObject(MUIC_Application, MUIA_Application_Title, "The app", MUIA_Application_Window, window);
    ASSERT_NE(app, nullptr);
    SetAttrs(window, MUIA_Window_Open, 1);

    Answer answer{Qt::Key_Escape, {}, {}, {}};
    AnswerWith(&answer);
    EXPECT_EQ(MUI_Request(app, window, 0, "Quest\xe9", "Yes|Maybe|No & never", "\033bA <tag>"), 0);
    EXPECT_EQ(answer.title, QStringLiteral("Quest\u00e9"));
    EXPECT_EQ(answer.buttons, (QStringList{"Yes", "Maybe", "No && never"}));
    QTextDocument doc;
    doc.setHtml(answer.text);
    EXPECT_EQ(doc.toPlainText().toStdString(), "A <tag>");

    answer.key = Qt::Key_Return;
    AnswerWith(&answer);
    EXPECT_EQ(MUI_Request(app, window, 0, "Q", "Yes|*Maybe|No", "x"), 2);  // '*' marks the default
    AnswerWith(&answer);
    EXPECT_EQ(MUI_Request(app, window, 0, nullptr, "OK", "x"), 0);  // a single button is the last: 0
    EXPECT_EQ(answer.title, QStringLiteral("The app"));             // no title: the application's
    MUI_DisposeObject(app);
}

}  // namespace
