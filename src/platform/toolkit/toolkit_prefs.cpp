// The toolkit's own settings file (window places and sizes, widget style and
// font and colour scheme per application), its About window and its settings
// window, whose texts come from Sys/muimaster.catalog in the user's language.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>

#include <memory>

#include "platform/locale.h"
#include "platform/muimaster_strings.h"
#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

namespace {

QString settingsFile;  // empty: the default place under the user's config folder
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

std::unique_ptr<QSettings> OpenSettings()
{
    if (!settingsFile.isEmpty()) {
        return std::make_unique<QSettings>(settingsFile, QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("muiqt"),
                                       QStringLiteral("toolkit"));
}

// Sets a value only when it differs from the stored one: an unchanged file is not written.
void SetChanged(QSettings &settings, const QString &key, const QVariant &value)
{
    if (settings.value(key) != value) {
        settings.setValue(key, value);
    }
}

// The settings group of an application base name; empty when it has none.
QString GroupOf(const std::string &base)
{
    QString group = FromUtf8(base);
    group.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QLatin1Char('\\'), QLatin1Char('_'));
    return group;
}

QString WindowKey(const QString &group, IPTR windowId)
{
    return QStringLiteral("%1/window-%2/geometry").arg(group).arg(qulonglong(windowId), 8, 16, QLatin1Char('0'));
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

void ApplyLook(Object *app, const QString &style, const QFont &font)
{
    if (!style.isEmpty()) {
        ApplyStyle(style);
    }
    QApplication::setFont(font);
    RefreshFonts(app);
}

void SaveLook(Object *app)
{
    const QString group = GroupOf(ApplicationBase(app));
    if (group.isEmpty()) {
        return;
    }
    auto settings = OpenSettings();
    SetChanged(*settings, group + QStringLiteral("/style"), QApplication::style()->name());
    SetChanged(*settings, group + QStringLiteral("/font"), QApplication::font().toString());
    SetChanged(*settings, group + QStringLiteral("/scheme"), QLatin1String(kSchemes[currentScheme]));
}

QWidget *ReferenceWidget(Object *app, Object *window)
{
    if (window != nullptr && IsLiveObject(window) && window->kind == Kind::Window && As<Window>(window)->open) {
        return window->widget;
    }
    for (Object *win : app->children) {
        if (win->kind == Kind::Window && As<Window>(win)->open) {
            return win->widget;
        }
    }
    return nullptr;
}

QString AboutText(Object *app, const ToolkitTexts &text)
{
    using namespace mui_text;
    QString version = FromUtf8(ApplicationText(app, MUIA_Application_Version));
    if (version.startsWith(QLatin1String("$VER: "))) {
        version.remove(0, 6);
    }
    QString about =
        QStringLiteral("<p><b>%1</b></p><p>%2</p><p>%3<br>%4</p>")
            .arg(text(MSG_MUI_ABOUT_TOOLKIT).toHtmlEscaped(), text(MSG_MUI_ABOUT_DESCRIPTION).toHtmlEscaped(),
                 text(MSG_MUI_ABOUT_QT).arg(QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR)),
                 text(MSG_MUI_ABOUT_STYLE).arg(QApplication::style()->name().toHtmlEscaped()));
    about += QStringLiteral("<p>%5<br><b>%1</b><br>%2<br>%3<br>%4</p>")
                 .arg(FromUtf8(ApplicationText(app, MUIA_Application_Title)).toHtmlEscaped(), version.toHtmlEscaped(),
                      FromUtf8(ApplicationText(app, MUIA_Application_Copyright)).toHtmlEscaped(),
                      FromUtf8(ApplicationText(app, MUIA_Application_Description)).toHtmlEscaped(),
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
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

QDialog *MakeConfigWindow(Object *app, QWidget *parent)
{
    using namespace mui_text;
    const ToolkitTexts texts;
    auto *dialog = new QDialog(parent);
    const QString title = FromUtf8(ApplicationText(app, MUIA_Application_Title));
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
    layout->addWidget(buttons);

    // Every change takes effect at once and is saved for this application.
    auto apply = [app, style, family, size] {
        QFont font = family->currentFont();
        font.setPointSize(size->value());
        ApplyLook(app, style->currentText(), font);
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
                         ApplyLook(app, defaultStyle, defaultFont);
                         ApplyScheme(0);
                         scheme->setCurrentIndex(0);
                         style->setCurrentIndex(style->findText(QApplication::style()->name(), Qt::MatchFixedString));
                         family->setCurrentFont(QApplication::font());
                         size->setValue(QApplication::font().pointSize() > 0 ? QApplication::font().pointSize() : 10);
                         const QString group = GroupOf(ApplicationBase(app));
                         if (!group.isEmpty()) {
                             OpenSettings()->remove(group + QStringLiteral("/style"));
                             OpenSettings()->remove(group + QStringLiteral("/font"));
                             OpenSettings()->remove(group + QStringLiteral("/scheme"));
                         }
                     });
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

void RestoreApplicationPrefs(Object *app)
{
    RememberDefaults();
    const QString group = GroupOf(ApplicationBase(app));
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

QByteArray LoadWindowGeometry(const std::string &base, IPTR windowId)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return {};
    }
    return OpenSettings()->value(WindowKey(group, windowId)).toByteArray();
}

void SaveWindowGeometry(const std::string &base, IPTR windowId, const QByteArray &geometry)
{
    const QString group = GroupOf(base);
    if (group.isEmpty() || windowId == 0) {
        return;
    }
    SetChanged(*OpenSettings(), WindowKey(group, windowId), geometry);
}

void ShowAboutWindow(Object *app, Object *window)
{
    QPointer<QDialog> &about = AboutWindowOf(app);
    if (about.isNull()) {
        about = MakeAboutWindow(app, ReferenceWidget(app, window));
    }
    Present(about);
}

void ShowConfigWindow(Object *app)
{
    QPointer<QDialog> &config = ConfigWindowOf(app);
    if (config.isNull()) {
        config = MakeConfigWindow(app, ReferenceWidget(app, nullptr));
    }
    Present(config);
}

int OpenToolkitWindowCount(Object *app)
{
    int count = 0;
    for (QDialog *dialog : {AboutWindowOf(app).data(), ConfigWindowOf(app).data()}) {
        count += dialog != nullptr && dialog->isVisible() ? 1 : 0;
    }
    return count;
}

void CloseToolkitWindows(Object *app)
{
    for (QDialog *dialog : {AboutWindowOf(app).data(), ConfigWindowOf(app).data()}) {
        if (dialog != nullptr) {
            dialog->hide();
        }
    }
}

}  // namespace toolkit

void MUI_SetToolkitSettingsFile(const char *path)
{
    toolkit::settingsFile = path != nullptr ? QString::fromLocal8Bit(path) : QString();
}
