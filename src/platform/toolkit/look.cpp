// The toolkit's look per application (widget style, font and colour scheme,
// kept in its settings file), its About window and its settings window, whose
// texts come from Sys/muimaster.catalog in the user's language.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>

#include "platform/muimaster_strings.h"
#include "platform/system/locale.h"
#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/look.h"
#include "platform/toolkit/object.h"
#include "platform/toolkit/settings_file.h"

namespace toolkit {

namespace {

QString defaultStyle;  // the look before any application's settings were applied
QFont defaultFont;
QPalette defaultPalette;
bool defaultsKnown = false;

// The toolkit's texts in the user's language while a window of its own is made.
class ToolkitTexts {
public:
    ToolkitTexts() : locale_(OpenLocale(nullptr)), catalog_(OpenCatalog(locale_, "Sys/muimaster.catalog", nullptr)) {}
    ~ToolkitTexts()
    {
        CloseCatalog(catalog_);
        CloseLocale(locale_);
    }
    ToolkitTexts(const ToolkitTexts &) = delete;
    ToolkitTexts &operator=(const ToolkitTexts &) = delete;

    QString operator()(std::int32_t id) const
    {
        return QString::fromUtf8(CatalogTextOr(catalog_, id, mui_text::builtInStrings));
    }

private:
    Locale *locale_;
    Catalog *catalog_;
};

// Colour schemes, as kept in the settings file.
const char *const kSchemes[] = {"desktop", "light", "dark"};

QPalette DarkPalette()
{
    QPalette dark;
    const QColor window(53, 53, 53), base(35, 35, 35), text(230, 230, 230), disabled(127, 127, 127);
    dark.setColor(QPalette::Window, window);
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::Button, window);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::BrightText, Qt::red);
    dark.setColor(QPalette::Link, QColor(42, 130, 218));
    dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
    dark.setColor(QPalette::HighlightedText, Qt::black);
    dark.setColor(QPalette::PlaceholderText, disabled);
    dark.setColor(QPalette::Light, QColor(80, 80, 80));
    dark.setColor(QPalette::Midlight, QColor(66, 66, 66));
    dark.setColor(QPalette::Mid, QColor(40, 40, 40));
    dark.setColor(QPalette::Dark, QColor(25, 25, 25));
    dark.setColor(QPalette::Shadow, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(QPalette::Disabled, role, disabled);
    }
    // Disabled controls: the filled part of a slider or progress bar, selections
    // and buttons lose their colour, as in the light scheme.
    dark.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 80, 80));
    dark.setColor(QPalette::Disabled, QPalette::HighlightedText, disabled);
    dark.setColor(QPalette::Disabled, QPalette::Button, QColor(45, 45, 45));
    dark.setColor(QPalette::Disabled, QPalette::Base, window);
    return dark;
}

// 0 follows the desktop, 1 is light, 2 dark.
int SchemeIndex(const QString &name)
{
    for (int i = 0; i < 3; ++i) {
        if (name == QLatin1String(kSchemes[i])) {
            return i;
        }
    }
    return 0;
}

int currentScheme = 0;

void ApplyScheme(int scheme)
{
    currentScheme = scheme;
    QApplication::setPalette(scheme == 2   ? DarkPalette()
                             : scheme == 1 ? QApplication::style()->standardPalette()
                                           : defaultPalette);
}

void RememberDefaults()
{
    if (!defaultsKnown) {
        defaultsKnown = true;
        defaultStyle = QApplication::style() != nullptr ? QApplication::style()->name() : QString();
        defaultFont = QApplication::font();
        defaultPalette = QApplication::palette();
    }
}

void ApplyStyle(const QString &name)
{
    for (const QString &key : QStyleFactory::keys()) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            QApplication::setStyle(key);
            return;
        }
    }
}

void ApplyLook(const QString &style, const QFont &font)
{
    if (!style.isEmpty()) {
        ApplyStyle(style);
    }
    QApplication::setFont(font);
}

