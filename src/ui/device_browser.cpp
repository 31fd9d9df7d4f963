// The configurator's headers first, as everywhere in the windows.
// clang-format off
#include "configurator/device_list.h"
// clang-format on
#include "ui/device_browser.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <exception>
#include <utility>

#include "env/database.h"
#include "env/environment.h"
#include "env/state.h"
#include "ui/chrome.h"

namespace tessed::ui {

using configurator::DeviceListEntry;

namespace {

constexpr long kTextTitle = 1936;
constexpr long kTextFolder = 1937;
constexpr long kTextKeyObject = 1938;
constexpr long kTextReading = 1939;
constexpr long kTextFile = 1501;
constexpr long kTextDescription = 1014;
constexpr long kTextFamilies = 1026;
constexpr long kTextObjects = 1027;
constexpr long kTextStop = 1636;

// Rows reach the list in batches: often enough to see them come, seldom
// enough not to flood the window's event queue.
constexpr auto kBatchInterval = std::chrono::milliseconds(100);

// The rows the list has room for before it scrolls.
constexpr int kShownRows = 8;

enum Column { kColFile, kColDescription, kColKeyObject, kColFamilies, kColObjects, kColumns };

// The folder's path, cut with an ellipsis in the middle to the room it has;
// the whole path is its tool tip and its accessible name.
class PathLabel : public QLabel {
  public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override {
        return {fontMetrics().averageCharWidth() * 12, QLabel::minimumSizeHint().height()};
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(palette().color(foregroundRole()));
        const QRect r = contentsRect();
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter,
                   fontMetrics().elidedText(text(), Qt::ElideMiddle, r.width()));
    }
};

// The list: drags a row's drop text, and hands a row to the editor on the
// keys of an insertion.
class DeviceList : public QTreeWidget {
  public:
    explicit DeviceList(DeviceBrowser* browser) : QTreeWidget(browser), browser_(browser) {}
    // Room for the few devices of one drag from the configurator.
    QSize sizeHint() const override {
        const int row = std::max(fontMetrics().height() + 4, sizeHintForRow(0));
        return {QTreeWidget::sizeHint().width(),
                header()->sizeHint().height() + kShownRows * row + 2 * frameWidth()};
    }

