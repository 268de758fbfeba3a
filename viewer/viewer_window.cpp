#include "viewer_window.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "guide_render.h"
#include "viewer_texts.h"

namespace {

constexpr std::size_t kMaxHistory = 1000;
constexpr std::size_t kMaxLoaded = 8;  // documents kept read besides the one shown

QString Utf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The absolute folder of a host path, as bytes.
QByteArray HostFolder(const QByteArray &path)
{
    QByteArray absolute = path.startsWith('/') ? path : QFile::encodeName(QDir::currentPath()) + '/' + path;
    return absolute.left(absolute.lastIndexOf('/'));
}

// Where a guide opens: its node MAIN, else its first.
int StartNode(const Document &document)
{
    if (document.guide == nullptr) {
        return -1;
    }
    const int main = FindGuideNode(*document.guide, "MAIN");
    return main >= 0 ? main : 0;
}

// The node a link names in a guide: the first node of that name, or the guide's
// first node for "main" when none is called so; the start node for no name.
int LinkedNode(const Document &document, const std::string &name)
{
    if (name.empty()) {
        return StartNode(document);
    }
    const int node = FindGuideNode(*document.guide, name);
    return node < 0 && Utf8(name).compare(QLatin1String("main"), Qt::CaseInsensitive) == 0 ? 0 : node;
}

// The path, or a name in its folder that differs only in letter case (Amiga
// names ignore it).
QByteArray FindIgnoringCase(const QByteArray &path)
{
    if (QFileInfo::exists(QFile::decodeName(path))) {
        return path;
    }
    const QString name = QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
    const QByteArray folder = path.left(path.lastIndexOf('/'));
    for (const QString &entry : QDir(QFile::decodeName(folder)).entryList(QDir::Files)) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) {
            return folder + '/' + QFile::encodeName(entry);
        }
    }
    return path;
}

QAction *AddAction(QWidget *window, QToolBar *bar, ViewerTextId text, std::initializer_list<QKeySequence> keys)
{
    auto *action = new QAction(ViewerText(text), window);
    action->setShortcuts(QList<QKeySequence>(keys));
    action->setToolTip(QString(ViewerText(text)).remove(QLatin1Char('&')) + QStringLiteral(" (") +
                       QKeySequence(*keys.begin()).toString(QKeySequence::NativeText) + QLatin1Char(')'));
    window->addAction(action);  // its keys work while the tool bar is hidden too
    bar->addAction(action);
    return action;
}

}  // namespace