void SaveLook(Object *app)
{
    const QString group = GroupOf(TextAttr(app, MUIA_Application_Base));
    if (group.isEmpty()) {
        return;
    }
    auto settings = OpenSettings();
    SetChanged(*settings, group + QStringLiteral("/style"), QApplication::style()->name());
    SetChanged(*settings, group + QStringLiteral("/font"), QApplication::font().toString());
    SetChanged(*settings, group + QStringLiteral("/scheme"), QLatin1String(kSchemes[currentScheme]));
}

QString AboutText(Object *app, const ToolkitTexts &text)
{
    using namespace mui_text;
    QString version = FromUtf8(TextAttr(app, MUIA_Application_Version));
    if (version.startsWith(QLatin1String("$VER: "))) {
        version.remove(0, 6);
    }
    QString about =
        QStringLiteral("<p><b>%1</b></p><p>%2</p><p>%3<br>%4</p>")
            .arg(text(MSG_MUI_ABOUT_TOOLKIT).toHtmlEscaped(), text(MSG_MUI_ABOUT_DESCRIPTION).toHtmlEscaped(),
                 text(MSG_MUI_ABOUT_QT).arg(QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR)),
                 text(MSG_MUI_ABOUT_STYLE).arg(QApplication::style()->name().toHtmlEscaped()));
    about += QStringLiteral("<p>%5<br><b>%1</b><br>%2<br>%3<br>%4</p>")
                 .arg(FromUtf8(TextAttr(app, MUIA_Application_Title)).toHtmlEscaped(), version.toHtmlEscaped(),
                      FromUtf8(TextAttr(app, MUIA_Application_Copyright)).toHtmlEscaped(),
                      FromUtf8(TextAttr(app, MUIA_Application_Description)).toHtmlEscaped(),
                      text(MSG_MUI_ABOUT_APPLICATION).toHtmlEscaped());
    return about;
}

QDialog *MakeAboutWindow(Object *app, QWidget *parent)
{
    const ToolkitTexts texts;
    auto *dialog = new QDialog(parent);
    dialog->setWindowTitle(texts(mui_text::MSG_MUI_ABOUT_TITLE));
    auto *layout = new QVBoxLayout(dialog);
    auto *text = new QLabel(AboutText(app, texts));
    text->setObjectName(QStringLiteral("aboutText"));
    text->setTextFormat(Qt::RichText);
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText(texts(mui_text::MSG_MUI_CLOSE));
    buttons->button(QDialogButtonBox::Close)->setIcon(QIcon());  // the style's black cross is lost on dark
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    MarkDialogKeys(dialog);
    return dialog;
}

