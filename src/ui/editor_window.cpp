// The canvas models first: Qt's keyword macros must not reach them.
// clang-format off
#include "configurator/device_drop.h"
#include "configurator/device_list.h"
#include "editor/canvas.h"
#include "editor/control_names.h"
#include "editor/element_clipboard.h"
#include "editor/element_selection.h"
#include "editor/placement.h"
// clang-format on
#include "ui/editor_window.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDrag>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QTextLayout>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "compiler/compile_run.h"
#include "compiler/listing.h"
#include "env/database.h"
#include "env/environment.h"
#include "env/errors.h"
#include "env/messages.h"
#include "env/state.h"
#include "env/strings.h"
#include "env/texts.h"
#include "model/edit_history.h"
#include "ui/choice_dialogs.h"
#include "ui/chrome.h"
#include "ui/device_browser.h"
#include "ui/dialogs.h"
#include "ui/property_dialog.h"
#include "ui/splash.h"
#include "ui/time_dialog.h"

// The canvas's slot counts and lists are called "slots"; this file declares no
// Qt slots.
#undef slots

namespace tessed::ui {

using editor::CanvasControl;
using editor::Part;
using editor::StripId;

namespace {

constexpr long kTitle = 1002;
constexpr long kTextConfigurator = 1115;
constexpr long kTextDevices = 1936;
constexpr long kCloseQuestion = 1015;
constexpr int kDescriptionLength = 60;
constexpr int kPictureSize = 38;
// Wide enough for the longest word of a caption on one line.
constexpr int kSlotWidth = 92;
constexpr int kOperatorWidth = 56;
constexpr int kMarkWidth = 36;
constexpr int kArrowSize = 20;
// Room for the bin's text on three lines.
constexpr int kTrashWidth = 150;
// Caption lines of a slot: groups have room for a time range, palettes for a
// two-word name.
constexpr int kGroupCaptionLines = 3;
constexpr int kPaletteCaptionLines = 2;

size_t at(StripId id) { return static_cast<size_t>(id); }

// `text` broken into at most `maxLines` lines of `width` pixels, between words
// where it can and anywhere in a word too long for a line; a text that does
// not fit ends its last line with an ellipsis.
QStringList CaptionLines(QString text, const QFont& font, int width, int maxLines) {
    // Line breaks of the text (CR LF, CR or LF) stay line breaks.
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(text, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        if (lines.size() == maxLines - 1) {
            QString rest = text.mid(line.textStart());
            rest.replace(QChar::LineSeparator, QLatin1Char(' '));
            lines << QFontMetrics(font).elidedText(rest.simplified(), Qt::ElideRight, width);
            break;
        }
        lines << text.mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

// A modal window the editor opens (a dialog, a message, a file chooser) takes
// the activation with it, and nothing gives it back where no window manager
// does: once it has closed, the editor is the active window again with the
// focus where it was, so its keys (Ctrl+Z, the arrows) act at once.
class FocusBack {
  public:
    explicit FocusBack(QWidget* window) : window_(window), focus_(window->focusWidget()) {}
    ~FocusBack() {
        if (!window_ || !window_->isVisible()) return;
        // Where the window's focus went meanwhile (a moved element), else
        // where it was.
        QWidget* to = window_->focusWidget();
        if (!to || !to->isVisible()) to = focus_;
        window_->activateWindow();
        if (to && to->isVisible() && to->window() == window_)
            to->setFocus(Qt::ActiveWindowFocusReason);
    }
    FocusBack(const FocusBack&) = delete;
    FocusBack& operator=(const FocusBack&) = delete;

  private:
    QPointer<QWidget> window_;
    QPointer<QWidget> focus_;
};

// The auto-scroll's repeating timer; after each tick the window shows the
// scrolled group.
class QtRepeatTimer : public editor::RepeatTimer {
  public:
    explicit QtRepeatTimer(std::function<void()> after) : after_(std::move(after)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (tick_) tick_();
            after_();
        });
    }
    void Start(int intervalMs, std::function<void()> tick) override {
        tick_ = std::move(tick);
        timer_.start(intervalMs);
    }
    void Stop() override { timer_.stop(); }

  private:
    QTimer timer_;
    std::function<void()> tick_;
    std::function<void()> after_;
};

}  // namespace

// One control of the canvas: a picture, a caption, a frame, a scroll control,
// an operator mark or the trash. It knows which canvas control it stands for
// and hands its mouse and drag events to the window.
class CanvasItem : public QLabel {
  public:
    CanvasItem(EditorWindow* window, const CanvasControl& c, QWidget* parent)
        : QLabel(parent), control(c), window_(window) {
        setAcceptDrops(true);
    }
    const CanvasControl control;
    QString file;           // the picture shown
    int lines = 0;          // a caption: the lines it shows (its height)
    bool selected = false;  // a slot of a selected element
    // A frame sizes itself from the slots laid out in it, not from a text.
    QSize sizeHint() const override { return layout() ? QWidget::sizeHint() : QLabel::sizeHint(); }
    QSize minimumSizeHint() const override {
        return layout() ? QWidget::minimumSizeHint() : QLabel::minimumSizeHint();
    }

  protected:
    // A caption keeps its whole text (the tool tip shows it too) and draws what
    // fits its lines, so every slot of a row has the same height.
    void paintEvent(QPaintEvent* e) override {
        if (selected) {
            QPainter p(this);
            QColor c = palette().color(QPalette::Highlight);
            c.setAlpha(60);
            p.fillRect(rect(), c);
        }
        if (lines <= 0) {
            QLabel::paintEvent(e);
        } else {
            QPainter p(this);
            p.setPen(palette().color(foregroundRole()));
            const int step = fontMetrics().lineSpacing();
            int y = 0;
            for (const QString& line : CaptionLines(text(), font(), width(), lines)) {
                p.drawText(QRect(0, y, width(), step), Qt::AlignHCenter | Qt::AlignTop, line);
                y += step;
            }
        }
        // The keyboard's place on the canvas, drawn over the slot's own outline.
        if (hasFocus()) {
            QPainter p(this);
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            p.drawRect(rect().adjusted(1, 1, -1, -1));
        }
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (!window_->keyPressed(this, e)) QLabel::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QLabel::focusInEvent(e);
        window_->focused(this);
    }
    void contextMenuEvent(QContextMenuEvent* e) override {
        window_->contextMenu(this, e->globalPos());
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() != Qt::LeftButton) return QLabel::mousePressEvent(e);
        pressAt_ = e->position().toPoint();
        pressed_ = true;
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        if (!pressed_ || !(e->buttons() & Qt::LeftButton)) return;
        if ((e->position().toPoint() - pressAt_).manhattanLength() <
            QApplication::startDragDistance())
            return;
        pressed_ = false;
        window_->startDrag(this);
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool click = pressed_ && rect().contains(e->position().toPoint());
        pressed_ = false;
        if (click) window_->clicked(this, e->modifiers());
    }
    void mouseDoubleClickEvent(QMouseEvent* e) override {
        pressed_ = false;
        if (e->button() == Qt::LeftButton) window_->doubleClicked(this);
    }
    void dragEnterEvent(QDragEnterEvent* e) override { answer(e); }
    void dragMoveEvent(QDragMoveEvent* e) override { answer(e); }
    void dragLeaveEvent(QDragLeaveEvent*) override { window_->dragLeave(this); }
    void dropEvent(QDropEvent* e) override {
        take(e, window_->drop(this, e->mimeData(), e->position().toPoint()));
    }

  private:
    void answer(QDragMoveEvent* e) {
        take(e, window_->dragHover(this, e->mimeData(), e->position().toPoint()));
    }
    static void take(QDropEvent* e, Qt::DropAction action) {
        if (action == Qt::IgnoreAction) {
            e->ignore();
            return;
        }
        e->setDropAction(action);
        e->accept();
    }

    EditorWindow* window_;
    QPoint pressAt_;
    bool pressed_ = false;
};

// --- building ---------------------------------------------------------------

EditorWindow::ToolsHook& EditorWindow::ToolsHookRef() {
    static ToolsHook hook;
    return hook;
}

void EditorWindow::SetToolsHook(ToolsHook hook) { ToolsHookRef() = std::move(hook); }

