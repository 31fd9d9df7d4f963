#pragma once
// frmMain, the scenario editor: a view of editor::Canvas (the six slot groups,
// the palettes, the check boxes) over the editor's document, with the
// placement rules of editor::Placement behind every drag and double-click.
//
// - Every canvas control is a widget named as the design names it
//   ("imgTrigger", "lblStepACT", "imgfraIF", "imgOPEOK", "imgCestino", ...),
//   control arrays with their 1-based index in the property "index". The
//   window translates a widget into a typed canvas control once, at its edge.
// - The widgets show the canvas model only. A change of the document (a drop,
//   a check box, an undo) schedules one full refresh of the view, run once the
//   change batch is over; scrolling and family clicks refresh at once.
// - A drag carries text/plain: the upper-cased control name of its source, a
//   space and its index ("IMGOBJ 3"). Targets accept the move while the drop
//   would have an effect and refuse it (the stop pointer) otherwise.
// - A drop is planned while the drop event runs and committed after it: a
//   drop that needs a dialog or a warning queues it, and the dialog is shown
//   from a queued call once the drop has returned; its OK commits the plan.
// - Undo and redo run on the document's edit history: one step per user action.
// - The keyboard reaches every slot and palette entry and places through the
//   same plans as the mouse: the groups offered for a palette object are the
//   ones its drop would create in, Delete is a drop on the trash, Enter a
//   double-click, Alt+Up/Down a drop on the neighbouring slot.
// - Elements of one group are selected by click (Ctrl toggles, Shift extends)
//   or by the arrow keys (Shift extends); copy, cut and paste move them
//   through the clipboard (editor::kElementsMimeType, and a plain-text
//   description for other programs); the window only moves the bytes, the
//   editor models read, check and write them.
// - A text drop naming a device file (the configurator's "ITEM,/path.xml")
//   on any slot, caption, frame, mark or scroll control of a slot group is a
//   configurator::DeviceDrop: read in the drop event, then continued from a
//   queued call (the ambiguity dialog, the palettes brought to the object,
//   the replayed palette drop with its dialog and commit). The device
//   browser (DeviceBrowser, a dock of this window) hands its devices over the
//   same way, dragged or inserted with the keyboard.
#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "model/document.h"

class QAction;
class QCheckBox;
class QFrame;
class QKeyEvent;
class QMimeData;
class QLabel;
class QMenu;
class QScrollArea;
class QToolBar;

namespace tessed {
class EditHistory;
}

namespace tessed::configurator {
class DeviceDrop;
struct DeviceListEntry;
}  // namespace tessed::configurator

// The canvas models are only named here: a member of theirs shares its name
// with a Qt keyword, so their headers come before Qt's where they are used.
namespace tessed::editor {
class Canvas;
class Placement;
class RepeatTimer;
class EditPlan;
class ElementSelection;
struct CanvasControl;
struct Picture;
enum class StripId;
enum class DragIcon;
}  // namespace tessed::editor

namespace tessed::ui {

class CanvasItem;
class DeviceBrowser;

class EditorWindow : public QMainWindow, private DocumentListener {
    Q_OBJECT
  public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    // Loads a scenario file; a failure is shown (the title text 1002 and the
    // error) and gives false.
    bool OpenFile(const std::string& path);
    // Runs a tool of the tool bar by name ("mnusave", "mnuundo"); false for an
    // unknown or disabled one.
    bool RunTool(const std::string& name);
    QAction* Tool(const std::string& name) const;

    // The widget of a canvas control by its design name and index.
    QWidget* Control(const QString& name, int index = 0) const;
    // The drag text of a drag source ("IMGOBJ 3").
    static QString DragText(const editor::CanvasControl& source);

    editor::Canvas& canvas() { return *canvas_; }
    editor::Placement& placement() { return *placement_; }
    EditHistory& history() { return *history_; }
    // The pointer the last hovered target asked for.
    editor::DragIcon HoverIcon() const;
    // How many full refreshes of the view ran.
    int RefreshCount() const { return refreshes_; }
    // Reloads the six groups from the positions they show and shows the whole
    // canvas, as after an undo.
    void RefreshAll();
    // The whole canvas with the tool bar, within the screen.
    QSize sizeHint() const override;
    // The rectangle showing where a hovering drag would land (hidden otherwise).
    QWidget* Highlight() const;
    editor::ElementSelection& selection() { return *selection_; }
    // The device browser (hidden until the tool "mnuDevices" shows it).
    DeviceBrowser* Devices() const { return devices_; }