QDialog *MakeConfigWindow(Object *app, QWidget *parent)
{
    using namespace mui_text;
    const ToolkitTexts texts;
    auto *dialog = new QDialog(parent);
    const QString title = FromUtf8(TextAttr(app, MUIA_Application_Title));
    dialog->setWindowTitle(title.isEmpty() ? texts(MSG_MUI_SETTINGS_TITLE)
                                           : texts(MSG_MUI_SETTINGS_TITLE_FOR).arg(title));
    auto *layout = new QVBoxLayout(dialog);
    auto *form = new QFormLayout;
    auto *style = new QComboBox;
    style->setObjectName(QStringLiteral("style"));
    style->addItems(QStyleFactory::keys());
    style->setCurrentIndex(style->findText(QApplication::style()->name(), Qt::MatchFixedString));
    auto *family = new QFontComboBox;
    family->setObjectName(QStringLiteral("fontFamily"));
    family->setCurrentFont(QApplication::font());
    auto *size = new QSpinBox;
    size->setObjectName(QStringLiteral("fontSize"));
    size->setRange(6, 48);
    size->setValue(QApplication::font().pointSize() > 0 ? QApplication::font().pointSize() : 10);
    auto *scheme = new QComboBox;
    scheme->setObjectName(QStringLiteral("scheme"));
    scheme->addItems({texts(MSG_MUI_SCHEME_DESKTOP), texts(MSG_MUI_SCHEME_LIGHT), texts(MSG_MUI_SCHEME_DARK)});
    scheme->setCurrentIndex(currentScheme);
    form->addRow(texts(MSG_MUI_WIDGET_STYLE), style);
    form->addRow(texts(MSG_MUI_FONT), family);
    form->addRow(texts(MSG_MUI_FONT_SIZE), size);
    form->addRow(texts(MSG_MUI_COLOUR_SCHEME), scheme);
    for (QWidget *field : {static_cast<QWidget *>(style), static_cast<QWidget *>(family), static_cast<QWidget *>(size),
                           static_cast<QWidget *>(scheme)}) {
        if (auto *label = qobject_cast<QLabel *>(form->labelForField(field))) {
            field->setAccessibleName(label->text());
        }
    }
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::RestoreDefaults | QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::RestoreDefaults)->setText(texts(MSG_MUI_DEFAULTS));
    buttons->button(QDialogButtonBox::Close)->setText(texts(MSG_MUI_CLOSE));
    buttons->button(QDialogButtonBox::Close)->setIcon(QIcon());  // the style's black cross is lost on dark
    layout->addWidget(buttons);

    // Every change takes effect at once and is saved for this application.
    auto apply = [app, style, family, size] {
        QFont font = family->currentFont();
        font.setPointSize(size->value());
        ApplyLook(style->currentText(), font);
        SaveLook(app);
    };
    QObject::connect(style, &QComboBox::currentTextChanged, dialog, apply);
    QObject::connect(family, &QFontComboBox::currentFontChanged, dialog, apply);
    QObject::connect(size, &QSpinBox::valueChanged, dialog, apply);
    QObject::connect(scheme, &QComboBox::currentIndexChanged, dialog, [app](int index) {
        if (index >= 0 && index != currentScheme) {
            ApplyScheme(index);
            SaveLook(app);
        }
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, dialog,
                     [app, style, family, size, scheme] {
                         const QSignalBlocker b1(style), b2(family), b3(size), b4(scheme);
                         ApplyLook(defaultStyle, defaultFont);
                         ApplyScheme(0);
                         scheme->setCurrentIndex(0);
                         style->setCurrentIndex(style->findText(QApplication::style()->name(), Qt::MatchFixedString));
                         family->setCurrentFont(QApplication::font());
                         size->setValue(QApplication::font().pointSize() > 0 ? QApplication::font().pointSize() : 10);
                         const QString group = GroupOf(TextAttr(app, MUIA_Application_Base));
                         if (!group.isEmpty()) {
                             OpenSettings()->remove(group + QStringLiteral("/style"));
                             OpenSettings()->remove(group + QStringLiteral("/font"));
                             OpenSettings()->remove(group + QStringLiteral("/scheme"));
                         }
                     });
    MarkDialogKeys(dialog);
    return dialog;
}

void Present(QDialog *dialog)
{
    dialog->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        dialog->raise();
    }
    dialog->activateWindow();
}

}  // namespace

void RestoreLook(const std::string &base)
{
    RememberDefaults();
    const QString group = GroupOf(base);
    if (group.isEmpty()) {
        return;
    }
    auto settings = OpenSettings();
    const QString style = settings->value(group + QStringLiteral("/style")).toString();
    const QString fontText = settings->value(group + QStringLiteral("/font")).toString();
    if (!style.isEmpty()) {
        ApplyStyle(style);
    }
    QFont font;
    if (!fontText.isEmpty() && font.fromString(fontText)) {
        QApplication::setFont(font);
    }
    const int scheme = SchemeIndex(settings->value(group + QStringLiteral("/scheme")).toString());
    if (scheme != currentScheme) {
        ApplyScheme(scheme);
    }
}

void ShowAboutWindow(QPointer<QDialog> &window, Object *app, QWidget *parent)
{
    if (window.isNull()) {
        window = MakeAboutWindow(app, parent);
    }
    Present(window);
}

void ShowSettingsWindow(QPointer<QDialog> &window, Object *app, QWidget *parent)
{
    if (window.isNull()) {
        window = MakeConfigWindow(app, parent);
    }
    Present(window);
}

}  // namespace toolkit
