#include "platform/qt/drawer_requester.h"

#include <sys/stat.h>

#include <QApplication>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstdlib>

#include "platform/icons/image_drawer.h"
#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/settings_file.h"

namespace {

// The drawers as the file system names them (bytes); the key of earlier versions
// held them as texts, which lose a name that is not UTF-8.
const QString kRecentKey = QStringLiteral("recent/paths");
const QString kRecentTextKey = QStringLiteral("recent/drawers");
constexpr qint64 kRecentFileLimit = 256 << 10;

QString RecentFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/vellumine-settings/recent.ini");
}

bool IsFolder(const QByteArray &path)
{
    struct stat st;
    return stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The drawers the file holds, as it holds them.
QList<QByteArray> StoredDrawers(const QSettings &file)
{
    QList<QByteArray> drawers;
    if (file.contains(kRecentKey)) {
        for (const QVariant &path : file.value(kRecentKey).toList()) {
            drawers.append(path.toByteArray());
        }
    } else {
        for (const QString &folder : file.value(kRecentTextKey).toStringList()) {
            drawers.append(folder.toLocal8Bit());
        }
    }
    return drawers;
}

// A drawer the list may keep: a folder, or a drawer in a disk image that is there.
bool StillThere(const QByteArray &drawer)
{
    ImageArgument image;
    return IsFolder(drawer) || (ParseImageArgument(drawer.toStdString(), image) && image.drawerNamed);
}

// Marks the drawers that hold the tool's icon (the folder's icon with the
// application's over its corner, and their type) and names disk images. The
// chooser's model asks on a thread of its own, so the icon is made beforehand.
class MarkingIconProvider : public QFileIconProvider {
public:
    explicit MarkingIconProvider(const DrawerChooser &chooser) : chooser_(chooser)
    {
        const QIcon folder = QFileIconProvider::icon(QFileIconProvider::Folder);
        const QIcon badge = QApplication::style()->standardIcon(QStyle::SP_DialogApplyButton);
        for (int size : {16, 22, 32, 48}) {
            QPixmap pixmap = folder.pixmap(size, size);
            QPainter painter(&pixmap);
            const int corner = size * 3 / 4;
            painter.drawPixmap(size - corner, size - corner, badge.pixmap(corner, corner));
            painter.end();
            marked_.addPixmap(pixmap);
        }
    }

    QIcon icon(const QFileInfo &info) const override
    {
        return IsMarked(info) ? marked_ : QFileIconProvider::icon(info);
    }
    using QFileIconProvider::icon;

    QString type(const QFileInfo &info) const override
    {
        if (IsMarked(info)) {
            return QString::fromUtf8(chooser_.drawerType);
        }
        if (info.isFile() && IsImageFileName(QFile::encodeName(info.fileName()).toStdString())) {
            return QString::fromUtf8(chooser_.imageType);
        }
        return QFileIconProvider::type(info);
    }

private:
    bool IsMarked(const QFileInfo &info) const
    {
        return info.isDir() && chooser_.marked != nullptr &&
               chooser_.marked(QFile::encodeName(info.absoluteFilePath()).toStdString());
    }

    DrawerChooser chooser_;
    QIcon marked_;
};

// Qt's chooser of folders, which also takes a file: a disk image, chosen by
// Return or a double click on it, or by its name typed, with the button that
// Qt keeps for folders given back to it.
class DrawerDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (!files.isEmpty() && QFileInfo(files.constFirst()).isFile()) {
            QDialog::accept();
            return;
        }
        QFileDialog::accept();
    }

    // After Qt has set the button for the name typed or selected.
    void KeepButtonForFiles()
    {
        auto *edit = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        auto *box = findChild<QDialogButtonBox *>(QStringLiteral("buttonBox"));
        QPushButton *button = box != nullptr ? box->button(QDialogButtonBox::Open) : nullptr;
        if (edit == nullptr || button == nullptr) {
            return;
        }
        QObject::connect(edit, &QLineEdit::textChanged, this, [this, button] {
            const QStringList files = selectedFiles();
            if (!files.isEmpty() && QFileInfo(files.constFirst()).isFile()) {
                button->setEnabled(true);
            }
        });
    }
};

