// The scenario editor on screen, started from the project window as a user
// does: slots and palettes as the canvas model says, drags sent as the events
// a real drag produces, the dialogs they open answered from timers, the close
// question, undo and redo, copy, cut and paste through the clipboard, the
// menus and the keyboard alone, the project tools, and the editor opened on a
// scenario file alone.
//
// The canvas models come before any Qt header: a member of theirs is called
// like a Qt keyword (so this file declares its test functions with Q_SLOTS).
// clang-format off
#include "editor/canvas.h"
#include "editor/control_names.h"
#include "editor/element_clipboard.h"
#include "editor/element_selection.h"
#include "editor/placement.h"
#include "model/document.h"
#include "model/edit_history.h"
// clang-format on

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <deque>
#include <functional>

#include "compiler/compile_run.h"
#include "edit.h"
#include "env/database.h"
#include "env/environment.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/scenario_file.h"
#include "model/scenario_json.h"
#include "project/session.h"
#include "support/test_env.h"
#include "ui/application.h"
#include "ui/chrome.h"
#include "ui/editor_window.h"
#include "ui/project_window.h"
#include "window_case.h"
#include "window_support.h"

using namespace tessed;
using editor::CanvasControl;
using editor::DropEffect;
using editor::Part;
using editor::StripId;
namespace fs = std::filesystem;

using test::shownWindow;
using test::whenShown;

