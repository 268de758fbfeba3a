#include "platform/qt/screen_mode_requester.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QExposeEvent>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/asl_strings.h"
#include "platform/system/display.h"
#include "platform/system/locale.h"
#include "platform/toolkit/access_keys.h"
#include "platform/toolkit/settings_file.h"

namespace {

#ifdef SETTINGS_TEST_SWITCHES
AslRequestHook requestHook;
bool failAllocation = false;
#else
constexpr bool failAllocation = false;
#endif

// The options a requester is shown with: set by AllocAslRequest, overridden per AslRequest.
struct ScreenModeOptions {
    std::uint32_t initialDisplayId = INVALID_ID;
    std::int32_t initialDepth = 0;  // 0: the deepest the mode offers
    std::int32_t minDepth = 1;
    std::int32_t maxDepth = 32;
    QWidget *window = nullptr;
    Hook *intuiMsgFunc = nullptr;
};

// The requester's texts, from Sys/asl.catalog in the user's language while it is open.
const Catalog *aslCatalog = nullptr;

QString AslText(std::int32_t id)
{
    return QString::fromUtf8(CatalogTextOr(aslCatalog, id, asl_text::builtInStrings));
}

struct ScreenModeRequest {
    ScreenModeRequester public_;  // first: the caller's view of the record
    ScreenModeOptions options;
};

// Rows the mode list shows when the requester first opens; it is resizable, and
// its size is kept in the toolkit's settings file for the next time.
constexpr int kInitialRows = 20;
constexpr int kMinimumRows = 6;

std::unique_ptr<QSettings> OpenToolkitSettings()
{
    return toolkit::OpenSettings();
}
const QString kSizeKey = QStringLiteral("ScreenModeRequester/size");

std::int32_t ClampDepth(IPTR value)
{
    return static_cast<std::int32_t>(std::clamp<IPTR>(value, 0, 32));
}

// Tags given to AllocAslRequest or AslRequest; they stay in force for later calls.
void ApplyTags(ScreenModeRequest *request, const TagItem *tags)
{
    ScreenModeOptions &options = request->options;
    for (const TagItem *item = tags; item != nullptr && item->ti_Tag != TAG_DONE; ++item) {
        switch (item->ti_Tag) {
        case ASLSM_InitialDisplayID:
            options.initialDisplayId = static_cast<std::uint32_t>(item->ti_Data);
            break;
        case ASLSM_InitialDisplayDepth:
            options.initialDepth = ClampDepth(item->ti_Data);
            break;
        case ASLSM_MinDepth:
            options.minDepth = ClampDepth(item->ti_Data);
            break;
        case ASLSM_MaxDepth:
            options.maxDepth = ClampDepth(item->ti_Data);
            break;
        case ASLSM_Window:
            options.window = reinterpret_cast<QWidget *>(item->ti_Data);
            break;
        case ASLSM_IntuiMsgFunc:
            options.intuiMsgFunc = reinterpret_cast<Hook *>(item->ti_Data);
            break;
        case ASLSM_UserData:
            request->public_.sm_UserData = reinterpret_cast<void *>(item->ti_Data);
            break;
        default:
            break;
        }
    }
}

// Passes the parent window's expose events (it is uncovered and must be redrawn)
// to the requester's message hook as refresh messages.
class RefreshForwarder : public QObject {
public:
    RefreshForwarder(ScreenModeRequest *request, QWidget *window) : request_(request), window_(window) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && request_->options.intuiMsgFunc != nullptr &&
            request_->options.intuiMsgFunc->h_Entry != nullptr) {
            IntuiMessage message = {};
            message.Class = IDCMP_REFRESHWINDOW;
            message.IDCMPWindow = window_.data();
            Hook *hook = request_->options.intuiMsgFunc;
            hook->h_Entry(hook, &request_->public_, &message);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ScreenModeRequest *request_;
    QPointer<QWidget> window_;
};

class ScreenModeDialog : public QDialog, public AslScreenModeControl {
public:
    ScreenModeDialog(const ScreenModeOptions &options, QWidget *parent) : QDialog(parent), options_(options)
    {
        using namespace asl_text;
        setWindowTitle(AslText(MSG_ASL_TITLE));
        setModal(true);

        modeList_ = new QTreeWidget(this);
        modeList_->setColumnCount(3);
        modeList_->setHeaderLabels({AslText(MSG_ASL_MODE), AslText(MSG_ASL_RESOLUTION), AslText(MSG_ASL_MODE_ID)});
        modeList_->setAccessibleName(AslText(MSG_ASL_MODES));
        modeList_->setRootIsDecorated(false);
        modeList_->setUniformRowHeights(true);
        modeList_->setAllColumnsShowFocus(true);
        modeList_->setSelectionMode(QAbstractItemView::SingleSelection);
        modeList_->header()->setStretchLastSection(true);

        resolutionLabel_ = new QLabel(this);
        depthBox_ = new QComboBox(this);
        auto *details = new QFormLayout;
        details->addRow(AslText(MSG_ASL_RESOLUTION_LABEL), resolutionLabel_);
        auto *depthLabel = new QLabel(AslText(MSG_ASL_DEPTH_LABEL), this);
        depthLabel->setBuddy(depthBox_);
        details->addRow(depthLabel, depthBox_);

        buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
        buttons_->button(QDialogButtonBox::Ok)->setText(AslText(MSG_ASL_OK));
        buttons_->button(QDialogButtonBox::Cancel)->setText(AslText(MSG_ASL_CANCEL));
        connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

        auto *layout = new QVBoxLayout(this);
        layout->addWidget(modeList_, 1);
        layout->addLayout(details);
        layout->addWidget(buttons_);
        toolkit::MarkDialogKeys(this);

        FillModes();
        connect(modeList_, &QTreeWidget::currentItemChanged, this,
                [this](QTreeWidgetItem *, QTreeWidgetItem *) { ModeChanged(); });
        connect(modeList_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *, int) { accept(); });
        SelectInitialMode();
        int width = 2 * modeList_->frameWidth() + modeList_->verticalScrollBar()->sizeHint().width();
        for (int column = 0; column < modeList_->columnCount(); ++column) {
            modeList_->resizeColumnToContents(column);
            width += modeList_->columnWidth(column);
        }
        modeList_->setMinimumWidth(width);
        // Opens with room for kInitialRows rows, or at the size it had last time.
        modeList_->setMinimumHeight(ListHeight(kInitialRows));
        adjustSize();
        // On a small screen (or at a large scale) fewer rows, so that the buttons stay on it.
        const int room = screen() != nullptr
                             ? screen()->availableSize().height() - style()->pixelMetric(QStyle::PM_TitleBarHeight) -
                                   2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth)
                             : height();
        if (height() > room) {
            modeList_->setMinimumHeight(
                std::max(ListHeight(kMinimumRows), ListHeight(kInitialRows) - (height() - room)));
            adjustSize();
        }
        modeList_->setMinimumHeight(ListHeight(kMinimumRows));
        QSize kept = OpenToolkitSettings()->value(kSizeKey).toSize();
        if (kept.isValid()) {
            // Never larger than the screen it opens on, which may be smaller now.
            QSize room = screen() != nullptr ? screen()->availableSize() : kept;
            resize(kept.boundedTo(room).expandedTo(minimumSizeHint()));
        }
        modeList_->setFocus();
    }

    ~ScreenModeDialog() override { OpenToolkitSettings()->setValue(kSizeKey, size()); }

    std::uint32_t SelectedDisplayId() const override
    {
        const QTreeWidgetItem *item = modeList_->currentItem();
        return item != nullptr ? item->data(0, Qt::UserRole).toUInt() : INVALID_ID;
    }

    bool SelectDisplayId(std::uint32_t modeId) override
    {
        for (int i = 0; i < modeList_->topLevelItemCount(); ++i) {
            QTreeWidgetItem *item = modeList_->topLevelItem(i);
            if (item->data(0, Qt::UserRole).toUInt() == modeId) {
                modeList_->setCurrentItem(item);
                return true;
            }
        }
        return false;
    }

    std::vector<std::uint32_t> ListedDisplayIds() const override
    {
        std::vector<std::uint32_t> ids;
        for (int i = 0; i < modeList_->topLevelItemCount(); ++i) {
            ids.push_back(modeList_->topLevelItem(i)->data(0, Qt::UserRole).toUInt());
        }
        return ids;
    }

    std::vector<std::uint16_t> DepthChoices() const override
    {
        std::vector<std::uint16_t> depths;
        for (int i = 0; i < depthBox_->count(); ++i) {
            depths.push_back(static_cast<std::uint16_t>(depthBox_->itemData(i).toUInt()));
        }
        return depths;
    }

    std::uint16_t SelectedDepth() const override
    {
        return depthBox_->currentIndex() >= 0 ? static_cast<std::uint16_t>(depthBox_->currentData().toUInt()) : 0;
    }

    bool SelectDepth(std::uint16_t depth) override
    {
        int index = depthBox_->findData(static_cast<unsigned>(depth));
        if (index < 0) {
            return false;
        }
        depthBox_->setCurrentIndex(index);
        return true;
    }

    void ExposeParent() override
    {
        QWidget *parent = parentWidget();
        if (parent != nullptr && parent->windowHandle() != nullptr) {
            QExposeEvent event(QRegion(parent->rect()));
            QCoreApplication::sendEvent(parent->windowHandle(), &event);
        }
    }

    // Whether the dialog can report a choice at all.
    bool HasChoice() const { return SelectedDisplayId() != INVALID_ID && SelectedDepth() != 0; }