EditorWindow::EditorWindow(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    SetTextId(this, 1000);
    canvas_ = std::make_unique<editor::Canvas>();
    views_.resize(editor::kStripCount);
    ScenarioDocument& doc = Document();
    doc.AddListener(this);
    doc.PresetApp = [this] { canvas_->PresetApp(); };
    history_ = std::make_unique<EditHistory>(doc);
    timer_ = std::make_unique<QtRepeatTimer>([this] { showCanvas(); });
    placement_ = std::make_unique<editor::Placement>(*canvas_, timer_.get());
    selection_ = std::make_unique<editor::ElementSelection>(*canvas_);
    canvas_->ReposAll();
    buildTools();
    buildCanvas();
    canvas_->PresetApp();
    showCanvas();
}

EditorWindow::~EditorWindow() {
    placement_->StopScrolling();
    ScenarioDocument& doc = Document();
    doc.RemoveListener(this);
    doc.PresetApp = nullptr;
}

void EditorWindow::buildTools() {
    bar_ = addToolBar(QStringLiteral("ActiveBar21"));
    bar_->setObjectName(QStringLiteral("ActiveBar21"));
    bar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar_->setMovable(false);
    struct ToolDef {
        const char* name;
        long textId;
        QKeySequence key;
        std::function<void()> run;
    };
    const ToolDef defs[] = {
        {"mnunew", 1509, QKeySequence::New, [this] { newScenario(); }},
        {"mnuapri", 1510, QKeySequence::Open, [this] { openScenario(); }},
        {"mnusave", 1034, QKeySequence::Save, [this] { save(false); }},
        {"mnusaveas", 1035, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { save(true); }},
        {"mnuundo", 1920, QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { history_->Undo(); }},
        {"mnuredo", 1921, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
         [this] { history_->Redo(); }},
        {"mnunomescript", 1093, QKeySequence(Qt::Key_F2), [this] { editDescription(); }},
        {"mnucompila", 1037, QKeySequence(Qt::Key_F7),
         [this] {
             if (settleChanges()) compile();
         }},
        {"mnuesci", 1036, QKeySequence(Qt::CTRL | Qt::Key_W), [this] { close(); }},
    };
    for (const ToolDef& d : defs) {
        auto* a = bar_->addAction(Text(d.textId));
        a->setObjectName(QString::fromLatin1(d.name));
        SetTextId(a, d.textId);
        a->setShortcut(d.key);
        a->setShortcutContext(Qt::WindowShortcut);
        auto run = d.run;
        connect(a, &QAction::triggered, this, [this, run] {
            FocusBack back(this);
            try {
                run();
            } catch (const ProjectError& e) {
                Messages().warning(texts::GetText(kTitle), e.what());
            }
            showCanvas();
        });
        tools_[d.name] = a;
    }
    // The project and the tools, menus at the end of the bar. The project's
    // tools and the language are the project window's, handed over to it.
    auto menuTool = [this](const char* name, long textId) {
        auto* menu = new QMenu(this);
        menu->setObjectName(QString::fromLatin1(name));
        SetTextId(menu, textId);
        menu->setTitle(Text(textId));
        auto* button = new QToolButton(bar_);
        button->setObjectName(QString::fromLatin1(name));
        button->setMenu(menu);
        button->setPopupMode(QToolButton::InstantPopup);
        button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        button->setDefaultAction(menu->menuAction());
        // The menu's arrow beside the text, not over it.
        button->setStyleSheet(QStringLiteral("QToolButton { padding-right: 14px; }"));
        bar_->addWidget(button);
        return menu;
    };
    QMenu* project = menuTool("popupprj", 1563);
    for (auto [name, textId] : {std::pair{"mnunewprj", 1502L}, std::pair{"mnuapriprj", 1503L},
                                std::pair{"mnuviewprj", 1596L}}) {
        QAction* a = project->addAction(Text(textId));
        a->setObjectName(QString::fromLatin1(name));
        SetTextId(a, textId);
        const std::string tool = name;
        connect(a, &QAction::triggered, this, [this, tool] {
            FocusBack back(this);
            if (projectCommand) projectCommand(tool, {});
        });
        tools_[name] = a;
    }
    QMenu* tools = menuTool("popuptools", 1517);
    QMenu* languages = tools->addMenu(Text(1518));
    // Each language a tool "mnulang" with its code, as in the project window.
    languages->setObjectName(QStringLiteral("mnulanguage"));
    languages->menuAction()->setObjectName(QStringLiteral("mnulanguage"));
    SetTextId(languages, 1518);
    tools_["mnulanguage"] = languages->menuAction();
    for (const auto& l : env::Env().languages()) {
        QAction* a = languages->addAction(Q(l.caption));
        a->setObjectName(Q(l.name));
        a->setData(Q(l.tag));
        a->setCheckable(true);
        a->setChecked(l.checked);
        connect(a, &QAction::triggered, this, [this, a] {
            a->setChecked(U(a->data().toString()) == env::Env().currentLanguage());
            FocusBack back(this);
            if (projectCommand) projectCommand("mnulang", U(a->data().toString()));
        });
    }
    QAction* about = tools->addAction(Text(1519));
    about->setObjectName(QStringLiteral("mnuinfo"));
    SetTextId(about, 1519);
    about->setShortcut(QKeySequence::HelpContents);
    about->setShortcutContext(Qt::WindowShortcut);
    addAction(about);
    connect(about, &QAction::triggered, this, [this] {
        FocusBack back(this);
        SplashWindow box(SplashWindow::Role::About, this);
        box.exec();
    });
    tools_["mnuinfo"] = about;
    // The configurator, prepared and started in the compile window.
    QAction* lx = tools->addAction(Text(kTextConfigurator));
    lx->setObjectName(QStringLiteral("runLX"));
    SetTextId(lx, kTextConfigurator);
    connect(lx, &QAction::triggered, this, [this] {
        FocusBack back(this);
        RunConfiguratorWindow(this);
    });
    tools_["runLX"] = lx;
    connect(tools, &QMenu::aboutToShow, this, [this] { showConfiguratorTool(); });
    // The device browser, a dock below the canvas until the user moves it.
    devices_ = new DeviceBrowser(this);
    addDockWidget(Qt::BottomDockWidgetArea, devices_);
    devices_->hide();
    devices_->insert = [this](const configurator::DeviceListEntry& e, const QPoint& pos) {
        insertDevice(e, pos);
    };
    QAction* browse = devices_->toggleViewAction();
    browse->setObjectName(QStringLiteral("mnuDevices"));
    SetTextId(browse, kTextDevices);
    browse->setText(Text(kTextDevices));
    browse->setShortcut(QKeySequence(Qt::Key_F8));
    browse->setShortcutContext(Qt::WindowShortcut);
    tools->addAction(browse);
    addAction(browse);
    connect(browse, &QAction::triggered, this, [this](bool shown) {
        if (shown) devices_->List()->setFocus(Qt::ShortcutFocusReason);
    });
    tools_["mnuDevices"] = browse;
    if (ToolsHookRef()) ToolsHookRef()(*this, *tools);

    // The clipboard: window keys and the element menu, not on the bar.
    const ToolDef clipboard[] = {
        {"mnucopy", 1924, QKeySequence::Copy, [this] { copyElements(false); }},
        {"mnucut", 1925, QKeySequence::Cut, [this] { copyElements(true); }},
        {"mnupaste", 1926, QKeySequence::Paste, [this] { pasteElements(); }},
    };
    for (const ToolDef& d : clipboard) {
        auto* a = new QAction(Text(d.textId), this);
        a->setObjectName(QString::fromLatin1(d.name));
        SetTextId(a, d.textId);
        a->setShortcut(d.key);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        auto run = d.run;
        connect(a, &QAction::triggered, this, [this, run] {
            FocusBack back(this);
            run();
            showCanvas();
        });
        tools_[d.name] = a;
    }
}

CanvasItem* EditorWindow::makeItem(const CanvasControl& c, QWidget* parent) {
    auto* item = new CanvasItem(this, c, parent);
    item->setObjectName(QString::fromLatin1(editor::ControlName(c)));
    if (c.index > 0) item->setProperty("index", c.index);
    // Everything a user places from or onto, and the scroll controls, take
    // the keyboard; captions and frames stand for their slots and groups.
    if (c.part == Part::kPicture || c.part == Part::kMark || c.part == Part::kScrollBack ||
        c.part == Part::kScrollForward)
        item->setFocusPolicy(Qt::StrongFocus);
    return item;
}