ViewerWindow::ViewerWindow()
{
    toolBar_ = addToolBar(QString());
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    contents_ = AddAction(this, toolBar_, TXT_CONTENTS, {QKeySequence(Qt::ALT | Qt::Key_C)});
    index_ = AddAction(this, toolBar_, TXT_INDEX, {QKeySequence(Qt::ALT | Qt::Key_I)});
    help_ = AddAction(this, toolBar_, TXT_HELP, {QKeySequence(Qt::ALT | Qt::Key_H)});
    toolBar_->addSeparator();
    retrace_ = AddAction(
        this, toolBar_, TXT_RETRACE,
        {QKeySequence(Qt::Key_Backspace), QKeySequence(Qt::ALT | Qt::Key_R), QKeySequence(Qt::ALT | Qt::Key_Left)});
    toolBar_->addSeparator();
    previous_ =
        AddAction(this, toolBar_, TXT_BROWSE_PREVIOUS, {QKeySequence(Qt::Key_Less), QKeySequence(Qt::ALT | Qt::Key_P)});
    next_ =
        AddAction(this, toolBar_, TXT_BROWSE_NEXT, {QKeySequence(Qt::Key_Greater), QKeySequence(Qt::ALT | Qt::Key_N)});
    connect(contents_, &QAction::triggered, this, &ViewerWindow::ShowContents);
    connect(index_, &QAction::triggered, this, &ViewerWindow::ShowIndex);
    connect(help_, &QAction::triggered, this, &ViewerWindow::ShowHelp);
    connect(retrace_, &QAction::triggered, this, &ViewerWindow::Retrace);
    connect(previous_, &QAction::triggered, this, &ViewerWindow::BrowsePrevious);
    connect(next_, &QAction::triggered, this, &ViewerWindow::BrowseNext);
    toolBar_->hide();

    browser_ = new QTextBrowser;
    connect(browser_, &QTextBrowser::anchorClicked, this, &ViewerWindow::AnchorClicked);

    findBar_ = new QWidget;
    auto *findLayout = new QHBoxLayout(findBar_);
    findLayout->setContentsMargins(6, 2, 6, 2);
    findText_ = new QLineEdit;
    auto *findPrevious = new QPushButton(ViewerText(TXT_FIND_PREVIOUS));
    auto *findNext = new QPushButton(ViewerText(TXT_FIND_NEXT));
    findStatus_ = new QLabel;
    findLayout->addWidget(new QLabel(ViewerText(TXT_FIND)));
    findLayout->addWidget(findText_, 1);
    findLayout->addWidget(findPrevious);
    findLayout->addWidget(findNext);
    findLayout->addWidget(findStatus_);
    findBar_->hide();
    connect(findText_, &QLineEdit::returnPressed, this, [this] { Find(false); });
    connect(findPrevious, &QPushButton::clicked, this, [this] { Find(true); });
    connect(findNext, &QPushButton::clicked, this, [this] { Find(false); });
    auto *findBack =
        new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_Return), findText_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(findBack, &QShortcut::activated, this, [this] { Find(true); });

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(browser_, 1);
    layout->addWidget(findBar_);
    setCentralWidget(central);

    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        findBar_->show();
        findText_->setFocus();
        findText_->selectAll();
    });
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &ViewerWindow::CloseFindOrWindow);
    for (QKeySequence key : {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_Q)}) {
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
    setFocusProxy(browser_);
}

bool ViewerWindow::OpenDocument(const QByteArray &path, QString *error)
{
    std::shared_ptr<const Document> document = Load(path, error);
    if (!document) {
        return false;
    }
    OpenDocument(path, document);
    return true;
}

void ViewerWindow::OpenDocument(const QByteArray &path, std::shared_ptr<const Document> document)
{
    loaded_[path] = document;
    history_.clear();
    const int start = StartNode(*document);
    Show(std::move(document), HostFolder(path), start, 0, false);
}

std::shared_ptr<const Document> ViewerWindow::Load(const QByteArray &path, QString *error)
{
    auto found = loaded_.find(path);
    if (found != loaded_.end()) {
        return found->second;
    }
    auto document = std::make_shared<Document>();
    if (!ReadDocument(path.constData(), document.get(), error)) {
        return nullptr;
    }
    if (loaded_.size() >= kMaxLoaded) {
        loaded_.clear();  // what is shown and retraced to is held by its places
    }
    loaded_[path] = document;
    return document;
}

void ViewerWindow::Show(std::shared_ptr<const Document> document, const QByteArray &folder, int node, int line,
                        bool remember)
{
    if (remember && current_) {
        if (history_.size() >= kMaxHistory) {
            history_.erase(history_.begin());
        }
        history_.push_back(Place{current_, folder_, node_, browser_->verticalScrollBar()->value()});
    }
    current_ = std::move(document);
    folder_ = folder;
    const GuideDocument *guide = current_->guide.get();
    node_ = guide != nullptr && node >= 0 && static_cast<std::size_t>(node) < guide->nodes.size() ? node : -1;
    QString title = current_->fileName;
    if (guide != nullptr) {
        // Every link of a guide is ours to follow: none is handed to the desktop.
        browser_->setOpenLinks(false);
        browser_->setOpenExternalLinks(false);
        RenderGuideNode(browser_, *guide, node_, folder_);
        toolBar_->show();
        if (node_ >= 0) {
            const GuideNode &shown = guide->nodes[static_cast<std::size_t>(node_)];
            title = Utf8(shown.title.empty() ? shown.name : shown.title);
            // The line asked for at the top: the last shown line that starts at or before it.
            int block = 0;
            while (static_cast<std::size_t>(block + 1) < shown.lines.size() &&
                   shown.lines[static_cast<std::size_t>(block + 1)].source <= line) {
                ++block;
            }
            QTextBlock target = browser_->document()->findBlockByNumber(block);
            QTextCursor cursor(target);
            browser_->setTextCursor(cursor);
            browser_->verticalScrollBar()->setValue(
                static_cast<int>(browser_->document()->documentLayout()->blockBoundingRect(target).top()));
        }
    } else {
        browser_->setOpenLinks(true);
        browser_->setOpenExternalLinks(true);
        ShowDocument(browser_, *current_);
    }
    setWindowTitle(ViewerText(TXT_WINDOW_TITLE).arg(title));
    statusBar()->clearMessage();
    UpdateActions();
}