private:
    int ListHeight(int rows) const
    {
        int row = modeList_->topLevelItemCount() > 0 ? modeList_->sizeHintForRow(0) : modeList_->fontMetrics().height();
        return modeList_->header()->sizeHint().height() + row * rows + 2 * modeList_->frameWidth() +
               modeList_->horizontalScrollBar()->sizeHint().height();
    }

    static QString ResolutionLabel(const DisplayModeRecord &mode)
    {
        // A mode the display database does not know has no size to show.
        return mode.width == 0 || mode.height == 0 ? AslText(asl_text::MSG_ASL_NOT_OFFERED)
                                                   : QStringLiteral("%1 × %2").arg(mode.width).arg(mode.height);
    }

    // The depths of a mode within the requested limits.
    std::vector<std::uint16_t> OfferedDepths(const DisplayModeRecord &mode) const
    {
        std::vector<std::uint16_t> depths;
        for (int i = 0; i < mode.depthCount && i < DISPLAY_MODE_MAX_DEPTHS; ++i) {
            if (mode.depths[i] >= options_.minDepth && mode.depths[i] <= options_.maxDepth) {
                depths.push_back(mode.depths[i]);
            }
        }
        return depths;
    }

    void AddRow(const DisplayModeRecord &mode, const QString &name, const QString &resolution)
    {
        auto *item = new QTreeWidgetItem(modeList_);
        item->setText(0, name);
        item->setText(1, resolution);
        item->setText(2, QString::asprintf("0x%08X", static_cast<unsigned>(mode.modeId)));
        item->setData(0, Qt::UserRole, static_cast<unsigned>(mode.modeId));
        modes_.push_back(mode);
    }

    // The mode the requester opens on when the display does not offer it: a first
    // row, named as the display database names it and noted as not offered, with
    // the depths it has within the limits, else the held depth, so that OK keeps it.
    void AddHeldMode()
    {
        DisplayModeRecord held = {};
        const bool known = FindDisplayMode(options_.initialDisplayId, &held);
        held.modeId = options_.initialDisplayId;
        std::vector<std::uint16_t> depths = known ? OfferedDepths(held) : std::vector<std::uint16_t>{};
        if (depths.empty()) {
            depths.push_back(
                static_cast<std::uint16_t>(options_.initialDepth != 0 ? options_.initialDepth : options_.maxDepth));
        }
        held.depthCount = static_cast<int>(std::min<std::size_t>(depths.size(), DISPLAY_MODE_MAX_DEPTHS));
        std::copy_n(depths.begin(), held.depthCount, held.depths);
        NameInfo name = {};
        GetDisplayInfoData(nullptr, &name, sizeof name, DTAG_NAME, held.modeId);
        name.Name[sizeof name.Name - 1] = '\0';
        AddRow(held, QString::fromLatin1(name.Name) + ' ' + AslText(asl_text::MSG_ASL_NOT_OFFERED),
               known ? ResolutionLabel(held) : QString());
    }

    void FillModes()
    {
        std::vector<DisplayModeRecord> records = ScreenModeChoices(options_.minDepth, options_.maxDepth);
        if (options_.initialDisplayId != INVALID_ID &&
            std::none_of(records.begin(), records.end(),
                         [this](const DisplayModeRecord &mode) { return mode.modeId == options_.initialDisplayId; })) {
            AddHeldMode();
        }
        for (const DisplayModeRecord &mode : records) {
            AddRow(mode, QString::fromLatin1(mode.name), ResolutionLabel(mode));
        }
    }

    void SelectInitialMode()
    {
        if (!SelectDisplayId(options_.initialDisplayId) && modeList_->topLevelItemCount() > 0) {
            modeList_->setCurrentItem(modeList_->topLevelItem(0));
        }
        if (options_.initialDepth != 0) {
            SelectDepth(static_cast<std::uint16_t>(options_.initialDepth));
        }
        ModeChanged();
    }

    const DisplayModeRecord *SelectedMode() const
    {
        std::uint32_t id = SelectedDisplayId();
        for (const DisplayModeRecord &mode : modes_) {
            if (mode.modeId == id) {
                return &mode;
            }
        }
        return nullptr;
    }

    // Refills the depth chooser for the selected mode, keeping the chosen depth when offered.
    void ModeChanged()
    {
        const DisplayModeRecord *mode = SelectedMode();
        std::uint16_t previous = SelectedDepth();
        depthBox_->clear();
        resolutionText_.clear();
        if (mode != nullptr) {
            resolutionText_ = ResolutionLabel(*mode).toStdString();
            for (std::uint16_t depth : OfferedDepths(*mode)) {
                QString label = depth <= 8 ? AslText(asl_text::MSG_ASL_DEPTH_COLOURS).arg(depth).arg(1u << depth)
                                           : AslText(asl_text::MSG_ASL_DEPTH_BITS).arg(depth);
                depthBox_->addItem(label, static_cast<unsigned>(depth));
            }
            if (!SelectDepth(previous)) {
                depthBox_->setCurrentIndex(depthBox_->count() - 1);
            }
        }
        resolutionLabel_->setText(QString::fromStdString(resolutionText_));
        buttons_->button(QDialogButtonBox::Ok)->setEnabled(HasChoice());
    }

    ScreenModeOptions options_;
    QTreeWidget *modeList_ = nullptr;
    QLabel *resolutionLabel_ = nullptr;
    QComboBox *depthBox_ = nullptr;
    QDialogButtonBox *buttons_ = nullptr;
    std::vector<DisplayModeRecord> modes_;
    std::string resolutionText_;
};

}  // namespace