// A strip: its frame with the title over one row of slots (picture over
// caption, operator marks between condition slots). A strip that scrolls by
// rows has its back and forward controls stacked beside the slots; one that
// scrolls sideways has them at both ends. Hidden scroll controls keep their
// room, so the slots do not move when the controls come and go.
QWidget* EditorWindow::buildStrip(StripId id, long titleId, bool vertical, int slotWidth,
                                  QWidget* titleExtra) {
    StripView& v = views_[at(id)];
    v.titleId = titleId;
    const int slots = editor::Info(id).slots;
    QFrame* frame = nullptr;
    if (editor::ControlName({id, Part::kFrame, 0}).empty()) {
        frame = new QFrame;
        frame->setObjectName(QStringLiteral("fraFam"));
    } else {
        frame = makeItem({id, Part::kFrame, 0}, nullptr);
    }
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    v.frame = frame;
    auto* outer = new QVBoxLayout(frame);
    outer->setContentsMargins(6, 3, 6, 4);
    outer->setSpacing(2);
    auto* title = new QLabel(Text(titleId), frame);
    SetTextId(title, titleId);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* head = new QHBoxLayout;
    head->addWidget(title);
    head->addStretch();
    if (titleExtra) head->addWidget(titleExtra);
    outer->addLayout(head);
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    outer->addLayout(row);

    auto arrow = [&](Part part) {
        CanvasItem* a = makeItem({id, part, 0}, frame);
        const bool back = part == Part::kScrollBack;
        a->setText(vertical ? (back ? QStringLiteral("▲") : QStringLiteral("▼"))
                            : (back ? QStringLiteral("◀") : QStringLiteral("▶")));
        const long tip = vertical ? (back ? 1100 : 1101) : (back ? 1097 : 1099);
        a->setToolTip(Text(tip));
        a->setAccessibleName(Text(tip));
        a->setAlignment(Qt::AlignCenter);
        // Sideways controls stand level with the pictures.
        a->setFixedSize(kArrowSize, vertical ? kArrowSize : kPictureSize);
        QSizePolicy keep = a->sizePolicy();
        keep.setRetainSizeWhenHidden(true);
        a->setSizePolicy(keep);
        return a;
    };
    v.back = arrow(Part::kScrollBack);
    v.forward = arrow(Part::kScrollForward);
    if (!vertical) row->addWidget(v.back, 0, Qt::AlignTop);
    for (int i = 1; i <= slots; ++i) {
        auto* cell = new QWidget(frame);
        auto* cl = new QVBoxLayout(cell);
        cl->setContentsMargins(0, 0, 0, 0);
        cl->setSpacing(0);
        CanvasItem* pic = makeItem({id, Part::kPicture, i}, cell);
        pic->setFixedSize(kPictureSize, kPictureSize);
        pic->setAlignment(Qt::AlignCenter);
        // A group's slot is a place to drop on even while it is empty.
        if (editor::IsSlotGroup(id))
            pic->setStyleSheet(
                QStringLiteral("border: 1px dashed palette(mid); border-radius: 4px;"));
        CanvasItem* lbl = makeItem({id, Part::kLabel, i}, cell);
        lbl->lines = editor::IsSlotGroup(id) ? kGroupCaptionLines : kPaletteCaptionLines;
        lbl->setFixedSize(slotWidth, fontMetrics().lineSpacing() * lbl->lines);
        cl->addWidget(pic, 0, Qt::AlignHCenter);
        cl->addWidget(lbl, 0, Qt::AlignHCenter);
        cl->addStretch();
        row->addWidget(cell, 0, Qt::AlignTop);
        v.pictures.push_back(pic);
        v.labels.push_back(lbl);
        if (editor::Info(id).hasMarks() && i < slots) {
            // The operator mark stands level with the pictures it links.
            CanvasItem* mark = makeItem({id, Part::kMark, i}, frame);
            mark->setFixedSize(kMarkWidth, kPictureSize);
            mark->setAlignment(Qt::AlignCenter);
            row->addWidget(mark, 0, Qt::AlignTop);
            v.marks.push_back(mark);
        }
    }
    if (vertical) {
        auto* arrows = new QVBoxLayout;
        arrows->setSpacing(2);
        arrows->addWidget(v.back);
        arrows->addWidget(v.forward);
        arrows->addStretch();
        row->addLayout(arrows);
    } else {
        row->addWidget(v.forward, 0, Qt::AlignTop);
    }
    row->addStretch();
    return frame;
}

void EditorWindow::buildCanvas() {
    // The canvas keeps its size; a window smaller than it scrolls.
    auto* scroller = scroller_ = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("scrCanvas"));
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    setCentralWidget(scroller);
    auto* central = new QWidget;
    central->setObjectName(QStringLiteral("pctCanvas"));
    auto* main = new QVBoxLayout(central);
    main->setContentsMargins(8, 4, 8, 4);
    main->setSpacing(4);

    caption_ = new QLabel(central);
    caption_->setObjectName(QStringLiteral("lblCaption"));
    QFont big = caption_->font();
    big.setBold(true);
    caption_->setFont(big);
    description_ = new QLabel(central);
    description_->setObjectName(QStringLiteral("lblDescriScript"));
    description_->setToolTip(Text(1093));
    auto* head = new QHBoxLayout;
    head->setSpacing(12);
    head->addWidget(caption_);
    head->addWidget(description_, 1);
    main->addLayout(head);

    // The palettes: families on one row, then objects, operators and the bin.
    main->addWidget(buildStrip(StripId::kFamilies, 1026, false, kSlotWidth));
    auto* palettes = new QHBoxLayout;
    palettes->setSpacing(4);
    palettes->addWidget(buildStrip(StripId::kObjects, 1027, false, kSlotWidth), 1);
    palettes->addWidget(buildStrip(StripId::kOperators, 1029, true, kOperatorWidth));
    trashFrame_ = makeItem(CanvasControl::Trash(), central);
    trashFrame_->setObjectName(QStringLiteral("imgfraCestino"));
    trashFrame_->setFrameShape(QFrame::StyledPanel);
    trashFrame_->setToolTip(Text(1030));
    trashFrame_->setFixedWidth(kTrashWidth);
    auto* tl = new QVBoxLayout(trashFrame_);
    tl->setContentsMargins(6, 4, 6, 4);
    tl->setSpacing(2);
    trash_ = makeItem(CanvasControl::Trash(), trashFrame_);
    trash_->setObjectName(QStringLiteral("imgCestino"));
    trash_->setPixmap(style()->standardIcon(QStyle::SP_TrashIcon).pixmap(32, 32));
    trash_->setAlignment(Qt::AlignCenter);
    trash_->setToolTip(Text(1030));
    trash_->setAccessibleName(Text(1030));
    tl->addWidget(trash_);
    // What the bin is for, in the words of its tool tip; a drop on them is a
    // drop on the bin.
    CanvasItem* trashText = makeItem(CanvasControl::Trash(), trashFrame_);
    trashText->setObjectName(QStringLiteral("lblCestino"));
    SetTextId(trashText, 1030);
    trashText->setText(Text(1030));
    trashText->lines = kPaletteCaptionLines + 1;
    trashText->setFixedSize(kTrashWidth - 12, fontMetrics().lineSpacing() * trashText->lines);
    tl->addWidget(trashText, 0, Qt::AlignHCenter);
    palettes->addWidget(trashFrame_);
    main->addLayout(palettes);

    // The scenario: WHEN (start and stop events) on top, IF (conditions,
    // excluded conditions) below them, THEN (actions with their check boxes,
    // alternative actions) at the bottom.
    auto* groups = new QGridLayout;
    groups->setHorizontalSpacing(4);
    groups->setVerticalSpacing(4);
    groups->addWidget(buildStrip(StripId::kTrigger, 1016, true, kSlotWidth), 0, 0);
    groups->addWidget(buildStrip(StripId::kTriggerStop, 1017, true, kSlotWidth), 0, 1);
    groups->addWidget(buildStrip(StripId::kCondOk, 1018, true, kSlotWidth), 1, 0);
    groups->addWidget(buildStrip(StripId::kCondKo, 1019, true, kSlotWidth), 1, 1);
    // The action check boxes stand in the title line of the actions.
    auto* checks = new QWidget;
    auto* cl = new QHBoxLayout(checks);
    cl->setContentsMargins(0, 0, 0, 0);
    repeat_ = new QCheckBox(Text(1023), checks);
    repeat_->setObjectName(QStringLiteral("chkRepeatACT"));
    SetTextId(repeat_, 1023);
    restart_ = new QCheckBox(Text(1025), checks);
    restart_->setObjectName(QStringLiteral("chkRestart"));
    SetTextId(restart_, 1025);
    cl->addWidget(repeat_);
    cl->addWidget(restart_);
    groups->addWidget(buildStrip(StripId::kStepAct, 1021, false, kSlotWidth, checks), 2, 0, 1, 2);
    groups->addWidget(buildStrip(StripId::kStepActElse, 1022, false, kSlotWidth), 3, 0, 1, 2);
    groups->setColumnStretch(0, 1);
    groups->setColumnStretch(1, 1);
    main->addLayout(groups);
    main->addStretch(1);
    scroller->setWidget(central);
    connect(repeat_, &QCheckBox::clicked, this, [this](bool on) {
        canvas_->chkRepeatACT_Click(on);
        showCanvas();
    });
    connect(restart_, &QCheckBox::clicked, this, [this](bool on) {
        canvas_->chkRestart_Click(on);
        showCanvas();
    });

    // The two pointers of a drag, and the rectangle that shows where a drop
    // would land.
    dragIcon_ = new QLabel(central);
    dragIcon_->setObjectName(QStringLiteral("imgDrag"));
    dragIcon_->setPixmap(style()->standardIcon(QStyle::SP_DialogApplyButton).pixmap(32, 32));
    dragIcon_->hide();
    stopIcon_ = new QLabel(central);
    stopIcon_->setObjectName(QStringLiteral("imgStop"));
    stopIcon_->setPixmap(style()->standardIcon(QStyle::SP_BrowserStop).pixmap(32, 32));
    stopIcon_->hide();
    highlight_ = new QFrame(central);
    highlight_->setObjectName(QStringLiteral("shpHighlight"));
    highlight_->setStyleSheet(
        QStringLiteral("border: 2px solid #d00000; background: transparent;"));
    highlight_->setAttribute(Qt::WA_TransparentForMouseEvents);
    highlight_->hide();
}