// Qt's own dialog keeps its history and view in QtProject.conf under the user's
// configuration folder, read when it is made and written when it goes. The tool
// keeps nothing there: such settings go to a path where no file can be made.
void KeepDialogSettingsAway()
{
    static const bool away = [] {
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        }
        return true;
    }();
    (void)away;
}

#ifdef SETTINGS_TEST_SWITCHES
RowRequestHook rowRequestHook;

// SETTINGS_DRAWER_ANSWER=folder[:folder...]: each request takes the next folder
// without showing the chooser; once none is left, the requests are cancelled.
bool AnswerFromEnvironment(std::string &chosen, bool &confirmed)
{
    const char *answers = std::getenv("SETTINGS_DRAWER_ANSWER");
    if (answers == nullptr) {
        return false;
    }
    const std::string list = answers;
    const std::size_t colon = list.find(':');
    chosen = list.substr(0, colon);
    confirmed = !chosen.empty();
    setenv("SETTINGS_DRAWER_ANSWER", colon == std::string::npos ? "" : list.c_str() + colon + 1, 1);
    return true;
}
#endif

}  // namespace

bool RequestDrawer(IPTR parent, const DrawerChooser &chooser, const std::string &folder, const std::string &select,
                   std::string &chosen)
{
#ifdef SETTINGS_TEST_SWITCHES
    bool confirmed = false;
    if (AnswerFromEnvironment(chosen, confirmed)) {
        return confirmed;
    }
#endif
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    KeepDialogSettingsAway();
    MarkingIconProvider icons(chooser);
    DrawerDialog dialog(reinterpret_cast<QWidget *>(parent),
                        QString::fromUtf8(chooser.title != nullptr ? chooser.title : ""),
                        QFile::decodeName(folder.c_str()));
    // Qt's own dialog, which can mark drawers; the platform's cannot.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&icons);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setNameFilter(QString::fromUtf8(chooser.filter != nullptr ? chooser.filter : "") +
                         QStringLiteral(" (*.adf *.hdf)"));
    dialog.setViewMode(QFileDialog::Detail);
    dialog.KeepButtonForFiles();
    // Room for the names and the types that mark drawers and images.
    if (auto *view = dialog.findChild<QTreeView *>(QStringLiteral("treeView"))) {
        const QFontMetrics metrics = view->fontMetrics();
        const int type = std::max(metrics.horizontalAdvance(QString::fromUtf8(chooser.drawerType)),
                                  metrics.horizontalAdvance(QString::fromUtf8(chooser.imageType)));
        view->header()->resizeSection(0, metrics.horizontalAdvance(QLatin1Char('x')) * 28);
        view->header()->resizeSection(1, metrics.horizontalAdvance(QStringLiteral("1000.00 MiB")) +
                                             metrics.horizontalAdvance(QLatin1Char('x')) * 2);
        view->header()->resizeSection(2, type + metrics.horizontalAdvance(QLatin1Char('x')) * 3);
        const QString date =
            QLocale::system().toString(QDateTime(QDate(2026, 12, 28), QTime(23, 59)), QLocale::ShortFormat);
        view->header()->resizeSection(3, metrics.horizontalAdvance(date) +
                                             metrics.horizontalAdvance(QLatin1Char('x')) * 3);
    }
    if (!select.empty()) {
        dialog.selectFile(QFile::decodeName(select.c_str()));
    }
    // Qt's own dialog keeps to the screen, its buttons within reach on a small
    // screen or at a large scale.
    if (const QScreen *screen = dialog.screen()) {
        const QSize wide(dialog.fontMetrics().horizontalAdvance(QLatin1Char('x')) * 104, dialog.sizeHint().height());
        dialog.resize(dialog.sizeHint().expandedTo(wide).boundedTo(screen->availableGeometry().size()));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) {
        return false;
    }
    chosen = QFile::encodeName(QDir(path).absolutePath()).toStdString();
    return true;
}

