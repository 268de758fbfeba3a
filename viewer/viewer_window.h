// The viewer's window: a document, and for AmigaGuide documents their nodes
// with the navigation of the system's viewer (Contents, Index, Help, Retrace,
// Browse), links followed across files, and find in the node.
#pragma once

#include <QByteArray>
#include <QMainWindow>

#include <map>
#include <memory>
#include <vector>

#include "document.h"

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolBar;
class QUrl;

class ViewerWindow : public QMainWindow {
    Q_OBJECT

public:
    ViewerWindow();

    // Shows the document at path (bytes, as given): an AmigaGuide document at
    // its node MAIN, else its first. False with the reason when it cannot be read.
    bool OpenDocument(const QByteArray &path, QString *error);
    // Shows a document already read from path.
    void OpenDocument(const QByteArray &path, std::shared_ptr<const Document> document);

    // Shows a node of the current guide, remembered for Retrace.
    void ShowNode(int node);
    // The buttons and their keys.
    void ShowContents();
    void ShowIndex();
    void ShowHelp();
    void Retrace();
    void BrowsePrevious();
    void BrowseNext();
    // Does what the current node's link does; a command is never run.
    void ActivateLink(int link);

    QTextBrowser *browser() const { return browser_; }
    const Document *currentDocument() const { return current_.get(); }
    int currentNode() const { return node_; }  // -1 unless a guide's node is shown

private:
    struct Place {
        std::shared_ptr<const Document> document;
        QByteArray folder;
        int node;
        int scroll;
    };

    std::shared_ptr<const Document> Load(const QByteArray &path, QString *error);
    void Show(std::shared_ptr<const Document> document, const QByteArray &folder, int node, int line, bool remember);
    bool FollowTarget(const std::string &target, int line);
    const GuideNode *Node() const;
    std::string NodeOrDocument(std::string GuideNode::*field, std::string GuideDocument::*global) const;
    void UpdateActions();
    void Report(const QString &message);
    void Find(bool backward);
    void CloseFindOrWindow();
    void AnchorClicked(const QUrl &url);

    QTextBrowser *browser_;
    QToolBar *toolBar_;
    QWidget *findBar_;
    QLineEdit *findText_;
    QLabel *findStatus_;
    QAction *contents_, *index_, *help_, *retrace_, *previous_, *next_;

    std::shared_ptr<const Document> current_;
    QByteArray folder_;  // the current document's folder, as host bytes
    int node_ = -1;
    std::vector<Place> history_;
    std::map<QByteArray, std::shared_ptr<const Document>> loaded_;  // by host path
};