// --- showing the model ------------------------------------------------------

void EditorWindow::DocumentChanged(const DocumentChange& change) {
    // Undo and redo replaced the scenario under the canvas: it reloads the
    // positions it shows before the view shows it. A change of rows reloads
    // the group that shows the table, whoever made it.
    if (change.kind == ChangeKind::kRestore) restorePending_ = true;
    if (!change.table.empty())
        for (StripId g : editor::kSlotGroups)
            if (editor::Info(g).table == change.table || editor::Info(g).opeTable == change.table)
                reloadPending_[size_t(g)] = true;
    scheduleRefresh();
}

void EditorWindow::scheduleRefresh() {
    if (refreshPending_) return;
    refreshPending_ = true;
    // One refresh for all the changes of a user action: they are all in once
    // the action has returned to the event loop.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (refreshPending_) showCanvas();
        },
        Qt::QueuedConnection);
}

QSize EditorWindow::sizeHint() const {
    // The whole canvas, as far as the screen allows: no empty band, no
    // scroll bar where there is room; the device browser below it when shown.
    QSize s = scroller_->widget()->sizeHint();
    s.rheight() += bar_->sizeHint().height();
    if (devices_ && devices_->isVisible() && !devices_->isFloating() &&
        dockWidgetArea(devices_) == Qt::BottomDockWidgetArea)
        s.rheight() += devices_->sizeHint().height() +
                       style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
    s += QSize(4, 4);
    if (const QScreen* sc = screen()) s = s.boundedTo(sc->availableGeometry().size());
    return s;
}

void EditorWindow::RefreshAll() {
    restorePending_ = true;
    showCanvas();
}

void EditorWindow::showCanvas() {
    if (restorePending_) {
        restorePending_ = false;
        reloadPending_.fill(false);
        canvas_->Refresh();
    }
    for (StripId g : editor::kSlotGroups)
        if (std::exchange(reloadPending_[size_t(g)], false)) canvas_->Reload(g);
    refreshPending_ = false;
    ++refreshes_;
    selection_->Prune();
    const ScenarioDocument& doc = Document();
    for (int s = 0; s < editor::kStripCount; ++s) showStrip(static_cast<StripId>(s));
    repeat_->setChecked(canvas_->chkRepeatACT);
    restart_->setChecked(canvas_->chkRestart);
    const QString title = Q(doc.TitleText());
    caption_->setText(title);
    description_->setText(Q(doc.Description()));
    description_->setProperty("tag", Q(doc.ScenarioName()));
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(doc.Modified());
    showConfiguratorTool();
    tools_["mnuundo"]->setEnabled(history_->CanUndo());
    tools_["mnuredo"]->setEnabled(history_->CanRedo());
    for (const char* t : {"mnunewprj", "mnuapriprj", "mnuviewprj", "mnulanguage"})
        tools_[t]->setEnabled(bool(projectCommand));
}

void EditorWindow::showStrip(StripId id) {
    const editor::Strip& s = canvas_->strip(id);
    StripView& v = views_[at(id)];
    for (size_t i = 0; i < v.pictures.size(); ++i) {
        const editor::Slot& slot = s.slots.at(i);
        setPicture(v.pictures[i], slot.picture);
        v.pictures[i]->setProperty("tag", Q(slot.pictureTag));
        v.labels[i]->setProperty("tag", Q(slot.labelTag));
        const QString caption = Q(slot.caption);
        if (v.labels[i]->text() != caption) v.labels[i]->setText(caption);
        const QString tip = Q(slot.toolTip);
        v.pictures[i]->setToolTip(tip);
        v.labels[i]->setToolTip(tip);
        const QString name = slotName(id, int(i) + 1);
        v.pictures[i]->setAccessibleName(name);
        v.labels[i]->setAccessibleName(name);
        const bool selected =
            slot.filled() && selection_->Contains(id, str::LenientInt(slot.labelTag));
        for (CanvasItem* item : {v.pictures[i], v.labels[i]}) {
            if (item->selected == selected) continue;
            item->selected = selected;
            item->setProperty("selected", selected);
            item->update();
        }
    }
    for (size_t i = 0; i < v.marks.size(); ++i) {
        const editor::Mark* m = i < s.marks.size() ? &s.marks[i] : nullptr;
        setPicture(v.marks[i], m ? m->picture : editor::Picture{});
        v.marks[i]->setProperty("tag", m ? Q(m->tag) : QString());
        // The operator between two slots, named after them.
        v.marks[i]->setAccessibleName(
            QStringLiteral("%1 %2-%3").arg(Text(v.titleId)).arg(i + 1).arg(i + 2));
    }
    v.back->setVisible(s.scrollVisible);
    v.forward->setVisible(s.scrollVisible);
}

void EditorWindow::setPicture(CanvasItem* item, const editor::Picture& picture) {
    QString file;
    switch (picture.kind) {
        case editor::Picture::kEmpty:
            break;
        case editor::Picture::kFile:
            file = Q(picture.file);
            break;
        // The stock pictures for a file the catalogue names but the resources
        // folder lacks.
        case editor::Picture::kStockElement:
        case editor::Picture::kStockOperator:
            file = Q((canvas_->resources() / "noimg.gif").string());
            break;
    }
    if (item->file == file) return;
    item->file = file;
    item->setProperty("picture", Q(picture.file));
    if (file.isEmpty()) {
        item->clear();
        return;
    }
    auto it = pixmaps_.find(file);
    if (it == pixmaps_.end()) it = pixmaps_.emplace(file, QPixmap(file)).first;
    item->setPixmap(it->second);
}

editor::DragIcon EditorWindow::HoverIcon() const {
    return hoverAccepted_ ? editor::DragIcon::kDrag : editor::DragIcon::kStop;
}