namespace {

// What a target answered to a drag: the enter, the move and the drop.
struct DragAnswer {
    bool enter = false, move = false, drop = false;
};

// The events a real drag produces over `target` and a release there.
DragAnswer dragTo(const QString& text, QWidget* target, QPoint pos = {}, bool release = true) {
    if (pos.isNull()) pos = target->rect().center();
    QMimeData mime;
    mime.setText(text);
    DragAnswer a;
    QDragEnterEvent enter(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    a.enter = enter.isAccepted();
    QDragMoveEvent move(pos, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    a.move = move.isAccepted();
    if (release) {
        QDropEvent drop(QPointF(pos), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        a.drop = drop.isAccepted();
    }
    return a;
}

QString drag(StripId strip, Part part, int index) {
    return ui::EditorWindow::DragText({strip, part, index});
}

QString name(StripId strip, Part part) {
    return QString::fromLatin1(editor::ControlName({strip, part, 0}));
}

// The rows of `table` as `tessed dump` prints a saved file, one a line, each
// without its identity and place (a paste gives them anew).
QStringList dumpRows(const std::string& file, const std::string& table) {
    const QString json =
        QString::fromStdString(scenario::ScenarioJson(scenario::ReadScenarioFile(file)));
    QStringList out;
    bool in = false;
    for (const QString& line : json.split(QLatin1Char('\n'))) {
        if (line.trimmed().startsWith(
                QStringLiteral("\"%1\"").arg(QString::fromStdString(table)))) {
            in = true;
            continue;
        }
        if (!in) continue;
        if (!line.trimmed().startsWith(QLatin1Char('{'))) break;
        QString row = line.trimmed();
        row.remove(QRegularExpression(QStringLiteral("^\\{\"ID\": \\d+, \"ORDINE\": \\d+, ")));
        if (row.endsWith(QLatin1Char(','))) row.chop(1);
        out << row;
    }
    return out;
}

// Whole-file dumps, to compare saved states.
std::string dump(const std::string& file) {
    return scenario::ScenarioJson(scenario::ReadScenarioFile(file));
}

size_t rowsIn(const scenario::ScenarioFile& f, const std::string& table) {
    for (const auto& [t, rows] : f.tables)
        if (t == table) return rows.size();
    return 0;
}

}  // namespace

class EditorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Edit> edit_;
    std::shared_ptr<test::ScriptedMessages> messages_;
    std::shared_ptr<test::ScriptedFiles> files_;
    ui::ProjectWindow* project_ = nullptr;
    std::string key_;  // "Good morning"

    ui::EditorWindow* editor() const { return project_ ? project_->Editor() : nullptr; }
    QLabel* label(const QString& n, int index = 0) const {
        return qobject_cast<QLabel*>(editor()->Control(n, index));
    }
    QString caption(StripId s, int i) const { return label(name(s, Part::kLabel), i)->text(); }
    QString tag(StripId s, Part p, int i) const {
        return editor()->Control(name(s, p), i)->property("tag").toString();
    }

    // The demo project open in the project window.
    void startDemo(const std::string& fileToOpen = {}) {
        fs::path p = dir_->path() / "house.tdj";
        fs::copy_file(fs::path(TESSED_DEMO_PROJECT), p, fs::copy_options::overwrite_existing);
        edit_->setFileToOpen(fileToOpen.empty() ? p.string() : fileToOpen);
        edit_->Show();
        QVERIFY(QTest::qWaitFor([] { return ui::CurrentProjectWindow() != nullptr; }, 5000));
        project_ = ui::CurrentProjectWindow();
        if (!fileToOpen.empty()) return;
        for (const auto& s : *project_->Session().Project()->Scenari())
            if (s->ScriptName == "Good morning") key_ = s->Key;
        QVERIFY(!key_.empty());
    }

    // "edit" on Good morning.
    void openGoodMorning() {
        QVERIFY(project_->SelectNode(project::ScenarioNodeKey(key_)));
        QVERIFY(project_->RunTool("edit"));
        QVERIFY(editor() && editor()->isVisible());
    }

    // A palette object whose drop on `group`'s frame has `effect`, searched
    // through the families by clicking them; its object slot, or 0.
    int findObject(StripId group, DropEffect effect) {
        for (int f = 1; f <= 10; ++f) {
            QWidget* fam = editor()->Control("imgFam", f);
            if (!fam || tag(StripId::kFamilies, Part::kPicture, f).isEmpty()) break;
            QTest::mouseClick(fam, Qt::LeftButton);
            for (int i = 1; i <= 8; ++i) {
                const CanvasControl src{StripId::kObjects, Part::kPicture, i};
                if (editor()->placement().CanDrag(src) &&
                    editor()->placement().Effect(src, {group, Part::kFrame, 0}) == effect)
                    return i;
            }
        }
        return 0;
    }
    int32_t objectId(int slot) const {
        return std::stoi(editor()->canvas().strip(StripId::kObjects).slot(slot).labelTag);
    }

    // Rows written straight through the document (the editor's one change
    // path), each showing its description as caption.
    void addRows(std::string_view table, int area, int32_t idObj, const QStringList& names) {
        for (const QString& n : names) {
            ElementValues v;
            v.ID_OBJ = idObj;
            v.DESCRI = n.toStdString();
            v.area = area;
            int32_t id = 0;
            QVERIFY(Document().InsertIntoPRJ(table, v, id));
        }
    }

    // An empty new scenario in the editor.
    void newScenario() {
        QVERIFY(!Document().Modified());
        QVERIFY(editor()->RunTool("mnunew"));
        QVERIFY(Document().Modified());
    }

    // Keys to the focused widget of the editor, as a user types them: once a
    // window that closed (a dialog, a menu) has given the activation back.
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTRY_VERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), k, mods);
    }

    // Tab until `target` has the focus; false when it never does.
    bool tabTo(QWidget* target) {
        if (!QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }, 2000))
            return false;
        for (int i = 0; i < 200 && QApplication::focusWidget() != target; ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget() == target;
    }

    // The entry `entry` (object name, and `index` when not 0) of the menu
    // `menuName` that the next key opens, chosen with the arrow keys and
    // Return; true once chosen. Set up before the key.
    std::shared_ptr<bool> chooseInMenu(const QString& menuName, const QString& entry,
                                       int index = 0) {
        auto chosen = std::make_shared<bool>(false);
        QTimer::singleShot(0, [chosen, menuName, entry, index] {
            QMenu* menu = nullptr;
            QVERIFY(QTest::qWaitFor(
                [&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); },
                5000));
            QCOMPARE(menu->objectName(), menuName);
            auto matches = [&](const QAction* a) {
                return a && a->objectName() == entry &&
                       (index == 0 || a->property("index").toInt() == index);
            };
            for (int i = 0; i < 20 && !matches(menu->activeAction()); ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            *chosen = matches(menu->activeAction());
            QTest::keyClick(menu, *chosen ? Qt::Key_Return : Qt::Key_Escape);
        });
        return chosen;
    }

    // The palette object `obj` offered for insertion with Enter, the group
    // `frame` chosen in the menu with the arrow keys, and the property dialog
    // confirmed with `text` as its description.
    void insertWithKeys(int obj, const QString& frame, const QString& text) {
        QVERIFY(tabTo(editor()->Control("imgObj", obj)));
        // Shared: a menu that never shows leaves the timer to a later loop.
        auto chosen = std::make_shared<bool>(false);
        QTimer::singleShot(0, [chosen, frame, text] {
            QMenu* menu = nullptr;
            QVERIFY(QTest::qWaitFor(
                [&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); },
                5000));
            QCOMPARE(menu->objectName(), QStringLiteral("mnuInsertInto"));
            for (int i = 0;
                 i < 10 && !(menu->activeAction() && menu->activeAction()->objectName() == frame);
                 ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            *chosen = menu->activeAction() && menu->activeAction()->objectName() == frame;
            QTest::keyClick(menu, *chosen ? Qt::Key_Return : Qt::Key_Escape);
        });
        key(Qt::Key_Return);
        QVERIFY(*chosen);
        // The dialog comes from a queued call, once the key has returned.
        QVERIFY(!shownWindow("frmProp"));
        whenShown("frmProp", [text](QWidget* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtDescri"), text);
            QTRY_VERIFY(d->findChild<QPushButton*>("cmdOK")->isEnabled());
            QTest::keyClick(d, Qt::Key_Return);
        });
    }

    test::WindowCase windowCase() { return {dir_, messages_, files_, edit_}; }

  private Q_SLOTS:
    void init() {
        windowCase().start();
        project_ = nullptr;
        key_.clear();
    }

    void cleanup() { windowCase().end(); }

    void editOpensTheScenarioInPlaceOfTheProjectWindow() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        QVERIFY(!project_->isVisible());
        QCOMPARE(label("lblCaption")->text(), ui::Text(1096) + QStringLiteral(" Good morning"));
        QCOMPARE(label("lblDescriScript")->text(), ui::Q(Document().Description()));
        QVERIFY(!Document().Description().empty());
        // Every slot shows the model's caption; the demo fills some of them.
        int filled = 0;
        for (StripId g : editor::kSlotGroups) {
            const auto& strip = e->canvas().strip(g);
            for (int i = 1; label(name(g, Part::kLabel), i); ++i) {
                QCOMPARE(caption(g, i), ui::Q(strip.slot(i).caption));
                QCOMPARE(label(name(g, Part::kPicture), i)->toolTip(),
                         ui::Q(strip.slot(i).toolTip));
                if (strip.slot(i).filled()) ++filled;
            }
            QCOMPARE(e->Control(name(g, Part::kScrollForward))->isVisibleTo(e),
                     strip.scrollVisible);
        }
        QVERIFY(filled >= 3);
        // The current family shows its selected picture, the others their own.
        auto familyPicture = [&](int i) {
            return fs::path(label("imgFam", i)->property("picture").toString().toStdString())
                .filename()
                .string();
        };
        QCOMPARE(familyPicture(1), std::string("lightsp.gif"));
        QTest::mouseClick(e->Control("imgFam", 2), Qt::LeftButton);
        QCOMPARE(familyPicture(1), std::string("lights.gif"));
        QVERIFY(familyPicture(2).ends_with("p.gif"));

        // Compiled meanwhile: the project window reads the state again on close.
        auto s = project_->Session().Project()->Scenari()->Item(key_);
        test::WriteText(compiler::CompileRun::SptPath(s->FullPath), "compiled");
        QVERIFY(e->close());
        QTRY_VERIFY(project_->isVisible());
        QTRY_VERIFY(!project_->Editor());
        QCOMPARE(project_->NodeItem(project::ScenarioNodeKey(key_))
                     ->data(0, Qt::UserRole + 2)
                     .toString(),
                 QStringLiteral("scriptok"));
        QVERIFY(messages_->calls.empty());
    }

    void aPaletteObjectOnTheActionsOpensItsDialogAndOkAddsTheAction() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        const int obj = findObject(StripId::kStepAct, DropEffect::kCreate);
        QVERIFY(obj);
        int next = 1;
        while (!tag(StripId::kStepAct, Part::kPicture, next).isEmpty()) ++next;
        QVERIFY(next <= 10);
        const size_t before =
            rowsIn(scenario::ReadScenarioFile(Document().CurrentFile()), "TMP_STEP_ACT");
        int maxLength = 0;
        const DragAnswer a =
            dragTo(drag(StripId::kObjects, Part::kPicture, obj), e->Control("imgfraACT"));
        // The dialog waits for the drop to have returned.
        QVERIFY(!shownWindow("frmProp"));
        whenShown("frmProp", [&](QWidget* d) {
            maxLength = d->findChild<QLineEdit*>("txtDescri")->maxLength();
            QTest::keyClicks(d->findChild<QLineEdit*>("txtDescri"), "Hall light");
            auto* ok = d->findChild<QPushButton*>("cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QVERIFY(a.enter && a.move && a.drop);
        QCOMPARE(e->HoverIcon(), editor::DragIcon::kDrag);
        QTRY_VERIFY(!tag(StripId::kStepAct, Part::kPicture, next).isEmpty());
        QCOMPARE(maxLength, 15);
        QCOMPARE(caption(StripId::kStepAct, next), QStringLiteral("Hall light"));
        QVERIFY(e->isWindowModified());
        QVERIFY(e->RunTool("mnusave"));
        QVERIFY(!e->isWindowModified());
        const auto file = scenario::ReadScenarioFile(Document().CurrentFile());
        QCOMPARE(rowsIn(file, "TMP_STEP_ACT"), before + 1);
    }

    void refusedDropsShowTheStopPointerAndChangeNothing() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        const int obj = findObject(StripId::kStepAct, DropEffect::kRefuse);
        QVERIFY(obj);
        const uint64_t revision = Document().Revision();
        const int refreshes = e->RefreshCount();
        struct Case {
            QString source;
            QWidget* target;
        };
        const Case cases[] = {
            {drag(StripId::kObjects, Part::kPicture, obj), e->Control("imgfraACT")},
            {drag(StripId::kObjects, Part::kPicture, obj), e->Control("imgICOStepACT", 1)},
            // Another program's text is no drag of this window.
            {QStringLiteral("hello world"), e->Control("imgfraACT")},
            {QStringLiteral("IMGOBJ 99"), e->Control("imgfraEvent")},
        };
        for (const Case& c : cases) {
            const DragAnswer a = dragTo(c.source, c.target);
            QVERIFY2(!a.move && !a.drop, qPrintable(c.source));
            QCOMPARE(e->HoverIcon(), editor::DragIcon::kStop);
            QVERIFY(e->Highlight()->isHidden());
        }
        QTest::qWait(50);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(Document().Revision(), revision);
        QCOMPARE(e->RefreshCount(), refreshes);
        QVERIFY(messages_->calls.empty());
    }

    void theTwentyFirstTriggerIsRefusedWithAWarning() {
        startDemo();
        openGoodMorning();
        newScenario();
        const int obj = findObject(StripId::kTrigger, DropEffect::kCreate);
        QVERIFY(obj);
        QStringList names;
        for (int i = 1; i <= 20; ++i) names << QStringLiteral("T%1").arg(i);
        addRows("TMP_TRIGGER", 3, objectId(obj), names);
        const uint64_t revision = Document().Revision();
        const DragAnswer a =
            dragTo(drag(StripId::kObjects, Part::kPicture, obj), editor()->Control("imgfraEvent"));
        QVERIFY(a.move && a.drop);
        QTRY_COMPARE(messages_->calls.size(), size_t(1));
        QCOMPARE(messages_->calls[0].kind, std::string("warning"));
        QCOMPARE(messages_->calls[0].text, texts::GetText(1561));
        QVERIFY(!shownWindow("frmProp") && !shownWindow("frmTimeSingle"));
        QCOMPARE(Document().Revision(), revision);
    }

    void operatorsLinkConditionsAndTheBinDeletesThemUndoAndRedo() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        const int obj = findObject(StripId::kCondOk, DropEffect::kCreate);
        QVERIFY(obj);
        addRows("TMP_COND_OK", 4, objectId(obj), {"A", "B"});
        QTRY_COMPARE(caption(StripId::kCondOk, 2), QStringLiteral("B"));
        QCOMPARE(tag(StripId::kCondOk, Part::kMark, 1), QStringLiteral("?"));

        // A palette operator dropped on the mark between them links them.
        const QString op = tag(StripId::kOperators, Part::kLabel, 1);
        QVERIFY(!op.isEmpty());
        const int refreshes = e->RefreshCount();
        DragAnswer a =
            dragTo(drag(StripId::kOperators, Part::kPicture, 1), e->Control("imgOPEOK", 1));
        QVERIFY(a.move && a.drop);
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), op);
        QCOMPARE(e->RefreshCount(), refreshes + 1);  // one refresh for the drop's changes
        QVERIFY(!label("imgOPEOK", 1)->pixmap().isNull());

        // The first condition into the bin: it goes with its link.
        a = dragTo(drag(StripId::kCondOk, Part::kPicture, 1), e->Control("imgCestino"));
        QVERIFY(a.move && a.drop);
        QTRY_COMPARE(caption(StripId::kCondOk, 1), QStringLiteral("B"));
        QCOMPARE(caption(StripId::kCondOk, 2), QString());
        QCOMPARE(tag(StripId::kCondOk, Part::kMark, 1), QString());

        // Undo and redo through their keys, one drop at a time.
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kCondOk, 1), QStringLiteral("A"));
        QCOMPARE(tag(StripId::kCondOk, Part::kMark, 1), op);
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), QStringLiteral("?"));
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), op);
        QVERIFY(e->Tool("mnuredo")->isEnabled());
        QVERIFY(e->Tool("mnuundo")->isEnabled());
    }

    void doubleClickingAMarkOpensTheOperatorDialogBesideIt() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        const int obj = findObject(StripId::kCondOk, DropEffect::kCreate);
        QVERIFY(obj);
        addRows("TMP_COND_OK", 4, objectId(obj), {"A", "B"});
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), QStringLiteral("?"));
        QWidget* mark = e->Control("imgOPEOK", 1);
        const QRect markRect(mark->mapToGlobal(QPoint(0, 0)), mark->size());
        QTest::mouseDClick(mark, Qt::LeftButton);
        QRect dialog;
        whenShown("frmOpe", [&](QWidget* d) {
            dialog = d->frameGeometry();
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), QStringLiteral("1"));
        QVERIFY(dialog.isValid());
        QVERIFY2(dialog.left() > markRect.right() || dialog.right() < markRect.left(),
                 "the dialog stands beside the mark");
    }

    void undoBackToTheSavedStateReadsUnmodified() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        QVERIFY(!e->isWindowModified() && !e->Tool("mnuundo")->isEnabled());
        QVERIFY(!tag(StripId::kStepAct, Part::kPicture, 1).isEmpty());
        const QString first = caption(StripId::kStepAct, 1);
        QVERIFY(dragTo(drag(StripId::kStepAct, Part::kPicture, 1), e->Control("imgfraOBJ")).drop);
        QTRY_VERIFY(e->isWindowModified());
        QVERIFY(e->RunTool("mnuundo"));
        QTRY_VERIFY(!e->isWindowModified());
        QCOMPARE(caption(StripId::kStepAct, 1), first);
        QVERIFY(!Document().Modified());
        QVERIFY(e->RunTool("mnuredo"));
        QTRY_VERIFY(e->isWindowModified());
        // Nothing to settle once undone: the editor closes without a question.
        QVERIFY(e->RunTool("mnuundo"));
        QTRY_VERIFY(!e->isWindowModified());
        QVERIFY(e->close());
        QVERIFY(messages_->calls.empty());
    }

    void hoveringAScrollControlScrollsEveryHalfSecondToTheEnd() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        const int obj = findObject(StripId::kTrigger, DropEffect::kCreate);
        QVERIFY(obj);
        addRows("TMP_TRIGGER", 3, objectId(obj), {"T1", "T2", "T3", "T4", "T5"});
        QTRY_COMPARE(caption(StripId::kTrigger, 1), QStringLiteral("T1"));
        QWidget* down = e->Control("imgDWNTrigger");
        QVERIFY(down->isVisibleTo(e));
        QElapsedTimer clock;
        clock.start();
        dragTo(drag(StripId::kTrigger, Part::kPicture, 1), down, {}, false);
        QVERIFY(e->placement().Scrolling());
        QTRY_COMPARE_WITH_TIMEOUT(caption(StripId::kTrigger, 1), QStringLiteral("T2"), 2000);
        QVERIFY2(clock.elapsed() >= 450, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE_WITH_TIMEOUT(caption(StripId::kTrigger, 1), QStringLiteral("T3"), 2000);
        QTRY_COMPARE_WITH_TIMEOUT(caption(StripId::kTrigger, 1), QStringLiteral("T4"), 2000);
        QVERIFY(clock.elapsed() >= 1400);
        QCOMPARE(caption(StripId::kTrigger, 3), QString());
        // The last slot is empty: the scrolling stops there.
        QTRY_VERIFY(!e->placement().Scrolling());
        QTest::qWait(600);
        QCOMPARE(caption(StripId::kTrigger, 1), QStringLiteral("T4"));

        // Leaving the control stops it at once.
        dragTo(drag(StripId::kTrigger, Part::kPicture, 1), e->Control("imgUpTrigger"), {}, false);
        QVERIFY(e->placement().Scrolling());
        QDragLeaveEvent leave;
        QApplication::sendEvent(e->Control("imgUpTrigger"), &leave);
        QVERIFY(!e->placement().Scrolling());
        QTest::qWait(600);
        QCOMPARE(caption(StripId::kTrigger, 1), QStringLiteral("T4"));
    }

    void closingAsksAndAFailedSaveKeepsTheEdits() {
        startDemo();
        openGoodMorning();
        const std::string file = Document().CurrentFile();
        const std::string saved = test::ReadText(file);
        auto removeFirstAction = [&] {
            QVERIFY(
                dragTo(drag(StripId::kStepAct, Part::kPicture, 1), editor()->Control("imgCestino"))
                    .drop);
            QTRY_VERIFY(editor()->isWindowModified());
        };
        removeFirstAction();
        // Cancel: the editor stays, with its edits.
        messages_->answers = {Answer::Cancel};
        QVERIFY(!editor()->close());
        QVERIFY(editor()->isVisible() && Document().Modified());
        QCOMPARE(messages_->calls.back().text, texts::GetText(1015));
        // No: closes without saving.
        messages_->answers = {Answer::No};
        QVERIFY(editor()->close());
        QTRY_VERIFY(project_->isVisible());
        QCOMPARE(test::ReadText(file), saved);
        // Yes: saves and compiles, then closes.
        openGoodMorning();
        removeFirstAction();
        messages_->answers = {Answer::Yes};
        bool compiled = false;
        whenShown("frmLog", [&](QWidget* w) {
            auto* ok = w->findChild<QPushButton*>("cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            compiled = true;
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QVERIFY(editor()->close());
        QVERIFY(compiled);
        QTRY_VERIFY(project_->isVisible());
        QVERIFY(test::ReadText(file) != saved);
        QVERIFY(fs::exists(compiler::CompileRun::SptPath(file)));

        // A new scenario whose save dialog is cancelled: the editor stays open
        // with the scenario as it was.
        openGoodMorning();
        newScenario();
        addRows("TMP_COND_OK", 4, 1, {"kept"});
        QTRY_COMPARE(caption(StripId::kCondOk, 1), QStringLiteral("kept"));
        messages_->answers = {Answer::Yes};
        const int asked = files_->asked;
        QVERIFY(!editor()->close());
        QCOMPARE(files_->asked, asked + 1);
        QVERIFY(editor()->isVisible() && Document().Modified());
        QVERIFY(!project_->isVisible());
        QCOMPARE(caption(StripId::kCondOk, 1), QStringLiteral("kept"));
    }

    void theKeyboardInsertsALightIntoTheActionsAsADropDoes() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        // The lights: the first family, chosen with the keyboard.
        QVERIFY(tabTo(e->Control("imgFam", 1)));
        key(Qt::Key_Space);
        QCOMPARE(fs::path(label("imgFam", 1)->property("picture").toString().toStdString())
                     .filename()
                     .string(),
                 std::string("lightsp.gif"));
        int obj = 0;
        for (int i = 1; i <= 8 && !obj; ++i) {
            const CanvasControl src{StripId::kObjects, Part::kPicture, i};
            if (e->placement().CanDrag(src) &&
                e->placement().Effect(src, {StripId::kStepAct, Part::kFrame, 0}) ==
                    DropEffect::kCreate)
                obj = i;
        }
        QVERIFY(obj);
        int next = 1;
        while (!tag(StripId::kStepAct, Part::kPicture, next).isEmpty()) ++next;
        const uint64_t revision = Document().Revision();

        insertWithKeys(obj, QStringLiteral("imgfraACT"), QStringLiteral("Hall light"));
        QTRY_COMPARE(caption(StripId::kStepAct, next), QStringLiteral("Hall light"));
        QVERIFY(Document().Revision() != revision);
        QVERIFY(e->RunTool("mnusave"));
        const auto byKeys = scenario::ReadScenarioFile(Document().CurrentFile()).tables;

        // The same object dragged onto the actions stores the same rows.
        QVERIFY(e->RunTool("mnuundo"));
        QTRY_COMPARE(caption(StripId::kStepAct, next), QString());
        QVERIFY(dragTo(drag(StripId::kObjects, Part::kPicture, obj), e->Control("imgfraACT")).drop);
        whenShown("frmProp", [](QWidget* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtDescri"), "Hall light");
            auto* ok = d->findChild<QPushButton*>("cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QTRY_COMPARE(caption(StripId::kStepAct, next), QStringLiteral("Hall light"));
        QVERIFY(e->RunTool("mnusave"));
        QVERIFY(scenario::ReadScenarioFile(Document().CurrentFile()).tables == byKeys);
        QVERIFY(messages_->calls.empty());
    }

    void deleteRemovesTheFocusedConditionAndAltArrowsMoveIt() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const int obj = findObject(StripId::kCondOk, DropEffect::kCreate);
        QVERIFY(obj);
        addRows("TMP_COND_OK", 4, objectId(obj), {"A", "B", "C"});
        QTRY_COMPARE(caption(StripId::kCondOk, 3), QStringLiteral("C"));

        // Alt+Down on A: the drop of A on the next slot.
        QVERIFY(tabTo(e->Control("imgCondOK", 1)));
        key(Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(caption(StripId::kCondOk, 1) != QStringLiteral("A"));
        const QStringList byKeys = {caption(StripId::kCondOk, 1), caption(StripId::kCondOk, 2),
                                    caption(StripId::kCondOk, 3)};
        QCOMPARE(QApplication::focusWidget(), e->Control("imgCondOK", 2));
        key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kCondOk, 1), QStringLiteral("A"));
        QVERIFY(dragTo(drag(StripId::kCondOk, Part::kPicture, 1), e->Control("imgCondOK", 2)).drop);
        QTRY_VERIFY(caption(StripId::kCondOk, 1) != QStringLiteral("A"));
        QCOMPARE((QStringList{caption(StripId::kCondOk, 1), caption(StripId::kCondOk, 2),
                              caption(StripId::kCondOk, 3)}),
                 byKeys);
        key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kCondOk, 1), QStringLiteral("A"));

        // Delete on the second condition: the drop of B on the bin.
        QVERIFY(tabTo(e->Control("imgCondOK", 1)));
        key(Qt::Key_Right);  // the mark between A and B
        key(Qt::Key_Right);
        QCOMPARE(QApplication::focusWidget(), e->Control("imgCondOK", 2));
        key(Qt::Key_Delete);
        QTRY_COMPARE(caption(StripId::kCondOk, 2), QStringLiteral("C"));
        QCOMPARE(caption(StripId::kCondOk, 1), QStringLiteral("A"));
        QCOMPARE(caption(StripId::kCondOk, 3), QString());
        // One step of the history, as the drop.
        key(Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kCondOk, 2), QStringLiteral("B"));
        QVERIFY(messages_->calls.empty());
    }

    void everySlotTakesTheKeyboardAndSaysWhatItHolds() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        for (int s = 0; s < editor::kStripCount; ++s) {
            const auto id = static_cast<StripId>(s);
            const auto& strip = e->canvas().strip(id);
            QSet<QString> names;
            int count = 0;
            for (int i = 1; QWidget* pic = e->Control(name(id, Part::kPicture), i); ++i) {
                ++count;
                const QString n = pic->accessibleName();
                QVERIFY2(!n.isEmpty(), qPrintable(pic->objectName()));
                QCOMPARE(e->Control(name(id, Part::kLabel), i)->accessibleName(), n);
                QVERIFY(pic->focusPolicy() & Qt::TabFocus);
                if (!strip.slot(i).caption.empty())
                    QVERIFY2(n.contains(ui::Q(strip.slot(i).caption).simplified()), qPrintable(n));
                names.insert(n);
            }
            // Each slot says which one it is.
            QVERIFY(count >= 2);
            QCOMPARE(int(names.size()), count);
        }
        for (int i = 1; i <= 2; ++i)
            QVERIFY(!e->Control("imgOPEOK", i)->accessibleName().isEmpty());
    }

    void copiedActionsPasteIntoAnotherScenarioAsTheyWereStored() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const std::string source = Document().CurrentFile();
        QVERIFY(!tag(StripId::kStepAct, Part::kPicture, 3).isEmpty());
        const QStringList captions = {caption(StripId::kStepAct, 1), caption(StripId::kStepAct, 2)};
        // Two actions: a click on the first, Shift and a click on the second.
        QTest::mouseClick(e->Control("imgICOStepACT", 1), Qt::LeftButton);
        QTest::mouseClick(e->Control("imgICOStepACT", 2), Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(e->selection().Ids().size(), size_t(2));
        QVERIFY(e->Control("imgICOStepACT", 2)->property("selected").toBool());
        QVERIFY(e->Control("lblStepACT", 1)->property("selected").toBool());
        QVERIFY(!e->Control("imgICOStepACT", 3)->property("selected").toBool());
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime && mime->hasFormat(ui::Q(std::string(editor::kElementsMimeType))));
        // Other programs get what the slots say: the group, then each element.
        const QStringList text = mime->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(text.size(), 3);
        QCOMPARE(text[0], ui::Text(1021));
        QVERIFY2(text[1].contains(captions[0]), qPrintable(text[1]));
        const QStringList copied = dumpRows(source, "TMP_STEP_ACT").mid(0, 2);
        QCOMPARE(copied.size(), 2);

        // Another scenario: the paste goes into its actions, as one step.
        QVERIFY(e->RunTool("mnunew"));
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 2), captions[1]);
        QCOMPARE(caption(StripId::kStepAct, 1), captions[0]);
        QCOMPARE(e->history().UndoSteps(), size_t(1));
        // The pasted elements are the selection now.
        QVERIFY(e->Control("imgICOStepACT", 1)->property("selected").toBool());
        const std::string other = (dir_->path() / "other.tdx").string();
        files_->answers = {other};
        QVERIFY(e->RunTool("mnusave"));
        QCOMPARE(dumpRows(other, "TMP_STEP_ACT"), copied);
        QVERIFY(messages_->calls.empty());
    }

    void aCutAndItsPasteAreOneUndoStepEach() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const std::string file = Document().CurrentFile();
        QVERIFY(e->RunTool("mnusave"));
        const std::string start = dump(file);
        const QStringList was = {caption(StripId::kStepAct, 1), caption(StripId::kStepAct, 2),
                                 caption(StripId::kStepAct, 3), caption(StripId::kStepAct, 4)};
        QVERIFY(!was[3].isEmpty());
        // The first and third actions, Ctrl and a click adding the third.
        QTest::mouseClick(e->Control("imgICOStepACT", 1), Qt::LeftButton);
        QTest::mouseClick(e->Control("imgICOStepACT", 3), Qt::LeftButton, Qt::ControlModifier);
        QTest::keyClick(e, Qt::Key_X, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 1), was[1]);
        QCOMPARE(caption(StripId::kStepAct, 2), was[3]);
        QCOMPARE(caption(StripId::kStepAct, 3), QString());
        QVERIFY(e->RunTool("mnusave"));
        const std::string cut = dump(file);
        // Pasted after the action that is first now.
        QTest::mouseClick(e->Control("imgICOStepACT", 1), Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 2), was[0]);
        QCOMPARE(caption(StripId::kStepAct, 3), was[2]);
        QCOMPARE(caption(StripId::kStepAct, 4), was[3]);
        QVERIFY(e->RunTool("mnusave"));
        const std::string pasted = dump(file);
        QCOMPARE(e->history().UndoSteps(), size_t(2));

        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 2), was[3]);
        QVERIFY(e->RunTool("mnusave"));
        QCOMPARE(dump(file), cut);
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 1), was[0]);
        QVERIFY(e->RunTool("mnusave"));
        QCOMPARE(dump(file), start);
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 2), was[0]);
        QVERIFY(e->RunTool("mnusave"));
        QCOMPARE(dump(file), pasted);
        QVERIFY(messages_->calls.empty());
    }

    void aPasteIntoAFullGroupOrOfForeignBytesChangesNothing() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const int obj = findObject(StripId::kTrigger, DropEffect::kCreate);
        QVERIFY(obj);
        QStringList names;
        for (int i = 1; i <= 20; ++i) names << QStringLiteral("T%1").arg(i);
        addRows("TMP_TRIGGER", 3, objectId(obj), names);
        QTRY_COMPARE(caption(StripId::kTrigger, 1), QStringLiteral("T1"));
        QTest::mouseClick(e->Control("imgTrigger", 1), Qt::LeftButton);
        QTest::keyClick(e, Qt::Key_C, Qt::ControlModifier);
        const uint64_t revision = Document().Revision();
        const size_t steps = e->history().UndoSteps();
        QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
        // The warning waits for the key to have returned, as a drop's does.
        QTRY_COMPARE(messages_->calls.size(), size_t(1));
        QCOMPARE(messages_->calls[0].kind, std::string("warning"));
        QCOMPARE(messages_->calls[0].text, texts::GetText(1561));
        QCOMPARE(Document().Revision(), revision);

        // Bytes of our type that are no copy of ours, and a copy that is
        // damaged: refused with a message, nothing changed.
        const QString type = ui::Q(std::string(editor::kElementsMimeType));
        static const char kGarbage[] = "\x00\x01garbage{\"format\"";
        for (const QByteArray& bytes :
             {QByteArray(kGarbage, sizeof kGarbage - 1),
              QByteArray(R"({"format":"tessed-elements","version":1,"table":"TMP_TRIGGER",)"
                         R"("rows":[{"ID_OBJ":"DROP TABLE"}],"links":[]})")}) {
            auto* mime = new QMimeData;
            mime->setData(type, bytes);
            QGuiApplication::clipboard()->setMimeData(mime);
            const size_t calls = messages_->calls.size();
            QTest::keyClick(e, Qt::Key_V, Qt::ControlModifier);
            QTRY_COMPARE(messages_->calls.size(), calls + 1);
            QCOMPARE(messages_->calls.back().text, texts::GetText(1929));
        }
        QCOMPARE(Document().Revision(), revision);
        QCOMPARE(e->history().UndoSteps(), steps);
        QCOMPARE(env::Env().master().queryOne("SELECT COUNT(*) FROM TMP_TRIGGER")->at(0).toInt(),
                 int64_t(20));
    }

    // Insert a light into the actions, move it back, link two conditions,
    // change their operator and delete an element, by the keyboard alone;
    // then the same with the mouse: the saved files are the same.
    void theKeyboardAloneBuildsWhatTheMouseBuilds() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const int cond = findObject(StripId::kCondOk, DropEffect::kCreate);
        QVERIFY(cond);
        addRows("TMP_COND_OK", 4, objectId(cond), {"A", "B"});
        const int act = findObject(StripId::kStepAct, DropEffect::kCreate);
        QVERIFY(act);
        addRows("TMP_STEP_ACT", 5, objectId(act), {"X", "Y"});
        QTRY_COMPARE(caption(StripId::kStepAct, 2), QStringLiteral("Y"));
        QCOMPARE(tag(StripId::kCondOk, Part::kMark, 1), QStringLiteral("?"));
        const QString and_ = tag(StripId::kOperators, Part::kLabel, 1);
        const QString or_ = tag(StripId::kOperators, Part::kLabel, 2);
        QVERIFY(!and_.isEmpty() && !or_.isEmpty() && and_ != or_);
        const std::string start = (dir_->path() / "start.tdx").string();
        files_->answers = {start};
        QVERIFY(e->RunTool("mnusave"));

        // From here on no mouse event reaches the application.
        struct MouseWatch : QObject {
            int events = 0;
            bool eventFilter(QObject*, QEvent* ev) override {
                const auto t = ev->type();
                if (t == QEvent::MouseButtonPress || t == QEvent::MouseButtonRelease ||
                    t == QEvent::MouseButtonDblClick)
                    ++events;
                return false;
            }
        } watch;
        qApp->installEventFilter(&watch);
        QVERIFY(tabTo(e->Control("imgFam", 1)));
        key(Qt::Key_Space);
        int light = 0;
        for (int i = 1; i <= 8 && !light; ++i) {
            const CanvasControl src{StripId::kObjects, Part::kPicture, i};
            if (e->placement().CanDrag(src) &&
                e->placement().Effect(src, {StripId::kStepAct, Part::kFrame, 0}) ==
                    DropEffect::kCreate)
                light = i;
        }
        QVERIFY(light);
        // 1. The light into the actions, third.
        insertWithKeys(light, QStringLiteral("imgfraACT"), QStringLiteral("Hall light"));
        QTRY_COMPARE(caption(StripId::kStepAct, 3), QStringLiteral("Hall light"));
        // 2. Moved back one place from its menu (Shift+F10).
        QVERIFY(tabTo(e->Control("imgICOStepACT", 3)));
        auto moved = chooseInMenu(QStringLiteral("mnuElement"), QStringLiteral("mnuMoveBack"));
        key(Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(*moved);
        QCOMPARE(caption(StripId::kStepAct, 2), QStringLiteral("Hall light"));
        QTRY_COMPARE(QApplication::focusWidget(), e->Control("imgICOStepACT", 2));
        // 3. The first palette operator between A and B (Enter on it).
        QVERIFY(tabTo(e->Control("imgOpe", 1)));
        auto linked = chooseInMenu(QStringLiteral("mnuLinkAt"), QStringLiteral("imgOPEOK"), 1);
        key(Qt::Key_Return);
        QVERIFY(*linked);
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), and_);
        // 4. The other operator, from the mark's menu (the Menu key).
        QVERIFY(tabTo(e->Control("imgOPEOK", 1)));
        auto changed = chooseInMenu(QStringLiteral("mnuMark"), QStringLiteral("imgOpe"), 2);
        key(Qt::Key_Menu);
        QVERIFY(*changed);
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), or_);
        // 5. The first action deleted.
        QVERIFY(tabTo(e->Control("imgICOStepACT", 1)));
        key(Qt::Key_Delete);
        QTRY_COMPARE(caption(StripId::kStepAct, 1), QStringLiteral("Hall light"));
        qApp->removeEventFilter(&watch);
        QCOMPARE(watch.events, 0);
        const std::string keys = (dir_->path() / "keys.tdx").string();
        files_->answers = {keys};
        QVERIFY(e->RunTool("mnusaveas"));

        // Five steps back lead to the start.
        for (int i = 0; i < 5; ++i) QVERIFY(e->RunTool("mnuundo"));
        QTRY_COMPARE(caption(StripId::kStepAct, 3), QString());
        const std::string back = (dir_->path() / "back.tdx").string();
        files_->answers = {back};
        QVERIFY(e->RunTool("mnusaveas"));
        QCOMPARE(dump(back), dump(start));

        // The mouse: drags, a double-click and the operator dialog.
        QVERIFY(
            dragTo(drag(StripId::kObjects, Part::kPicture, light), e->Control("imgfraACT")).drop);
        whenShown("frmProp", [](QWidget* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtDescri"), "Hall light");
            auto* ok = d->findChild<QPushButton*>("cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        QTRY_COMPARE(caption(StripId::kStepAct, 3), QStringLiteral("Hall light"));
        QVERIFY(dragTo(drag(StripId::kStepAct, Part::kPicture, 3), e->Control("imgICOStepACT", 2))
                    .drop);
        QTRY_COMPARE(caption(StripId::kStepAct, 2), QStringLiteral("Hall light"));
        QVERIFY(
            dragTo(drag(StripId::kOperators, Part::kPicture, 1), e->Control("imgOPEOK", 1)).drop);
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), and_);
        QTest::mouseDClick(e->Control("imgOPEOK", 1), Qt::LeftButton);
        whenShown("frmOpe", [or_](QWidget* d) {
            auto* list = d->findChild<QComboBox*>("cmbOperatore");
            QVERIFY(list);
            list->setCurrentIndex(list->findData(or_.toInt()));
            QTest::mouseClick(d->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
        });
        QTRY_COMPARE(tag(StripId::kCondOk, Part::kMark, 1), or_);
        QVERIFY(dragTo(drag(StripId::kStepAct, Part::kPicture, 1), e->Control("imgCestino")).drop);
        QTRY_COMPARE(caption(StripId::kStepAct, 1), QStringLiteral("Hall light"));
        const std::string mouse = (dir_->path() / "mouse.tdx").string();
        files_->answers = {mouse};
        QVERIFY(e->RunTool("mnusaveas"));
        QCOMPARE(dump(mouse), dump(keys));
        QVERIFY(dump(keys) != dump(start));
        QVERIFY(messages_->calls.empty());
    }

    // The element menu says what a slot allows; a condition's operator and an
    // excluded condition's link are reached from it too.
    void theElementMenusOfferWhatTheSlotAllows() {
        startDemo();
        openGoodMorning();
        newScenario();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const int trig = findObject(StripId::kTrigger, DropEffect::kCreate);
        const int ko = findObject(StripId::kCondKo, DropEffect::kCreate);
        QVERIFY(trig && ko);
        addRows("TMP_TRIGGER", 3, objectId(trig), {"T"});
        addRows("TMP_COND_KO", 0, objectId(ko), {"N1", "N2"});
        QTRY_COMPARE(caption(StripId::kCondKo, 2), QStringLiteral("N2"));
        // What a menu holds, by the entries' object names, shown or not.
        auto entries = [&](QWidget* at, Qt::Key k, Qt::KeyboardModifiers mods) {
            auto names = std::make_shared<QStringList>();
            QTimer::singleShot(0, [names] {
                QMenu* menu = nullptr;
                QVERIFY(QTest::qWaitFor(
                    [&] {
                        return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()));
                    },
                    5000));
                for (QAction* a : menu->actions())
                    if (!a->isSeparator()) *names << a->objectName() + (a->isEnabled() ? "" : "-");
                menu->close();
            });
            at->setFocus();
            QTest::keyClick(at, k, mods);
            // The editor takes the activation back from the menu.
            const bool back =
                QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }, 2000);
            return back ? *names : QStringList{QStringLiteral("the focus did not come back")};
        };
        // A start event keeps its place: no moves.
        QCOMPARE(entries(e->Control("imgTrigger", 1), Qt::Key_Menu, Qt::NoModifier),
                 (QStringList{"mnuEdit", "mnuDelete", "mnucut", "mnucopy", "mnupaste"}));
        // An empty slot takes a paste only.
        QCOMPARE(entries(e->Control("imgTrigger", 2), Qt::Key_F10, Qt::ShiftModifier),
                 (QStringList{"mnupaste"}));
        // An excluded condition followed by another: its operator too.
        QCOMPARE(
            entries(e->Control("imgCondKO", 1), Qt::Key_Menu, Qt::NoModifier),
            (QStringList{"mnuEdit", "mnuDelete", "mnucut", "mnucopy", "mnupaste", "mnuOperator"}));
        // The excluded conditions' mark: the palette operators, no dialog.
        QCOMPARE(entries(e->Control("imgOPEKO", 1), Qt::Key_Menu, Qt::NoModifier),
                 (QStringList{"imgOpe", "imgOpe"}));
        e->Control("imgOPEKO", 1)->setFocus();
        auto linked = chooseInMenu(QStringLiteral("mnuMark"), QStringLiteral("imgOpe"), 1);
        key(Qt::Key_Menu);
        QVERIFY(*linked);
        QTRY_COMPARE(tag(StripId::kCondKo, Part::kMark, 1),
                     tag(StripId::kOperators, Part::kLabel, 1));
        // Linked: it may go, by the menu or by Delete (as onto the operator
        // palette: the bin does not take these links).
        QCOMPARE(entries(e->Control("imgOPEKO", 1), Qt::Key_Menu, Qt::NoModifier),
                 (QStringList{"imgOpe", "imgOpe", "mnuUnlink"}));
        e->Control("imgOPEKO", 1)->setFocus();
        key(Qt::Key_Delete);
        QTRY_COMPARE(tag(StripId::kCondKo, Part::kMark, 1), QString());
        QVERIFY(messages_->calls.empty());
    }

    // Once a dialog opened by a drop has closed, the editor has the keyboard
    // again: Ctrl+Z reaches its tools without a click.
    void theKeysActAtOnceAfterADialogClosed() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        e->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(e));
        const int obj = findObject(StripId::kStepAct, DropEffect::kCreate);
        QVERIFY(obj);
        e->Control("imgICOStepACT", 1)->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), e->Control("imgICOStepACT", 1));
        const QString first = caption(StripId::kStepAct, 1);
        QVERIFY(dragTo(drag(StripId::kObjects, Part::kPicture, obj), e->Control("imgICOStepACT", 1))
                    .drop);
        whenShown("frmProp", [](QWidget* d) {
            QTest::keyClicks(d->findChild<QLineEdit*>("txtDescri"), "Porch");
            auto* ok = d->findChild<QPushButton*>("cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            QTest::keyClick(d, Qt::Key_Return);
        });
        QTRY_COMPARE(caption(StripId::kStepAct, 1), QStringLiteral("Porch"));
        // The focus is back where it was, in the active editor.
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(e));
        QTRY_COMPARE(QApplication::focusWidget(), e->Control("imgICOStepACT", 1));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
        QTRY_COMPARE(caption(StripId::kStepAct, 1), first);
        // And after a message box (the row limit's, or a refused paste's).
        QGuiApplication::clipboard()->setText(QStringLiteral("no elements"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QTRY_COMPARE(messages_->calls.size(), size_t(1));
        QTRY_COMPARE(QApplication::focusWidget(), e->Control("imgICOStepACT", 1));
    }

    // The editor's project tools hand over to the project window once the
    // scenario and then the project are settled; a Cancel anywhere, a
    // cancelled file dialog or a file that is no project keeps the editor.
    void theEditorsProjectToolsSettleTheScenarioThenTheProject() {
        startDemo();
        openGoodMorning();
        auto* e = editor();
        QVERIFY(e->Tool("mnunewprj")->isEnabled());
        QVERIFY(dragTo(drag(StripId::kStepAct, Part::kPicture, 1), e->Control("imgCestino")).drop);
        QTRY_VERIFY(Document().Modified());
        project_->Session().SetChanged(true);
        // Cancel on the scenario, then on the project: the editor stays, with
        // its edits.
        messages_->answers = {Answer::Cancel};
        QVERIFY(e->RunTool("mnunewprj"));
        messages_->answers = {Answer::No, Answer::Cancel};
        QVERIFY(e->RunTool("mnunewprj"));
        QCOMPARE(messages_->calls.size(), size_t(3));
        QCOMPARE(messages_->calls[0].text, texts::GetText(1015));
        QCOMPARE(messages_->calls[2].text, texts::GetText(1092));
        QVERIFY(editor() == e && e->isVisible() && Document().Modified());
        QVERIFY(project_->Session().Project()->Scenari()->Count() > 0);
        // Open: a cancelled file dialog, then a file that is no project (1031).
        messages_->calls.clear();
        messages_->answers = {Answer::No};
        QVERIFY(e->RunTool("mnuapriprj"));
        const fs::path notProject = dir_->path() / "notes.tdj";
        test::WriteText(notProject, "not a project");
        messages_->answers = {Answer::No};
        files_->answers = {notProject.string()};
        QVERIFY(e->RunTool("mnuapriprj"));
        QCOMPARE(messages_->calls.back().text, texts::GetText(1031));
        QVERIFY(editor() == e && Document().Modified());
        // No and No: the editor closes without a second question and the
        // project window shows the new, empty project.
        messages_->calls.clear();
        messages_->answers = {Answer::No, Answer::No};
        QVERIFY(e->RunTool("mnunewprj"));
        QTRY_VERIFY(!editor());
        QVERIFY(project_->isVisible());
        QCOMPARE(messages_->calls.size(), size_t(2));
        QCOMPARE(project_->Session().Project()->Scenari()->Count(), size_t(0));
        QVERIFY(ui::Running());
    }

    void theEditorsProjectViewAboutAndLanguage() {
        // Opened alone on a scenario file: the project view shows the project
        // window instead of ending the interface.
        const fs::path file = dir_->path() / "alone.tdx";
        fs::copy_file(test::SourceFixtures() / "scenarios" / "windows_shape.tdx", file);
        startDemo(file.string());
        QTRY_VERIFY(editor() && editor()->isVisible());
        QVERIFY(editor()->RunTool("mnuviewprj"));
        QTRY_VERIFY(!editor());
        QVERIFY(project_->isVisible());
        QVERIFY(ui::Running());
        QVERIFY(messages_->calls.empty());

        // The demo's scenario again: the about box, then the language.
        key_.clear();
        fs::path p = dir_->path() / "house.tdj";
        fs::copy_file(fs::path(TESSED_DEMO_PROJECT), p, fs::copy_options::overwrite_existing);
        files_->answers = {p.string()};
        QVERIFY(project_->RunTool("mnuapriprj"));
        for (const auto& s : *project_->Session().Project()->Scenari())
            if (s->ScriptName == "Good morning") key_ = s->Key;
        openGoodMorning();
        auto* e = editor();
        bool about = false;
        whenShown("frmAbout", [&](QWidget* w) {
            about = true;
            w->close();
        });
        QVERIFY(e->RunTool("mnuinfo"));
        QVERIFY(about);

        auto* languages = e->findChild<QMenu*>("mnulanguage");
        QVERIFY(languages);
        QAction* other = nullptr;
        for (QAction* a : languages->actions()) {
            QCOMPARE(a->objectName(), QStringLiteral("mnulang"));
            QCOMPARE(a->isChecked(), a->data().toString() == "ITA");
            if (a->data().toString() != "ITA") other = a;
        }
        QVERIFY(other);
        QVERIFY(dragTo(drag(StripId::kStepAct, Part::kPicture, 1), e->Control("imgCestino")).drop);
        QTRY_VERIFY(Document().Modified());
        const std::string file1 = Document().CurrentFile();
        const std::string saved = test::ReadText(file1);
        auto lingua = [] {
            return profile::GetString(env::Env().configFile(), "GENERALE", "LINGUA", "");
        };
        const std::string before = lingua();
        // Yes to the switch, Cancel on the scenario: nothing written, nothing lost.
        messages_->answers = {Answer::Yes, Answer::Cancel};
        other->trigger();
        QCOMPARE(messages_->calls.size(), size_t(2));
        QCOMPARE(messages_->calls[1].text, texts::GetText(1015));
        QCOMPARE(lingua(), before);
        QVERIFY(editor() == e && Document().Modified());
        // Yes, the scenario saved, the project not: the language is written and
        // the interface ends without asking again.
        messages_->calls.clear();
        messages_->answers = {Answer::Yes, Answer::Yes, Answer::No};
        project_->Session().SetChanged(true);
        const std::string code = other->data().toString().toStdString();
        other->trigger();  // the editor and its menu go
        QTRY_VERIFY(!ui::Running());
        QCOMPARE(lingua(), code);
        QCOMPARE(messages_->calls.size(), size_t(3));
        QVERIFY(test::ReadText(file1) != saved);
    }

    // Tools of other parts (the configurator's) join the editor's menu.
    void theToolsHookAddsToTheToolsMenu() {
        ui::EditorWindow::SetToolsHook([](ui::EditorWindow& w, QMenu& tools) {
            QAction* a = tools.addAction(QStringLiteral("runLX"));
            a->setObjectName(QStringLiteral("runLX"));
            a->setParent(&w);
        });
        startDemo();
        openGoodMorning();
        auto* tools = editor()->findChild<QMenu*>("popuptools");
        ui::EditorWindow::SetToolsHook(nullptr);
        QVERIFY(tools);
        bool found = false;
        for (QAction* a : tools->actions()) found = found || a->objectName() == "runLX";
        QVERIFY(found);
    }

    void showOnAScenarioFileOpensTheEditorAlone() {
        const fs::path file = dir_->path() / "alone.tdx";
        fs::copy_file(test::SourceFixtures() / "scenarios" / "windows_shape.tdx", file);
        startDemo(file.string());
        QTRY_VERIFY(editor() && editor()->isVisible());
        QVERIFY(!project_->isVisible());
        QCOMPARE(Document().CurrentFile(), file.string());
        QVERIFY(editor()->close());
        // Opened alone, its close ends the interface.
        QTRY_VERIFY(!ui::Running());
    }
};

QTEST_MAIN(EditorTest)
#include "editor_test.moc"