    // Unsaved changes before the scenario goes (another project, another
    // language): text 1015, Yes saves (a save that did not happen stops), No
    // goes on, Cancel stops. True when the scenario may go.
    bool SettleChanges() { return settleChanges(); }
    // Closes without the close question: the changes were settled.
    void CloseSettled();

    // The project window's side of the editor's project tools ("mnunewprj",
    // "mnuapriprj", "mnuviewprj") and of its language menu ("mnulanguage":
    // each language a tool "mnulang", handed over with its code); set by the
    // window that opens the editor. Without it those tools are disabled.
    std::function<void(const std::string& tool, const std::string& language)> projectCommand;

    // Adds tools of other parts of the interface to an editor's "popuptools"
    // menu once, when the editor is built.
    using ToolsHook = std::function<void(EditorWindow& editor, QMenu& tools)>;
    static void SetToolsHook(ToolsHook hook);

  signals:
    // The window has closed (its unsaved changes settled).
    void closed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    friend class CanvasItem;
    struct StripView {
        QWidget* frame = nullptr;
        long titleId = 0;
        std::vector<CanvasItem*> pictures, labels, marks;
        CanvasItem* back = nullptr;
        CanvasItem* forward = nullptr;
    };

    void buildTools();
    void buildCanvas();
    QWidget* buildStrip(editor::StripId id, long titleId, bool vertical, int slotWidth,
                        QWidget* titleExtra = nullptr);
    CanvasItem* makeItem(const editor::CanvasControl& c, QWidget* parent);
    void DocumentChanged(const DocumentChange& change) override;
    void scheduleRefresh();
    // Shows the whole canvas model, the title, the description and the tools.
    void showCanvas();
    void showStrip(editor::StripId id);
    void setPicture(CanvasItem* item, const editor::Picture& picture);

    // Events of the canvas widgets.
    void clicked(CanvasItem* item, Qt::KeyboardModifiers mods = Qt::NoModifier);
    void doubleClicked(CanvasItem* item);
    void startDrag(CanvasItem* item);
    // The hover of a drag at `pos` (item coordinates) and its drop: the
    // action taken (a move within the window, a copy of another program's
    // device), Qt::IgnoreAction when refused.
    Qt::DropAction dragHover(CanvasItem* item, const QMimeData* data, const QPoint& pos);
    void dragLeave(CanvasItem* item);
    Qt::DropAction drop(CanvasItem* item, const QMimeData* data, const QPoint& pos);
    std::optional<editor::CanvasControl> sourceOf(const QMimeData* data) const;
    editor::CanvasControl targetAt(CanvasItem* item, const QPoint& pos) const;
    void showHighlight();
    // Runs a plan as a drop does: at once without dialog or warning, from a
    // queued call otherwise. False when the drop is refused.
    bool carryOut(editor::EditPlan plan);

