// The toolkit's own settings file (window places and sizes, widget style and
// font per application), its About window and its settings window.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QVBoxLayout>

#include <memory>

#include "platform/toolkit/toolkit_internal.h"

namespace toolkit {

namespace {

QString settingsFile;  // empty: the default place under the user's config folder
QString defaultStyle;  // the look before any application's settings were applied
QFont defaultFont;
bool defaultsKnown = false;

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
    QString group = FromLatin1(base);
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

QString AboutText(Object *app)
{
    QString version = FromLatin1(ApplicationText(app, MUIA_Application_Version));
    if (version.startsWith(QLatin1String("$VER: "))) {
        version.remove(0, 6);
    }
    QString text = QStringLiteral(
                       "<p><b>MUI-style toolkit on Qt</b></p>"
                       "<p>Objects, attributes, notifications and input handling in the manner of MUI, "
                       "realised on Qt Widgets.</p>"
                       "<p>Qt %1 (built with Qt %2)<br>Widget style: %3</p>")
                       .arg(QLatin1String(qVersion()), QLatin1String(QT_VERSION_STR),
                            QApplication::style()->name().toHtmlEscaped());
    text += QStringLiteral("<p>This application:<br><b>%1</b><br>%2<br>%3<br>%4</p>")
                .arg(FromLatin1(ApplicationText(app, MUIA_Application_Title)).toHtmlEscaped(),
                     version.toHtmlEscaped(),
                     FromLatin1(ApplicationText(app, MUIA_Application_Copyright)).toHtmlEscaped(),
                     FromLatin1(ApplicationText(app, MUIA_Application_Description)).toHtmlEscaped());
    return text;
}

QDialog *MakeAboutWindow(Object *app, QWidget *parent)
{
    auto *dialog = new QDialog(parent);
    dialog->setWindowTitle(QStringLiteral("About MUI"));
    auto *layout = new QVBoxLayout(dialog);
    auto *text = new QLabel(AboutText(app));
    text->setObjectName(QStringLiteral("aboutText"));
    text->setTextFormat(Qt::RichText);
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    layout->addWidget(text);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog;
}

QDialog *MakeConfigWindow(Object *app, QWidget *parent)
{
    auto *dialog = new QDialog(parent);
    const QString title = FromLatin1(ApplicationText(app, MUIA_Application_Title));
    dialog->setWindowTitle(title.isEmpty() ? QStringLiteral("MUI settings")
                                           : QStringLiteral("MUI settings: %1").arg(title));
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
    form->addRow(QStringLiteral("Widget style"), style);
    form->addRow(QStringLiteral("Font"), family);
    form->addRow(QStringLiteral("Font size"), size);
    layout->addLayout(form);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::RestoreDefaults | QDialogButtonBox::Close);
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
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    QObject::connect(buttons->button(QDialogButtonBox::RestoreDefaults), &QPushButton::clicked, dialog,
                     [app, style, family, size] {
                         const QSignalBlocker b1(style), b2(family), b3(size);
                         ApplyLook(app, defaultStyle, defaultFont);
                         style->setCurrentIndex(style->findText(QApplication::style()->name(), Qt::MatchFixedString));
                         family->setCurrentFont(QApplication::font());
                         size->setValue(QApplication::font().pointSize() > 0 ? QApplication::font().pointSize() : 10);
                         const QString group = GroupOf(ApplicationBase(app));
                         if (!group.isEmpty()) {
                             OpenSettings()->remove(group + QStringLiteral("/style"));
                             OpenSettings()->remove(group + QStringLiteral("/font"));
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