int RequestRow(IPTR parent, const char *title, const char *text, const std::vector<std::string> &headers,
               const std::vector<std::vector<std::string>> &rows, const char *okLabel, const char *cancelLabel)
{
#ifdef SETTINGS_TEST_SWITCHES
    if (rowRequestHook) {
        return rowRequestHook(text, rows);
    }
#endif
    if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr || rows.empty()) {
        return -1;
    }
    QDialog dialog(reinterpret_cast<QWidget *>(parent));
    dialog.setWindowTitle(QString::fromUtf8(title));
    auto *label = new QLabel(QString::fromUtf8(text), &dialog);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    auto *list = new QTreeWidget(&dialog);
    list->setRootIsDecorated(false);
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setColumnCount(static_cast<int>(headers.size()));
    QStringList labels;
    for (const std::string &header : headers) {
        labels.append(QString::fromUtf8(header));
    }
    list->setHeaderLabels(labels);
    for (const std::vector<std::string> &row : rows) {
        auto *item = new QTreeWidgetItem(list);
        for (std::size_t column = 0; column < row.size() && column < headers.size(); ++column) {
            item->setText(static_cast<int>(column), QString::fromUtf8(row[column]));
        }
    }
    for (int column = 0; column < list->columnCount(); ++column) {
        list->resizeColumnToContents(column);
    }
    list->setCurrentItem(list->topLevelItem(0));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8(okLabel));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8(cancelLabel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QTreeWidget::itemActivated, &dialog, &QDialog::accept);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    toolkit::MarkDialogKeys(&dialog);
    int width = 2 * list->frameWidth() + 16;
    for (int column = 0; column < list->columnCount(); ++column) {
        width += list->columnWidth(column);
    }
    list->setMinimumWidth(width);
    dialog.adjustSize();
    if (const QScreen *screen = dialog.screen()) {
        dialog.resize(dialog.size().boundedTo(screen->availableGeometry().size()));
    }
    list->setFocus();
    if (dialog.exec() != QDialog::Accepted || list->currentItem() == nullptr) {
        return -1;
    }
    return list->indexOfTopLevelItem(list->currentItem());
}

#ifdef SETTINGS_TEST_SWITCHES
void SetRowRequestHook(RowRequestHook hook)
{
    rowRequestHook = std::move(hook);
}
#endif

std::vector<std::string> RecentDrawers()
{
    std::vector<std::string> drawers;
    if (QFileInfo(RecentFile()).size() > kRecentFileLimit) {
        return drawers;  // not read: set aside at the next RememberDrawer
    }
    const QSettings file(RecentFile(), QSettings::IniFormat);
    for (const QByteArray &folder : StoredDrawers(file)) {
        if (drawers.size() < RECENT_DRAWERS_KEPT && folder.startsWith('/') && StillThere(folder)) {
            drawers.push_back(folder.toStdString());
        }
    }
    return drawers;
}

void RememberDrawer(const std::string &drawer)
{
    const QByteArray path = QByteArray::fromStdString(drawer);
    toolkit::SetAsideIfTooLarge(RecentFile(), kRecentFileLimit);
    QSettings file(RecentFile(), QSettings::IniFormat);
    const QList<QByteArray> kept = StoredDrawers(file);
    QList<QByteArray> drawers = kept;
    drawers.removeIf([&path](const QByteArray &other) { return other == path || !StillThere(other); });
    drawers.prepend(path);
    while (drawers.size() > RECENT_DRAWERS_KEPT) {
        drawers.removeLast();
    }
    // A list as it was is not written again (a drawer opened as the last time).
    if (drawers != kept) {
        QVariantList paths;
        for (const QByteArray &drawer : drawers) {
            paths.append(drawer);
        }
        file.setValue(kRecentKey, paths);
        file.remove(kRecentTextKey);
    }
}