  protected:
    void startDrag(Qt::DropActions) override {
        QTreeWidgetItem* item = currentItem();
        if (!item || !(item->flags() & Qt::ItemIsDragEnabled)) return;
        QMimeData* mime = browser_->DragData(indexOfTopLevelItem(item));
        if (!mime) return;
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        // A copy, as from the configurator: the device stays listed whatever
        // the target makes of it.
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }
    void keyPressEvent(QKeyEvent* e) override {
        const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
        const int key = e->key();
        const bool enter =
            (key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::NoModifier;
        if (enter || (key == Qt::Key_I && mods == Qt::ControlModifier) || key == Qt::Key_Menu ||
            (key == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
            browser_->InsertCurrent(menuPos());
            return;
        }
        if (key == Qt::Key_F5 && mods == Qt::NoModifier) {
            browser_->Reload();
            return;
        }
        QTreeWidget::keyPressEvent(e);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        if (e->reason() == QContextMenuEvent::Mouse) {
            QTreeWidgetItem* item = itemAt(e->pos());
            if (!item) return;
            setCurrentItem(item);
        }
        browser_->InsertCurrent(e->reason() == QContextMenuEvent::Mouse ? e->globalPos()
                                                                        : menuPos());
    }

  private:
    // Under the current row, where a menu opened from the keyboard stands.
    QPoint menuPos() const {
        QTreeWidgetItem* item = currentItem();
        const QRect r = item ? visualItemRect(item) : QRect();
        return viewport()->mapToGlobal(r.isValid() ? r.bottomLeft() : QPoint(0, 0));
    }

    DeviceBrowser* browser_;
};

}  // namespace

DeviceBrowser::DeviceBrowser(QWidget* parent) : QDockWidget(parent) {
    setObjectName(QStringLiteral("dckDevices"));
    SetTextId(this, kTextTitle);
    setWindowTitle(Text(kTextTitle));
    setAccessibleName(Text(kTextTitle));
    setAllowedAreas(Qt::BottomDockWidgetArea | Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);

    auto* body = new QWidget(this);
    body->setObjectName(QStringLiteral("pctDevices"));
    auto* main = new QVBoxLayout(body);
    main->setContentsMargins(6, 4, 6, 6);
    main->setSpacing(4);

    auto* head = new QHBoxLayout;
    folderLabel_ = new PathLabel(body);
    folderLabel_->setObjectName(QStringLiteral("lblFolder"));
    folderLabel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    folderButton_ = new QPushButton(body);
    folderButton_->setObjectName(QStringLiteral("cmdFolder"));
    SetTextId(folderButton_, kTextFolder);
    head->addWidget(folderLabel_, 1);
    head->addWidget(folderButton_);
    main->addLayout(head);

    list_ = new DeviceList(this);
    list_->setParent(body);
    list_->setObjectName(QStringLiteral("lvwDevices"));
    SetAccessibleId(list_, kTextTitle);
    list_->setColumnCount(kColumns);
    list_->setHeaderLabels({Text(kTextFile), Text(kTextDescription), Text(kTextKeyObject),
                            Text(kTextFamilies), Text(kTextObjects)});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    list_->header()->setStretchLastSection(true);
    main->addWidget(list_, 1);

    auto* foot = new QHBoxLayout;
    progress_ = new QProgressBar(body);
    progress_->setObjectName(QStringLiteral("prgDevices"));
    SetAccessibleId(progress_, kTextReading);
    progress_->setFormat(Text(kTextReading) + QStringLiteral(" %v/%m"));
    stopButton_ = new QPushButton(body);
    stopButton_->setObjectName(QStringLiteral("cmdStop"));
    SetTextId(stopButton_, kTextStop);
    foot->addWidget(progress_, 1);
    foot->addWidget(stopButton_);
    main->addLayout(foot);
    // Captions and accessible names from their numbered texts, as on a
    // language switch.
    ApplyCaptions(body);
    setWidget(body);
    showReading(false);

    connect(folderButton_, &QPushButton::clicked, this, [this] { ChooseFolder(); });
    connect(stopButton_, &QPushButton::clicked, this, [this] { Stop(); });
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { InsertCurrent(QCursor::pos()); });
}

DeviceBrowser::~DeviceBrowser() { Stop(); }

void DeviceBrowser::showEvent(QShowEvent* e) {
    QDockWidget::showEvent(e);
    // The configurator's drag folder, once the browser is first wanted.
    if (folder_.empty()) ShowFolder(configurator::DefaultDeviceFolder().string());
}

void DeviceBrowser::showReading(bool on) {
    progress_->setVisible(on);
    stopButton_->setVisible(on);
}

void DeviceBrowser::Stop() {
    if (stop_) stop_->store(true);
    // The worker ends after the file it is reading; its last results, posted
    // meanwhile, belong to a finished generation and are dropped.
    if (worker_.joinable()) worker_.join();
    ++generation_;
    if (reading_) {
        reading_ = false;
        showReading(false);
    }
}

void DeviceBrowser::Reload() {
    if (!folder_.empty()) ShowFolder(folder_);
}

void DeviceBrowser::ChooseFolder() {
    const std::string start =
        folder_.empty() ? configurator::DefaultDeviceFolder().string() : folder_;
    if (auto f = Files().openFolder(this, Text(kTextFolder), start)) ShowFolder(*f);
}

void DeviceBrowser::ShowFolder(const std::string& folder) {
    Stop();
    folder_ = folder;
    folderLabel_->setText(Q(folder));
    folderLabel_->setToolTip(Q(folder));
    folderLabel_->setAccessibleName(Q(folder));
    entries_.clear();
    list_->clear();
    resized_ = false;
    progress_->setRange(0, 0);
    reading_ = true;
    showReading(true);

    const uint64_t generation = ++generation_;
    auto stop = stop_ = std::make_shared<std::atomic<bool>>(false);
    // What the worker needs of the window's thread, taken here: the master
    // database it opens a connection of its own on, the host's gateway.
    const std::string database = env::Env().masterDatabase().string();
    const int64_t gateway = Host().SysAddressGateway;
    worker_ = std::thread([this, folder, generation, stop, database, gateway] {
        auto post = [&](std::vector<DeviceListEntry> batch, size_t done, size_t total) {
            QMetaObject::invokeMethod(
                this,
                [this, generation, batch = std::move(batch), done, total]() mutable {
                    received(generation, std::move(batch), done, total);
                },
                Qt::QueuedConnection);
        };
        const std::vector<std::string> files =
            configurator::DeviceFilesIn(folder, [&] { return stop->load(); });
        post({}, 0, files.size());
        try {
            db::Database db(database, db::Database::Mode::ReadOnly);
            std::vector<DeviceListEntry> batch;
            auto last = std::chrono::steady_clock::now();
            for (size_t i = 0; i < files.size() && !stop->load(); ++i) {
                batch.push_back(configurator::DescribeDeviceFile(files[i], db, gateway));
                const auto now = std::chrono::steady_clock::now();
                if (now - last >= kBatchInterval || i + 1 == files.size()) {
                    post(std::exchange(batch, {}), i + 1, files.size());
                    last = now;
                }
            }
        } catch (const std::exception&) {
            // No catalogue to resolve against: the list stays as far as it got.
        }
        QMetaObject::invokeMethod(
            this, [this, generation] { finished(generation); }, Qt::QueuedConnection);
    });
}

void DeviceBrowser::received(uint64_t generation, std::vector<DeviceListEntry> batch, size_t done,
                             size_t total) {
    if (generation != generation_) return;
    progress_->setRange(0, int(std::min<size_t>(total, configurator::kMaxListedDevices)));
    progress_->setValue(int(done));
    const bool first = list_->topLevelItemCount() == 0;
    for (DeviceListEntry& e : batch) {
        addRow(e);
        entries_.push_back(std::move(e));
    }
    if (first && list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    if (!resized_ && !entries_.empty()) {
        resized_ = true;
        // Each column as wide as its texts, with a gap before the next one.
        const int gap = 2 * fontMetrics().averageCharWidth();
        for (int c = 0; c < kColObjects; ++c) {
            list_->resizeColumnToContents(c);
            list_->setColumnWidth(c, list_->columnWidth(c) + gap);
        }
    }
}

void DeviceBrowser::finished(uint64_t generation) {
    if (generation != generation_) return;
    if (worker_.joinable()) worker_.join();
    reading_ = false;
    showReading(false);
}

void DeviceBrowser::addRow(const DeviceListEntry& e) {
    using Status = DeviceListEntry::Status;
    auto* item = new QTreeWidgetItem(list_);
    item->setText(kColFile, Q(e.name));
    item->setText(kColDescription, Q(e.description));
    if (e.status == Status::kRead) {
        item->setText(kColKeyObject, QString::number(e.keyObject));
        item->setText(kColFamilies, Q(e.Families()));
        item->setText(kColObjects, Q(e.Objects()));
    } else {
        item->setText(kColObjects, Q(e.message));
    }
    const QString tip = e.status == Status::kRead ? Q(e.AreaSummary()) : Q(e.message);
    for (int c = 0; c < kColumns; ++c) item->setToolTip(c, tip);
    item->setData(kColFile, Qt::AccessibleDescriptionRole, tip);
    if (e.status == Status::kRefused)
        item->setIcon(kColFile, style()->standardIcon(QStyle::SP_MessageBoxWarning));
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // What a drop would read can be dragged, refused ones too: the drop says
    // why it refuses them, as it would for the configurator.
    if (e.dropText && e.status != Status::kNotRead) flags |= Qt::ItemIsDragEnabled;
    item->setFlags(flags);
    if (e.status == Status::kNotRead)
        for (int c = 0; c < kColumns; ++c)
            item->setForeground(c, palette().brush(QPalette::Disabled, QPalette::Text));
}

QMimeData* DeviceBrowser::DragData(int row) const {
    if (row < 0 || size_t(row) >= entries_.size()) return nullptr;
    const DeviceListEntry& e = entries_[size_t(row)];
    if (!e.dropText || e.status == DeviceListEntry::Status::kNotRead) return nullptr;
    auto* mime = new QMimeData;
    mime->setText(Q(*e.dropText));
    return mime;
}

void DeviceBrowser::InsertCurrent(const QPoint& pos) {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || size_t(row) >= entries_.size() || !insert) return;
    insert(entries_[size_t(row)], pos);
}

}  // namespace tessed::ui