const GuideNode *ViewerWindow::Node() const
{
    return node_ < 0 ? nullptr : &current_->guide->nodes[static_cast<std::size_t>(node_)];
}

std::string ViewerWindow::NodeOrDocument(std::string GuideNode::*field, std::string GuideDocument::*global) const
{
    const GuideNode *node = Node();
    if (node == nullptr) {
        return std::string();
    }
    return !(node->*field).empty() ? node->*field : (*current_->guide).*global;
}

void ViewerWindow::UpdateActions()
{
    const GuideNode *node = Node();
    const std::size_t count = node != nullptr ? current_->guide->nodes.size() : 0;
    contents_->setEnabled(node != nullptr);
    index_->setEnabled(!NodeOrDocument(&GuideNode::index, &GuideDocument::index).empty());
    help_->setEnabled(!NodeOrDocument(&GuideNode::help, &GuideDocument::help).empty());
    retrace_->setEnabled(!history_.empty());
    previous_->setEnabled(node != nullptr && (!node->prev.empty() || node_ > 0));
    next_->setEnabled(node != nullptr && (!node->next.empty() || static_cast<std::size_t>(node_) + 1 < count));
}

void ViewerWindow::Report(const QString &message)
{
    statusBar()->showMessage(message);
}

bool ViewerWindow::FollowTarget(const std::string &target, int line)
{
    if (current_->guide == nullptr) {
        return false;
    }
    std::string file;
    std::string nodeName;
    SplitGuideTarget(target, &file, &nodeName);
    if (file.empty()) {
        const int node = LinkedNode(*current_, nodeName);
        if (node >= 0) {
            Show(current_, folder_, node, line, true);
            return true;
        }
        // No node of that name: a file of that name beside the document.
        GuidePath beside = ResolveGuidePath(std::string_view(folder_.constData(), folder_.size()), nodeName);
        if (!beside.available ||
            !QFileInfo(QFile::decodeName(FindIgnoringCase(QByteArray::fromStdString(beside.path)))).isFile()) {
            Report(ViewerText(TXT_LINK_FAILED)
                       .arg(Utf8(target), ViewerText(TXT_NO_SUCH_NODE).arg(Utf8(nodeName), current_->fileName)));
            return false;
        }
        file = nodeName;
        nodeName.clear();
    }
    GuidePath path = ResolveGuidePath(std::string_view(folder_.constData(), folder_.size()), file);
    if (!path.available) {
        Report(ViewerText(TXT_VOLUME_UNAVAILABLE).arg(Utf8(path.volume)));
        return false;
    }
    const QByteArray hostPath = FindIgnoringCase(QByteArray::fromStdString(path.path));
    QString error;
    std::shared_ptr<const Document> document = Load(hostPath, &error);
    if (!document) {
        Report(ViewerText(TXT_LINK_FAILED).arg(Utf8(target), error));
        return false;
    }
    int node = -1;
    if (document->guide != nullptr && !document->guide->nodes.empty()) {
        node = LinkedNode(*document, nodeName);
        if (node < 0) {
            Report(ViewerText(TXT_LINK_FAILED)
                       .arg(Utf8(target), ViewerText(TXT_NO_SUCH_NODE).arg(Utf8(nodeName), document->fileName)));
            return false;
        }
    }
    Show(document, HostFolder(hostPath), node, line, true);
    return true;
}