QWidget* EditorWindow::Highlight() const { return highlight_; }

QWidget* EditorWindow::Control(const QString& name, int index) const {
    for (auto* w : findChildren<QWidget*>(name)) {
        const QVariant i = w->property("index");
        if ((i.isValid() ? i.toInt() : 0) == index) return w;
    }
    return nullptr;
}

// --- mouse ------------------------------------------------------------------

void EditorWindow::clicked(CanvasItem* item, Qt::KeyboardModifiers mods) {
    const CanvasControl& c = item->control;
    if (editor::IsSlotGroup(c.strip) && (c.part == Part::kPicture || c.part == Part::kLabel)) {
        selectSlot(c, mods);
        showCanvas();
        return;
    }
    if (c.part == Part::kScrollBack) {
        canvas_->ScrollBack(c.strip);
    } else if (c.part == Part::kScrollForward) {
        canvas_->ScrollForward(c.strip);
    } else if (c.strip == StripId::kFamilies &&
               (c.part == Part::kPicture || c.part == Part::kLabel)) {
        canvas_->imgFam_Click(c.index);
    } else {
        return;
    }
    showCanvas();
}

void EditorWindow::doubleClicked(CanvasItem* item) {
    CanvasControl c = item->control;
    if (c.part == Part::kLabel) c.part = Part::kPicture;
    if (!editor::IsSlotGroup(c.strip) || (c.part != Part::kPicture && c.part != Part::kMark))
        return;
    editor::EditPlan plan = placement_->PlanDoubleClick(c);
    if (plan.Committable() || plan.warning) runPlanLater(std::move(plan));
}

QString EditorWindow::DragText(const CanvasControl& source) {
    return Q(std::string(editor::ControlName(source))).toUpper() + QLatin1Char(' ') +
           QString::number(source.index);
}

std::optional<CanvasControl> EditorWindow::sourceOf(const QMimeData* data) const {
    if (!data || !data->hasText()) return std::nullopt;
    const QString text = data->text();
    const int space = text.lastIndexOf(QLatin1Char(' '));
    if (space <= 0) return std::nullopt;
    bool ok = false;
    const int index = text.mid(space + 1).toInt(&ok);
    if (!ok) return std::nullopt;
    auto c = editor::ControlFromName(U(text.left(space)), index);
    // Only what a drag of this window starts from: another program's text
    // is not a drag source.
    if (!c || (c->part != Part::kPicture && c->part != Part::kMark) || !placement_->CanDrag(*c))
        return std::nullopt;
    return c;
}

void EditorWindow::startDrag(CanvasItem* item) {
    CanvasControl source = item->control;
    if (source.part == Part::kLabel) source.part = Part::kPicture;
    if (!placement_->CanDrag(source)) return;
    auto* mime = new QMimeData;
    mime->setText(DragText(source));
    auto* drag = new QDrag(item);
    drag->setMimeData(mime);
    const CanvasItem* picture = source.part == Part::kMark
                                    ? item
                                    : views_[at(source.strip)].pictures[size_t(source.index - 1)];
    if (!picture->pixmap().isNull()) drag->setPixmap(picture->pixmap());
    drag->setDragCursor(dragIcon_->pixmap(), Qt::MoveAction);
    drag->setDragCursor(stopIcon_->pixmap(), Qt::IgnoreAction);
    drag->exec(Qt::MoveAction);
    placement_->Leave();
    highlight_->hide();
}

// --- drag and drop ----------------------------------------------------------

CanvasControl EditorWindow::targetAt(CanvasItem* item, const QPoint& pos) const {
    CanvasControl c = item->control;
    if (c.part == Part::kFrame && (c.strip == StripId::kCondOk || c.strip == StripId::kCondKo)) {
        // The slot under the drop point: the last one that starts left of it
        // (the slots stand in one row, each as wide as its caption).
        const auto& labels = views_[at(c.strip)].labels;
        c.index = 1;
        for (size_t i = 0; i < labels.size(); ++i)
            if (labels[i]->mapTo(item, QPoint(0, 0)).x() <= pos.x()) c.index = int(i) + 1;
    }
    return c;
}

Qt::DropAction EditorWindow::dragHover(CanvasItem* item, const QMimeData* data, const QPoint& pos) {
    const auto source = sourceOf(data);
    if (!source) {
        // Another program's device: every control of a slot group takes it;
        // what it becomes is known only once its file is read, at the drop.
        placement_->Leave();
        highlight_->hide();
        hoverAccepted_ = deviceText(data) && editor::IsSlotGroup(item->control.strip);
        return hoverAccepted_ ? Qt::CopyAction : Qt::IgnoreAction;
    }
    hoverAccepted_ = placement_->Hover(*source, targetAt(item, pos)) == editor::DragIcon::kDrag;
    showHighlight();
    return hoverAccepted_ ? Qt::MoveAction : Qt::IgnoreAction;
}

void EditorWindow::dragLeave(CanvasItem*) {
    placement_->Leave();
    highlight_->hide();
}

void EditorWindow::showHighlight() {
    const auto& h = placement_->highlight;
    QWidget* w = nullptr;
    if (h) {
        const StripView& v = views_[at(h->strip)];
        const auto& list = h->part == Part::kMark ? v.marks : v.pictures;
        if (h->index >= 1 && size_t(h->index) <= list.size()) w = list[size_t(h->index - 1)];
    }
    if (!w) {
        highlight_->hide();
        return;
    }
    const QRect r(w->mapTo(highlight_->parentWidget(), QPoint(0, 0)), w->size());
    highlight_->setGeometry(r.adjusted(-2, -2, 2, 2));
    highlight_->show();
    highlight_->raise();
}

Qt::DropAction EditorWindow::drop(CanvasItem* item, const QMimeData* data, const QPoint& pos) {
    const auto source = sourceOf(data);
    highlight_->hide();
    if (!source) {
        placement_->Leave();
        const auto text = deviceText(data);
        if (!text || !editor::IsSlotGroup(item->control.strip)) return Qt::IgnoreAction;
        return dropDevice(*text, targetAt(item, pos)) ? Qt::CopyAction : Qt::IgnoreAction;
    }
    return carryOut(placement_->PlanDrop(*source, targetAt(item, pos))) ? Qt::MoveAction
                                                                        : Qt::IgnoreAction;
}

// --- devices ----------------------------------------------------------------

std::optional<QString> EditorWindow::deviceText(const QMimeData* data) const {
    if (!data || !data->hasText()) return std::nullopt;
    QString text = data->text();
    // The text alone: the file is read at the drop, never while hovering.
    if (!configurator::ParseDropText(U(text))) return std::nullopt;
    return text;
}

bool EditorWindow::dropDevice(const QString& text, const CanvasControl& target) {
    using Stage = configurator::DeviceDrop::Stage;
    auto d = std::make_unique<configurator::DeviceDrop>(
        configurator::DeviceDrop::Begin(U(text), target, *canvas_));
    switch (d->stage()) {
        case Stage::kRefused: {
            // Said once the drop has returned, as a drop's warning is.
            const std::string message = d->Message();
            QMetaObject::invokeMethod(
                this,
                [this, message] {
                    FocusBack back(this);
                    Messages().warning(texts::GetText(kTitle), message);
                },
                Qt::QueuedConnection);
            return true;
        }
        case Stage::kChoose:
        case Stage::kResolved:
            // A later drop replaces one not yet continued.
            deviceDrop_ = std::move(d);
            QMetaObject::invokeMethod(
                this, [this] { continueDeviceDrop(); }, Qt::QueuedConnection);
            return true;
        default:
            return false;
    }
}

void EditorWindow::continueDeviceDrop() {
    using Stage = configurator::DeviceDrop::Stage;
    const std::unique_ptr<configurator::DeviceDrop> d = std::move(deviceDrop_);
    if (!d) return;
    FocusBack back(this);
    if (d->stage() == Stage::kChoose) ShowAmbiguityDialog(this, *d->Choice());
    d->Continue(*canvas_, *placement_);
    // The palettes show the device's family, selected, and its object.
    showCanvas();
    if (d->stage() != Stage::kPlanned) return;
    const auto& objects = views_[at(StripId::kObjects)].pictures;
    if (d->ObjectSlot() >= 1 && size_t(d->ObjectSlot()) <= objects.size())
        scroller_->ensureWidgetVisible(objects[size_t(d->ObjectSlot() - 1)]);
    // The replayed palette drop, as any other: its warning, or its dialog
    // (filled from the device) and the commit on OK.
    runPlan(d->Plan());
}