void *AllocAslRequest(std::uint32_t reqType, const TagItem *tags)
{
    if (reqType != ASL_ScreenModeRequest || failAllocation) {
        return nullptr;
    }
    auto *request = new ScreenModeRequest{};
    request->public_.sm_DisplayID = INVALID_ID;
    ApplyTags(request, tags);
    return &request->public_;
}

void FreeAslRequest(void *requester)
{
    delete reinterpret_cast<ScreenModeRequest *>(requester);
}

int AslRequest(void *requester, const TagItem *tags)
{
    if (requester == nullptr || qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) {
        return 0;
    }
    auto *request = reinterpret_cast<ScreenModeRequest *>(requester);
    ApplyTags(request, tags);

    // The user's language, open while the requester is.
    struct OpenTexts {
        OpenTexts() : locale(OpenLocale(nullptr)), catalog(OpenCatalog(locale, "Sys/asl.catalog", nullptr))
        {
            aslCatalog = catalog;
        }
        ~OpenTexts()
        {
            aslCatalog = nullptr;
            CloseCatalog(catalog);
            CloseLocale(locale);
        }
        Locale *locale;
        Catalog *catalog;
    } texts;
    QWidget *parent = request->options.window;
    ScreenModeDialog dialog(request->options, parent);
    RefreshForwarder forwarder(request, parent);
    QPointer<QWindow> watched = parent != nullptr ? parent->windowHandle() : nullptr;
    if (watched != nullptr) {
        watched->installEventFilter(&forwarder);
    }

#ifdef SETTINGS_TEST_SWITCHES
    AslRequestHook hook = requestHook;  // the hook may replace itself
    const bool confirmed = hook ? hook(dialog) : dialog.exec() == QDialog::Accepted;
#else
    const bool confirmed = dialog.exec() == QDialog::Accepted;
#endif
    if (watched != nullptr) {
        watched->removeEventFilter(&forwarder);
    }

    if (!confirmed || !dialog.HasChoice()) {
        return 0;
    }
    DisplayModeRecord mode;
    request->public_.sm_DisplayID = dialog.SelectedDisplayId();
    request->public_.sm_DisplayDepth = dialog.SelectedDepth();
    const bool known = FindDisplayMode(request->public_.sm_DisplayID, &mode);
    request->public_.sm_DisplayWidth = known ? mode.width : 0;
    request->public_.sm_DisplayHeight = known ? mode.height : 0;
    return 1;
}

#ifdef SETTINGS_TEST_SWITCHES
void AslSetRequestHook(AslRequestHook hook)
{
    requestHook = std::move(hook);
}

void AslFailAllocation(bool fail)
{
    failAllocation = fail;
}
#endif