void ViewerWindow::ActivateLink(int link)
{
    const GuideNode *node = Node();
    if (node == nullptr || link < 0 || static_cast<std::size_t>(link) >= node->links.size()) {
        return;
    }
    const GuideLink &chosen = node->links[static_cast<std::size_t>(link)];
    switch (chosen.action) {
    case GuideAction::Link:
        FollowTarget(chosen.target, chosen.line);
        break;
    case GuideAction::System:
    case GuideAction::Rx:
    case GuideAction::Rxs:
        Report(ViewerText(TXT_NOT_RUN).arg(Utf8(chosen.target)));
        break;
    case GuideAction::Beep:
        QApplication::beep();
        break;
    case GuideAction::Close:
    case GuideAction::Quit:
        close();
        break;
    case GuideAction::Unknown:
        break;
    }
}

void ViewerWindow::AnchorClicked(const QUrl &url)
{
    if (node_ >= 0) {
        ActivateLink(GuideAnchorLink(url.toString()));
    }
}

void ViewerWindow::ShowNode(int node)
{
    if (current_ && current_->guide != nullptr) {
        Show(current_, folder_, node, 0, true);
    }
}

void ViewerWindow::ShowContents()
{
    if (Node() == nullptr) {
        return;
    }
    const std::string toc = NodeOrDocument(&GuideNode::toc, &GuideDocument::toc);
    if (!toc.empty() && FollowTarget(toc, 0)) {
        return;
    }
    Show(current_, folder_, StartNode(*current_), 0, true);
}

void ViewerWindow::ShowIndex()
{
    const std::string index = NodeOrDocument(&GuideNode::index, &GuideDocument::index);
    if (!index.empty()) {
        FollowTarget(index, 0);
    }
}

void ViewerWindow::ShowHelp()
{
    const std::string help = NodeOrDocument(&GuideNode::help, &GuideDocument::help);
    if (!help.empty()) {
        FollowTarget(help, 0);
    }
}

void ViewerWindow::Retrace()
{
    if (history_.empty()) {
        return;
    }
    Place place = history_.back();
    history_.pop_back();
    Show(place.document, place.folder, place.node, 0, false);
    browser_->verticalScrollBar()->setValue(place.scroll);
}

void ViewerWindow::BrowsePrevious()
{
    const GuideNode *node = Node();
    if (node == nullptr) {
        return;
    }
    if (!node->prev.empty()) {
        FollowTarget(node->prev, 0);
    } else if (node_ > 0) {
        Show(current_, folder_, node_ - 1, 0, true);
    }
}

void ViewerWindow::BrowseNext()
{
    const GuideNode *node = Node();
    if (node == nullptr) {
        return;
    }
    if (!node->next.empty()) {
        FollowTarget(node->next, 0);
    } else if (static_cast<std::size_t>(node_) + 1 < current_->guide->nodes.size()) {
        Show(current_, folder_, node_ + 1, 0, true);
    }
}

void ViewerWindow::Find(bool backward)
{
    const QString text = findText_->text();
    if (text.isEmpty()) {
        return;
    }
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = browser_->find(text, flags);
    if (!found) {
        // From the other end of the node once.
        QTextCursor cursor(browser_->document());
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        browser_->setTextCursor(cursor);
        found = browser_->find(text, flags);
    }
    findStatus_->setText(found ? QString() : ViewerText(TXT_NOT_FOUND));
}

void ViewerWindow::CloseFindOrWindow()
{
    if (findBar_->isVisible()) {
        findBar_->hide();
        browser_->setFocus();
    } else {
        close();
    }
}