void EditorWindow::insertDevice(const configurator::DeviceListEntry& entry, const QPoint& pos) {
    using Status = configurator::DeviceListEntry::Status;
    if (!entry.dropText || entry.status == Status::kNotRead) {
        QApplication::beep();
        return;
    }
    const QString text = Q(*entry.dropText);
    if (entry.status == Status::kRefused) {
        // Wherever it would go, its drop says why it is refused.
        dropDevice(text, insertTarget(StripId::kStepAct));
        return;
    }
    std::optional<StripId> group;
    {
        FocusBack back(this);
        group = chooseGroup(pos, [&](StripId g) {
            return entry.ResolvesIn(configurator::SlotArea(insertTarget(g)));
        });
    }
    if (group && !dropDevice(text, insertTarget(*group))) QApplication::beep();
}

std::optional<StripId> EditorWindow::chooseGroup(const QPoint& pos,
                                                 const std::function<bool(StripId)>& offers) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuInsertInto"));
    for (StripId g : editor::kSlotGroups) {
        if (!offers(g)) continue;
        QAction* a = menu.addAction(Text(views_[at(g)].titleId));
        a->setObjectName(QString::fromLatin1(editor::ControlName({g, Part::kFrame, 0})));
        a->setData(int(g));
    }
    if (menu.isEmpty()) {
        QApplication::beep();
        return std::nullopt;
    }
    const QAction* chosen = menu.exec(pos);
    if (!chosen) return std::nullopt;
    return StripId(chosen->data().toInt());
}

void EditorWindow::showConfiguratorTool() {
    QAction* lx = tools_["runLX"];
    lx->setVisible(Host().EnabledLexora);
    lx->setEnabled(Host().EnabledLexora);
}

bool EditorWindow::carryOut(editor::EditPlan plan) {
    if (plan.effect == editor::DropEffect::kRefuse) return false;
    if (plan.warning || plan.Dialog() != editor::PlanDialog::kNone) {
        // A dialog or a message waits until the drop has returned.
        runPlanLater(std::move(plan));
    } else {
        placement_->Commit(plan);
    }
    return true;
}

// --- keyboard ---------------------------------------------------------------

QString EditorWindow::slotName(StripId id, int index) const {
    const editor::Slot& slot = canvas_->strip(id).slot(index);
    QString holds = Q(slot.caption).simplified();
    if (holds.isEmpty() && slot.filled()) holds = Q(slot.toolTip).simplified();
    if (holds.isEmpty()) holds = slot.filled() ? Q(slot.picture.file) : Text(1923);
    return QStringLiteral("%1 %2: %3").arg(Text(views_[at(id)].titleId)).arg(index).arg(holds);
}

void EditorWindow::focused(CanvasItem* item) {
    scroller_->ensureWidgetVisible(item, 8, 8);
    if (editor::IsSlotGroup(item->control.strip) && item->control.part == Part::kPicture)
        lastSlot_ = item;
}

int64_t EditorWindow::elementAt(const CanvasControl& c) const {
    if (!editor::IsSlotGroup(c.strip)) return 0;
    const editor::Strip& s = canvas_->strip(c.strip);
    if (c.index < 1 || c.index > int(s.slots.size()) || !s.slot(c.index).filled()) return 0;
    return str::LenientInt(s.slot(c.index).labelTag);
}

void EditorWindow::selectSlot(const CanvasControl& c, Qt::KeyboardModifiers mods) {
    const int64_t id = elementAt(c);
    if (id < 1) {
        // An empty slot: a plain click leaves nothing selected.
        if (!(mods & (Qt::ShiftModifier | Qt::ControlModifier))) selection_->Clear();
        return;
    }
    if (mods & Qt::ShiftModifier)
        selection_->Extend(c.strip, id);
    else if (mods & Qt::ControlModifier)
        selection_->Toggle(c.strip, id);
    else
        selection_->Select(c.strip, id);
}

std::pair<StripId, std::vector<int64_t>> EditorWindow::chosenElements() const {
    // The focused element belongs to the copy when it is not selected itself
    // (a slot reached with Tab).
    if (lastSlot_ && lastSlot_->hasFocus()) {
        const CanvasControl& c = lastSlot_->control;
        const int64_t id = elementAt(c);
        if (id > 0 && !selection_->Contains(c.strip, id)) return {c.strip, {id}};
    }
    if (!selection_->Empty()) return {selection_->Group(), selection_->Ids()};
    return {StripId::kTrigger, {}};
}

bool EditorWindow::copyElements(bool cut) {
    const auto [group, ids] = chosenElements();
    editor::CopiedElements copy;
    try {
        if (!ids.empty()) copy = editor::CopyElements(canvas_->database(), group, ids);
    } catch (const db::Error&) {
        copy.rows.clear();
    }
    if (copy.rows.empty()) {
        QApplication::beep();
        return false;
    }
    auto* mime = new QMimeData;
    mime->setData(Q(std::string(editor::kElementsMimeType)),
                  QByteArray::fromStdString(editor::WriteElements(copy)));
    mime->setText(
        Q(editor::DescribeElements(canvas_->database(), copy, U(Text(views_[at(group)].titleId)))));
    QGuiApplication::clipboard()->setMimeData(mime);
    if (cut) carryOut(placement_->PlanDeleteElements(group, ids));
    return true;
}

void EditorWindow::pasteElements() {
    std::shared_ptr<editor::CopiedElements> copy;
    const QString type = Q(std::string(editor::kElementsMimeType));
    if (const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        mime && mime->hasFormat(type)) {
        const QByteArray bytes = mime->data(type);
        if (auto c =
                editor::ReadElements(std::string_view(bytes.constData(), size_t(bytes.size()))))
            copy = std::make_shared<editor::CopiedElements>(std::move(*c));
    }
    // Where it goes: after the focused element, else into its own group.
    StripId group = copy ? copy->group : StripId::kTrigger;
    int64_t after = 0;
    if (lastSlot_ && lastSlot_->hasFocus()) {
        group = lastSlot_->control.strip;
        after = elementAt(lastSlot_->control);
    } else if (copy && !selection_->Empty() && selection_->Group() == copy->group) {
        after = selection_->Ids().back();
    }
    editor::EditPlan plan = placement_->PlanPaste(copy, group, after);
    if (plan.warning) {
        // The message once the key or menu has returned, as a drop's.
        runPlanLater(std::move(plan));
        return;
    }
    if (placement_->Commit(plan)) selection_->SelectAll(group, plan.Created());
}