    // Keyboard: true when the key was the canvas's.
    bool keyPressed(CanvasItem* item, QKeyEvent* event);
    void focused(CanvasItem* item);
    // The slot groups a palette object may be created in, offered in a menu
    // at `pos` (global); the chosen one gets the object's drop.
    void offerGroups(CanvasItem* item, const QPoint& pos);
    // The menu "mnuInsertInto" of the groups `offers` accepts, shown at `pos`;
    // a beep and nothing when it accepts none.
    std::optional<editor::StripId> chooseGroup(const QPoint& pos,
                                               const std::function<bool(editor::StripId)>& offers);
    // Where an inserted element lands: the group's first free slot shown, or
    // its frame when every slot shown is filled.
    editor::CanvasControl insertTarget(editor::StripId group) const;
    // What a slot holds, for assistive technology.
    QString slotName(editor::StripId id, int index) const;
    // The context menu of a canvas control at `pos` (global), from the mouse
    // or the keyboard (Menu, Shift+F10): a palette object's groups, a palette
    // operator's places, an element's or an empty slot's commands, a mark's
    // operators.
    void contextMenu(CanvasItem* item, const QPoint& pos);
    void markMenu(CanvasItem* item, const QPoint& pos);
    // The palette operators as menu entries that link at `mark`, and the
    // entry that removes its link.
    void operatorEntries(QMenu* menu, const editor::CanvasControl& mark);
    // The places between two conditions shown where a palette operator would
    // link, offered in a menu; the chosen one gets the operator's drop.
    void offerMarks(CanvasItem* item, const QPoint& pos);
    // Delete on a slot (the selection, or the element as a drop on the bin)
    // or on a mark (the link as a drop on the operator palette).
    void deleteAt(const editor::CanvasControl& c);
    // The element of a slot one place back or forward; the focus follows it.
    void moveElement(const editor::CanvasControl& c, int delta);
    // A click or an arrow key on a slot of a group: the selection follows.
    void selectSlot(const editor::CanvasControl& c, Qt::KeyboardModifiers mods);

    // The clipboard. Copy and cut take the selection, or the element of the
    // focused slot; a paste goes after the focused element (at the end of
    // the group when the focused slot is empty), or into the group it was
    // copied from when no slot of a group has the focus.
    bool copyElements(bool cut);
    void pasteElements();
    // The group and elements copy and cut take.
    std::pair<editor::StripId, std::vector<int64_t>> chosenElements() const;
    // The element a slot of a group shows (0: empty).
    int64_t elementAt(const editor::CanvasControl& c) const;

    // A configurator's drop text (two items, the second a path), else none.
    std::optional<QString> deviceText(const QMimeData* data) const;
    // A device dropped on `target`: read now, continued from a queued call.
    // False when the drop was not a device (ignored, or no object here).
    bool dropDevice(const QString& text, const editor::CanvasControl& target);
    void continueDeviceDrop();
    // A device of the browser chosen with the keyboard: a menu at `pos`
    // (global) of the groups in which it stands for an object; the chosen
    // one gets its drop on the group's first free slot shown.
    void insertDevice(const configurator::DeviceListEntry& entry, const QPoint& pos);
    // "runLX" shows only while the host enables the configurator.
    void showConfiguratorTool();

    // The plan's warning or dialog, then the commit; run from a queued call.
    void runPlan(editor::EditPlan& plan);
    void runPlanLater(editor::EditPlan plan);

    // Tools.
    bool settleChanges();
    bool save(bool askName);
    void newScenario();
    void openScenario();
    void editDescription();
    void compile();

    std::unique_ptr<editor::Canvas> canvas_;
    std::unique_ptr<EditHistory> history_;
    std::unique_ptr<editor::RepeatTimer> timer_;
    std::unique_ptr<editor::Placement> placement_;
    std::unique_ptr<editor::ElementSelection> selection_;
    // A device drop between its drop event and its queued continuation.
    std::unique_ptr<configurator::DeviceDrop> deviceDrop_;
    DeviceBrowser* devices_ = nullptr;
    // The slot of a group that had the focus last (a paste lands after it).
    CanvasItem* lastSlot_ = nullptr;
    std::vector<StripView> views_;
    std::map<std::string, QAction*> tools_;
    std::map<QString, QPixmap> pixmaps_;
    QToolBar* bar_ = nullptr;
    QScrollArea* scroller_ = nullptr;
    QLabel* caption_ = nullptr;
    QLabel* description_ = nullptr;
    QCheckBox* repeat_ = nullptr;
    QCheckBox* restart_ = nullptr;
    CanvasItem* trash_ = nullptr;
    CanvasItem* trashFrame_ = nullptr;
    QLabel* dragIcon_ = nullptr;
    QLabel* stopIcon_ = nullptr;
    QFrame* highlight_ = nullptr;
    bool hoverAccepted_ = true;
    bool refreshPending_ = false;
    bool settled_ = false;  // CloseSettled: no close question
    static ToolsHook& ToolsHookRef();
    bool restorePending_ = false;
    std::array<bool, 6> reloadPending_{};  // per slot group
    int refreshes_ = 0;
};

}  // namespace tessed::ui