void EditorWindow::contextMenu(CanvasItem* item, const QPoint& pos) {
    CanvasControl c = item->control;
    if (c.part == Part::kPicture && c.strip == StripId::kObjects) return offerGroups(item, pos);
    if (c.part == Part::kPicture && c.strip == StripId::kOperators) return offerMarks(item, pos);
    if (c.part == Part::kMark) return markMenu(item, pos);
    if (c.part == Part::kLabel) c.part = Part::kPicture;
    if (!editor::IsSlotGroup(c.strip) || c.part != Part::kPicture) return;
    // The menu acts on the slot it was opened on.
    StripView& v = views_[at(c.strip)];
    v.pictures[size_t(c.index - 1)]->setFocus(Qt::OtherFocusReason);
    const int64_t id = elementAt(c);
    if (id > 0 && !selection_->Contains(c.strip, id)) selectSlot(c, Qt::NoModifier);
    showCanvas();

    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuElement"));
    auto entry = [&](QMenu* m, const char* name, long textId, bool enabled,
                     std::function<void()> run) {
        QAction* a = m->addAction(Text(textId));
        a->setObjectName(QString::fromLatin1(name));
        a->setEnabled(enabled);
        connect(a, &QAction::triggered, this, std::move(run));
        return a;
    };
    if (id > 0) {
        entry(&menu, "mnuEdit", 1040, true, [this, c] {
            editor::EditPlan plan = placement_->PlanDoubleClick(c);
            if (plan.Committable() || plan.warning) runPlanLater(std::move(plan));
        });
        entry(&menu, "mnuDelete", 1513, true, [this, c] { deleteAt(c); });
        const bool movable = placement_->PlanStep(c.strip, id, -1).Committable() ||
                             placement_->PlanStep(c.strip, id, 1).Committable();
        if (movable) {
            menu.addSeparator();
            entry(&menu, "mnuMoveBack", 1927, placement_->PlanStep(c.strip, id, -1).Committable(),
                  [this, c] { moveElement(c, -1); });
            entry(&menu, "mnuMoveForward", 1928, placement_->PlanStep(c.strip, id, 1).Committable(),
                  [this, c] { moveElement(c, 1); });
        }
        menu.addSeparator();
        menu.addAction(Tool("mnucut"));
        menu.addAction(Tool("mnucopy"));
    }
    menu.addAction(Tool("mnupaste"));
    // A condition linked with the next one shown: its operator.
    if (id > 0 && editor::Info(c.strip).hasMarks() && size_t(c.index) <= v.marks.size() &&
        elementAt({c.strip, Part::kPicture, c.index + 1}) > 0) {
        menu.addSeparator();
        QMenu* ope = menu.addMenu(Text(1057));
        ope->setObjectName(QStringLiteral("mnuOperator"));
        ope->menuAction()->setObjectName(QStringLiteral("mnuOperator"));
        operatorEntries(ope, {c.strip, Part::kMark, c.index});
    }
    FocusBack back(this);
    menu.exec(pos);
}

void EditorWindow::markMenu(CanvasItem* item, const QPoint& pos) {
    const CanvasControl mark = item->control;
    const editor::Strip& s = canvas_->strip(mark.strip);
    // Only between two conditions shown.
    if (elementAt({mark.strip, Part::kPicture, mark.index}) < 1 ||
        elementAt({mark.strip, Part::kPicture, mark.index + 1}) < 1 ||
        mark.index > int(s.marks.size()))
        return;
    item->setFocus(Qt::OtherFocusReason);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuMark"));
    if (mark.strip == StripId::kCondOk) {
        QAction* dialog = menu.addAction(Text(1057) + QStringLiteral("…"));
        dialog->setObjectName(QStringLiteral("mnuOperatorDialog"));
        connect(dialog, &QAction::triggered, this, [this, mark] {
            editor::EditPlan plan = placement_->PlanDoubleClick(mark);
            if (plan.Committable()) runPlanLater(std::move(plan));
        });
        menu.addSeparator();
    }
    operatorEntries(&menu, mark);
    FocusBack back(this);
    menu.exec(pos);
}

void EditorWindow::operatorEntries(QMenu* menu, const CanvasControl& mark) {
    const editor::Strip& ops = canvas_->strip(StripId::kOperators);
    const editor::Strip& s = canvas_->strip(mark.strip);
    const std::string& linked = s.marks.at(size_t(mark.index - 1)).tag;
    // What dropping each palette operator on the mark would do.
    for (int i = 1; i <= int(ops.slots.size()); ++i) {
        if (!ops.slot(i).filled()) continue;
        const CanvasControl op{StripId::kOperators, Part::kPicture, i};
        if (placement_->Effect(op, mark) != editor::DropEffect::kLink) continue;
        QAction* a = menu->addAction(Q(ops.slot(i).caption));
        a->setObjectName(QStringLiteral("imgOpe"));
        a->setProperty("index", i);
        a->setToolTip(Q(ops.slot(i).toolTip));
        a->setCheckable(true);
        a->setChecked(linked == ops.slot(i).labelTag);
        connect(a, &QAction::triggered, this,
                [this, op, mark] { carryOut(placement_->PlanDrop(op, mark)); });
    }
    // A link goes as when dragged onto the operator palette.
    if (placement_->CanDrag(mark)) {
        QAction* a = menu->addAction(Text(1513));
        a->setObjectName(QStringLiteral("mnuUnlink"));
        connect(a, &QAction::triggered, this, [this, mark] { deleteAt(mark); });
    }
}

void EditorWindow::offerMarks(CanvasItem* item, const QPoint& pos) {
    const CanvasControl op{StripId::kOperators, Part::kPicture, item->control.index};
    if (!placement_->CanDrag(op)) return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("mnuLinkAt"));
    // Every place between two conditions shown where the drop would link.
    for (StripId g : {StripId::kCondOk, StripId::kCondKo}) {
        const StripView& v = views_[at(g)];
        for (size_t i = 0; i < v.marks.size(); ++i) {
            const CanvasControl mark{g, Part::kMark, int(i) + 1};
            if (!placement_->PlanDrop(op, mark).Committable()) continue;
            QAction* a = menu.addAction(v.marks[i]->accessibleName());
            a->setObjectName(QString::fromLatin1(editor::ControlName(mark)));
            a->setProperty("index", mark.index);
            connect(a, &QAction::triggered, this,
                    [this, op, mark] { carryOut(placement_->PlanDrop(op, mark)); });
        }
    }
    if (menu.isEmpty()) {
        QApplication::beep();
        return;
    }
    FocusBack back(this);
    menu.exec(pos);
}

void EditorWindow::deleteAt(const CanvasControl& c) {
    if (c.part == Part::kMark) {
        // A link, as when dragged onto the operator palette (the bin takes
        // only the conditions' links).
        if (placement_->CanDrag(c))
            carryOut(placement_->PlanDrop(c, {StripId::kOperators, Part::kFrame, 0}));
        return;
    }
    const int64_t id = elementAt(c);
    if (id > 0 && selection_->Contains(c.strip, id) && selection_->Ids().size() > 1)
        // The whole selection, as one step.
        carryOut(placement_->PlanDeleteElements(c.strip, selection_->Ids()));
    else if (placement_->CanDrag(c))
        carryOut(placement_->PlanDrop(c, CanvasControl::Trash()));
}

void EditorWindow::moveElement(const CanvasControl& c, int delta) {
    const int64_t id = elementAt(c);
    editor::EditPlan plan = placement_->PlanStep(c.strip, id, delta);
    if (!plan.Committable() || !placement_->Commit(plan)) return;
    // The focus follows the element, scrolling the group when it left the
    // slots shown.
    const editor::Strip& s = canvas_->strip(c.strip);
    if (!s.slotOfId(id)) {
        if (delta < 0)
            canvas_->ScrollBack(c.strip);
        else
            canvas_->ScrollForward(c.strip);
    }
    if (const int slot = s.slotOfId(id)) {
        views_[at(c.strip)].pictures[size_t(slot - 1)]->setFocus(Qt::OtherFocusReason);
        selection_->Select(c.strip, id);
    }
    showCanvas();
}

CanvasControl EditorWindow::insertTarget(StripId group) const {
    const editor::Strip& s = canvas_->strip(group);
    for (int i = 1; i <= int(s.slots.size()); ++i)
        if (!s.slot(i).filled()) return {group, Part::kPicture, i};
    return {group, Part::kFrame, 0};
}

void EditorWindow::offerGroups(CanvasItem* item, const QPoint& pos) {
    const CanvasControl source{StripId::kObjects, Part::kPicture, item->control.index};
    if (!placement_->CanDrag(source)) return;
    FocusBack back(this);
    const auto group = chooseGroup(pos, [&](StripId g) {
        return placement_->Effect(source, insertTarget(g)) == editor::DropEffect::kCreate;
    });
    if (!group) return;
    carryOut(placement_->PlanDrop(source, insertTarget(*group)));
}

bool EditorWindow::keyPressed(CanvasItem* item, QKeyEvent* event) {
    const CanvasControl c = item->control;
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool group = editor::IsSlotGroup(c.strip);
    StripView& v = views_[at(c.strip)];

    if (key == Qt::Key_Menu || (key == Qt::Key_F10 && mods == Qt::ShiftModifier)) {
        contextMenu(item, item->mapToGlobal(item->rect().center()));
        return true;
    }
    if (c.part == Part::kScrollBack || c.part == Part::kScrollForward ||
        (c.strip == StripId::kFamilies && c.part == Part::kPicture)) {
        if (mods != Qt::NoModifier || !(enter || key == Qt::Key_Space)) return false;
        clicked(item);
        return true;
    }
    if ((c.strip == StripId::kObjects || c.strip == StripId::kOperators) &&
        c.part == Part::kPicture &&
        ((enter && mods == Qt::NoModifier) || (key == Qt::Key_I && mods == Qt::ControlModifier))) {
        contextMenu(item, item->mapToGlobal(item->rect().bottomLeft()));
        return true;
    }
    if (group && enter && mods == Qt::NoModifier) {
        doubleClicked(item);
        return true;
    }
    if (group && key == Qt::Key_Delete && mods == Qt::NoModifier) {
        deleteAt(c);
        return true;
    }
    if (group && c.part == Part::kPicture && key == Qt::Key_Space && mods == Qt::ControlModifier) {
        selectSlot(c, Qt::ControlModifier);
        showCanvas();
        return true;
    }
    const bool back = key == Qt::Key_Up || key == Qt::Key_Left;
    const bool forward = key == Qt::Key_Down || key == Qt::Key_Right;
    if (!back && !forward) return false;
    if (mods == Qt::AltModifier) {
        // A move within the group: the drop on the neighbouring element.
        if (!group || c.part != Part::kPicture) return false;
        moveElement(c, back ? -1 : 1);
        return true;
    }
    if (mods == Qt::ShiftModifier && group && c.part == Part::kPicture) {
        // The selection grows to the neighbouring slot.
        const CanvasControl to{c.strip, Part::kPicture, c.index + (back ? -1 : 1)};
        if (to.index < 1 || size_t(to.index) > v.pictures.size()) return true;
        if (selection_->Empty() || selection_->Group() != c.strip) selectSlot(c, Qt::NoModifier);
        v.pictures[size_t(to.index - 1)]->setFocus(Qt::OtherFocusReason);
        selectSlot(to, Qt::ShiftModifier);
        showCanvas();
        return true;
    }
    if (mods != Qt::NoModifier) return false;
    // The slots of a strip in their order, with the marks between them.
    std::vector<CanvasItem*> order;
    for (size_t i = 0; i < v.pictures.size(); ++i) {
        order.push_back(v.pictures[i]);
        if (i < v.marks.size()) order.push_back(v.marks[i]);
    }
    const auto it = std::find(order.begin(), order.end(), item);
    if (it == order.end()) return false;
    const auto next = back ? (it == order.begin() ? it : it - 1) : it + 1;
    if (next != order.end() && next != it) {
        (*next)->setFocus(Qt::OtherFocusReason);
        // The selection follows the focus from slot to slot.
        if (group && (*next)->control.part == Part::kPicture) {
            selectSlot((*next)->control, Qt::NoModifier);
            showCanvas();
        }
    }
    return true;
}

void EditorWindow::runPlanLater(editor::EditPlan plan) {
    auto held = std::make_shared<editor::EditPlan>(std::move(plan));
    QMetaObject::invokeMethod(
        this, [this, held] { runPlan(*held); }, Qt::QueuedConnection);
}

void EditorWindow::runPlan(editor::EditPlan& plan) {
    FocusBack back(this);
    if (plan.warning) {
        Messages().warning(texts::GetText(kTitle), texts::GetText(plan.warning));
        return;
    }
    if (!plan.Committable()) return;
    switch (plan.Dialog()) {
        case editor::PlanDialog::kNone:
            break;
        case editor::PlanDialog::kProperty:
            ShowPropertyDialog(this, *plan.Property());
            break;
        case editor::PlanDialog::kTimeSingle:
            ShowTimeSingleDialog(this, *plan.TimeSingle(), canvas_->database());
            break;
        case editor::PlanDialog::kTimeRange:
            ShowTimeRangeDialog(this, *plan.TimeRange(), canvas_->database());
            break;
        case editor::PlanDialog::kOperator: {
            const auto& marks = views_[at(StripId::kCondOk)].marks;
            QRect rect;
            if (plan.mark >= 1 && size_t(plan.mark) <= marks.size()) {
                QWidget* m = marks[size_t(plan.mark - 1)];
                rect = QRect(m->mapToGlobal(QPoint(0, 0)), m->size());
            }
            ShowOperatorDialog(this, *plan.Operator(), rect);
            break;
        }
    }
    placement_->Commit(plan);
}

// --- tools ------------------------------------------------------------------

QAction* EditorWindow::Tool(const std::string& name) const {
    auto it = tools_.find(name);
    return it == tools_.end() ? nullptr : it->second;
}

bool EditorWindow::RunTool(const std::string& name) {
    QAction* a = Tool(name);
    if (!a || !a->isEnabled()) return false;
    a->trigger();
    return true;
}

bool EditorWindow::OpenFile(const std::string& path) {
    try {
        BusyCursor busy;
        Document().LoadPrj(path);
    } catch (const ProjectError& e) {
        showCanvas();
        Messages().warning(texts::GetText(kTitle), e.what());
        return false;
    }
    showCanvas();
    return true;
}

// Unsaved changes before another scenario or a compile: Yes saves, and a save
// that did not happen (failed, or its file dialog cancelled) stops; No goes
// on without saving; Cancel stops.
bool EditorWindow::settleChanges() {
    if (!Document().Modified()) return true;
    switch (Messages().yesNoCancel(texts::GetText(kTitle), texts::GetText(kCloseQuestion))) {
        case Answer::Yes:
            return save(false);
        case Answer::No:
            return true;
        default:
            return false;
    }
}

bool EditorWindow::save(bool askName) {
    ScenarioDocument& doc = Document();
    std::string target = doc.CurrentFile();
    if (askName || target.empty()) {
        const std::string proposed =
            target.empty() ? env::Env().documentsFolder().string() : target;
        auto f = Files().saveFile(this, Text(1035), Text(1641), QStringLiteral("*.tdx"), proposed);
        if (!f) return false;
        target = WithExtension(*f, ".tdx");
    }
    try {
        BusyCursor busy;
        doc.SaveAs(target);
    } catch (const ProjectError& e) {
        Messages().warning(texts::GetText(kTitle), e.what());
        return false;
    }
    showCanvas();
    return true;
}

void EditorWindow::newScenario() {
    if (!settleChanges()) return;
    Document().NewFile();
}

void EditorWindow::openScenario() {
    if (!settleChanges()) return;
    auto f = Files().openFile(this, Text(1510), Text(1641), QStringLiteral("*.tdx"),
                              env::Env().documentsFolder().string());
    if (f) OpenFile(WithExtension(*f, ".tdx"));
}

void EditorWindow::editDescription() {
    editor::NewNameDialog model;
    model.maxLength = kDescriptionLength;
    model.lblTesta = texts::GetText(1093);
    model.lblText = texts::GetText(1093);
    model.tag = "DESCRI";
    model.SetName(Document().Description());
    if (auto text = AskName(this, model)) Document().SetDescription(*text);
}

void EditorWindow::compile() {
    ScenarioDocument& doc = Document();
    const std::string file = doc.CurrentFile();
    if (file.empty()) return;
    // The project's record of the scenario gives the listing and the enable
    // and disable commands, as a compile from the project window does.
    std::optional<compiler::ListingScenario> record;
    if (auto project = doc.Project())
        if (auto s = project->FindByFullPath(file)) record = compiler::ListingScenarioOf(*s);
    compiler::CompileRun run("COMPILE", {{file, doc.Description(), doc.ScenarioName(), record}});
    RunCompileWindow(this, run);
}

void EditorWindow::CloseSettled() {
    settled_ = true;
    close();
    settled_ = false;
}

void EditorWindow::closeEvent(QCloseEvent* event) {
    // Unsaved changes: Yes saves and compiles; a save that did not happen keeps
    // the window open with its edits. No closes without saving, Cancel stays.
    if (!settled_ && Document().Modified()) {
        switch (Messages().yesNoCancel(texts::GetText(kTitle), texts::GetText(kCloseQuestion))) {
            case Answer::Yes:
                if (!save(false)) {
                    event->ignore();
                    return;
                }
                compile();
                break;
            case Answer::No:
                break;
            default:
                event->ignore();
                return;
        }
    }
    placement_->Leave();
    highlight_->hide();
    event->accept();
    emit closed();
}

}  // namespace tessed::ui
