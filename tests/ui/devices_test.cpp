// Devices in the scenario editor, on the demo project and the shipped
// catalogue: the configurator's text drop of an example device file (sent as
// the events another program's drag produces), what it fills and stores,
// the drops it refuses, the ambiguity dialog, the palettes' last pages, the
// device browser's drag and keyboard, and the configurator's tool.
//
// The canvas models come before any Qt header: a member of theirs is called
// like a Qt keyword.
// clang-format off
#include "configurator/device_list.h"
#include "editor/canvas.h"
#include "editor/control_names.h"
#include "editor/placement.h"
#include "model/document.h"
// clang-format on

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "edit.h"
#include "env/database.h"
#include "env/environment.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/scenario_file.h"
#include "model/scenario_json.h"
#include "support/test_env.h"
#include "ui/application.h"
#include "ui/chrome.h"
#include "ui/device_browser.h"
#include "ui/editor_window.h"
#include "ui/project_window.h"
#include "window_case.h"
#include "window_support.h"

using namespace tessed;
using editor::StripId;
namespace fs = std::filesystem;

using test::shownWindow;
using test::whenShown;

namespace {

const fs::path kExamples = TESSED_EXAMPLE_DEVICES;

QString dropText(const fs::path& file) { return QString::fromStdString("LX," + file.string()); }

// What a target answered to another program's drag: the enter, the move and
// the drop, and the action the drop took.
struct DragAnswer {
    bool enter = false, move = false, drop = false;
    Qt::DropAction action = Qt::IgnoreAction;
};

// The events a drag from another program produces over `target` (it offers a
// copy or a move, as a configurator does), and a release there.
DragAnswer dragTo(const QMimeData& mime, QWidget* target, bool release = true) {
    const QPoint pos = target->rect().center();
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    DragAnswer a;
    QDragEnterEvent enter(pos, offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    a.enter = enter.isAccepted();
    // The toolkit sends the rest only to a target that took the enter.
    if (!a.enter) return a;
    QDragMoveEvent move(pos, offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    a.move = move.isAccepted();
    if (!release) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return a;
    }
    QDropEvent drop(QPointF(pos), offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    a.drop = drop.isAccepted();
    a.action = drop.dropAction();
    return a;
}

DragAnswer dragTo(const QString& text, QWidget* target, bool release = true) {
    QMimeData mime;
    mime.setText(text);
    return dragTo(mime, target, release);
}

// The rows of a table of a saved scenario, as `tessed dump` prints them.
QJsonArray savedRows(const std::string& file, const char* table) {
    const auto json = scenario::ScenarioJson(scenario::ReadScenarioFile(file));
    return QJsonDocument::fromJson(QByteArray::fromStdString(json))
        .object()[QStringLiteral("tables")]
        .toObject()[QLatin1String(table)]
        .toArray();
}

// A row without its identity and place.
QJsonObject content(QJsonObject row) {
    row.remove(QStringLiteral("ID"));
    row.remove(QStringLiteral("ORDINE"));
    return row;
}

int currentData(QWidget* dialog, const char* list) {
    auto* c = dialog->findChild<QComboBox*>(list);
    return c && c->currentIndex() >= 0 ? c->currentData().toInt() : 0;
}

// What a property dialog showed when it opened.
struct Shown {
    bool opened = false;
    int what = 0, where = 0, level = 0;
    QString description;
};

// Records the next property dialog and answers it: OK when `ok`, else
// Cancel. Set up once the drop has returned (the dialog comes from a queued
// call after it).
std::shared_ptr<Shown> answerProperty(bool ok) {
    auto shown = std::make_shared<Shown>();
    whenShown("frmProp", [shown, ok](QWidget* d) {
        auto* button = d->findChild<QPushButton*>(ok ? "cmdOK" : "cmdAnnulla");
        QTRY_VERIFY(button->isEnabled());
        shown->opened = true;
        shown->what = currentData(d, "cmbCosa");
        shown->where = currentData(d, "cmbDove");
        shown->level = currentData(d, "cmbLevel");
        shown->description = d->findChild<QLineEdit*>("txtDescri")->text();
        QTest::mouseClick(button, Qt::LeftButton);
    });
    return shown;
}

}  // namespace

class DevicesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::unique_ptr<Edit> edit_;
    std::shared_ptr<test::ScriptedMessages> messages_;
    std::shared_ptr<test::ScriptedFiles> files_;
    ui::ProjectWindow* project_ = nullptr;

    ui::EditorWindow* editor() const { return project_ ? project_->Editor() : nullptr; }
    QWidget* control(const char* name, int index = 0) const {
        return editor()->Control(QString::fromLatin1(name), index);
    }

    // "Good morning" of the demo project in the editor.
    void openScenario() {
        fs::path p = dir_->path() / "house.tdj";
        fs::copy_file(fs::path(TESSED_DEMO_PROJECT), p, fs::copy_options::overwrite_existing);
        edit_->setFileToOpen(p.string());
        edit_->Show();
        QVERIFY(QTest::qWaitFor([] { return ui::CurrentProjectWindow() != nullptr; }, 5000));
        project_ = ui::CurrentProjectWindow();
        std::string key;
        for (const auto& s : *project_->Session().Project()->Scenari())
            if (s->ScriptName == "Good morning") key = s->Key;
        QVERIFY(project_->SelectNode(project::ScenarioNodeKey(key)));
        QVERIFY(project_->RunTool("edit"));
        QVERIFY(editor() && editor()->isVisible());
    }

    // Saves and gives the table's rows of the saved file.
    QJsonArray saved(const char* table) {
        if (!editor()->RunTool("mnusave")) return {};
        return savedRows(Document().CurrentFile(), table);
    }

    // A catalogue association of a key object with an object, for the areas
    // given; the device's description fills the element.
    void associate(int ko, int obj, std::initializer_list<int> areas) {
        db::Database& db = env::Env().master();
        db.execute("INSERT INTO ANA_KEYOBJECT (ID_KO) VALUES (?)", {ko});
        for (int area : areas) {
            const int ass = 1000 + ko * 10 + area;
            db.execute(
                "INSERT INTO ASS_KEYOBJ_OBJ (ID_ASS, ID_OBJ, ID_KO, ID_AREA, KEY_SYSTEM) "
                "VALUES (?, ?, ?, ?, 'AUTOMATION')",
                {ass, obj, ko, area});
            db.execute(
                "INSERT INTO ANA_PARAMETER (ID_ASS, PROPERTY, PARAMETER, ID_CONV_TYPE, "
                "\"ORDER\", CUSTOM) VALUES (?, 'DESCRI', '', 1, 1, 0)",
                {ass});
        }
    }
    fs::path deviceFile(const std::string& name, int ko, const std::string& description) {
        const fs::path f = dir_->path() / name;
        test::WriteText(f, "<DRAGGEDELEMENTS><DEVICE><OBJECT><KEYOBJECT>" + std::to_string(ko) +
                               "</KEYOBJECT><SYSTEMTYPE>AUTOMATION</SYSTEMTYPE><USERDESCRIPTION>" +
                               description +
                               "</USERDESCRIPTION></OBJECT></DEVICE></DRAGGEDELEMENTS>");
        return f;
    }

    // The device browser shown on a folder, once read.
    ui::DeviceBrowser* browse(const fs::path& folder) {
        auto* b = editor()->Devices();
        if (!b->isVisible()) editor()->RunTool("mnuDevices");
        files_->answers = {folder.string()};
        QTest::mouseClick(b->findChild<QPushButton*>("cmdFolder"), Qt::LeftButton);
        if (!QTest::qWaitFor([b] { return !b->Reading(); }, 10000)) return nullptr;
        return b;
    }
    int rowOf(ui::DeviceBrowser* b, const std::string& name) const {
        for (size_t i = 0; i < b->Entries().size(); ++i)
            if (b->Entries()[i].name == name) return int(i);
        return -1;
    }

    test::WindowCase windowCase() { return {dir_, messages_, files_, edit_}; }

  private Q_SLOTS:
    void init() {
        windowCase().start();
        project_ = nullptr;
    }

    void cleanup() { windowCase().end(); }

    void aDeviceOnTheActionsFillsItsDialogAndOkStoresIt() {
        openScenario();
        auto* e = editor();
        // Every control of a slot group takes a device; the palettes and the
        // bin do not.
        const QString text = dropText(kExamples / "shutter.xml");
        for (auto [name, index] :
             {std::pair{"imgfraEvent", 0}, std::pair{"lblTrigger", 2}, std::pair{"imgOPEOK", 1},
              std::pair{"imgDWNCondKO", 0}, std::pair{"imgICOStepACTELSE", 4}}) {
            const DragAnswer a = dragTo(text, control(name, index), false);
            QVERIFY2(a.enter && a.move, name);
        }
        for (auto [name, index] :
             {std::pair{"imgObj", 1}, std::pair{"imgFam", 1}, std::pair{"imgCestino", 0}})
            QVERIFY2(!dragTo(text, control(name, index), false).enter, name);

        const int before = saved("TMP_STEP_ACT").size();
        const uint64_t revision = Document().Revision();
        const DragAnswer a = dragTo(text, control("imgfraACT"));
        QVERIFY(a.move && a.drop);
        // A copy: the configurator keeps its device.
        QCOMPARE(a.action, Qt::CopyAction);
        // Everything after the read waits for the drop to have returned.
        QVERIFY(!shownWindow("frmProp"));
        QCOMPARE(Document().Revision(), revision);
        auto shown = answerProperty(true);
        QTRY_VERIFY(shown->opened);
        QCOMPARE(shown->what, 191);
        QCOMPARE(shown->where, 42);
        QCOMPARE(shown->level, 1);
        QCOMPARE(shown->description, QStringLiteral("Bedroom shutter"));
        // The palettes show the shutters, and the shutter among their objects.
        QCOMPARE(e->canvas().CurrentFamily(), 2);
        bool inPalette = false;
        for (int i = 1; i <= 8; ++i)
            inPalette = inPalette || e->Control("lblObj", i)->property("tag").toString() == "103";
        QVERIFY(inPalette);

        QTRY_VERIFY(Document().Revision() != revision);
        const QJsonArray rows = saved("TMP_STEP_ACT");
        QCOMPARE(rows.size(), before + 1);
        const QJsonObject row = rows.last().toObject();
        QCOMPARE(row["ID_OBJ"].toInt(), 103);
        QCOMPARE(row["COSA_KEY"].toInt(), 191);
        QCOMPARE(row["DOVE_KEY"].toInt(), 42);
        QCOMPARE(row["LEVEL_KEY"].toInt(), 1);
        QCOMPARE(row["DESCRI"].toString(), QStringLiteral("Bedroom shutter"));
        QVERIFY(!e->placement().pending);
        QVERIFY(messages_->calls.empty());
    }

    void refusedAndDeclinedDevicesStoreNothing() {
        openScenario();
        auto* e = editor();
        const uint64_t revision = Document().Revision();

        // Another gateway: 1118 with 1116, once the drop has returned.
        DragAnswer a = dragTo(dropText(kExamples / "other-gateway.xml"), control("imgfraACT"));
        QVERIFY(a.drop);
        QVERIFY(messages_->calls.empty());
        QTRY_COMPARE(messages_->calls.size(), size_t(1));
        QCOMPARE(messages_->calls[0].kind, std::string("warning"));
        QCOMPARE(messages_->calls[0].title, texts::GetText(1002));
        QCOMPARE(messages_->calls[0].text, texts::GetText(1118) + "\r" + texts::GetText(1116));

        // What is not a device drop, or names no file a drop reads, is
        // refused without a word.
        const fs::path missing = dir_->path() / "missing.xml";
        for (const QString& text :
             {QStringLiteral("a,b,") + dropText(kExamples / "light.xml"),
              QStringLiteral("LX,/dev/zero"), dropText(missing), dropText(kExamples)}) {
            a = dragTo(text, control("imgfraACT"));
            // Any text of two items is taken while it hovers: the file is read
            // at the drop only.
            QVERIFY2(a.enter == !text.startsWith(QStringLiteral("a,b,")), qPrintable(text));
            QVERIFY2(!a.drop, qPrintable(text));
        }

        // The ambiguous device: frmSelectAmbiguo with 1674; Escape does
        // nothing, Cancel ends the drop.
        a = dragTo(dropText(kExamples / "ambiguous.xml"), control("imgfraACT"));
        QVERIFY(a.drop);
        QVERIFY(!shownWindow("frmSelectAmbiguo"));
        bool asked = false;
        whenShown("frmSelectAmbiguo", [&](QWidget* d) {
            asked = true;
            QCOMPARE(d->findChild<QLabel*>("lblTesta")->text(), ui::Text(1674));
            auto* list = d->findChild<QComboBox*>("cmbAmbiguo");
            QCOMPARE(list->count(), 2);
            QCOMPARE(list->itemData(0).toInt(), 1);
            QCOMPARE(list->itemData(1).toInt(), 42);
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(d->isVisible());
            QTest::mouseClick(d->findChild<QPushButton*>("cmdAnnulla"), Qt::LeftButton);
        });
        QTRY_VERIFY(asked);
        QTest::qWait(50);
        QVERIFY(!shownWindow("frmProp"));
        QCOMPARE(Document().Revision(), revision);
        QVERIFY(!e->placement().pending);
        QCOMPARE(messages_->calls.size(), size_t(1));

        // Chosen: the dimmer, filled from the device.
        QVERIFY(dragTo(dropText(kExamples / "ambiguous.xml"), control("lblStepACT", 3)).drop);
        auto shown = std::make_shared<std::shared_ptr<Shown>>();
        whenShown("frmSelectAmbiguo", [shown](QWidget* d) {
            auto* list = d->findChild<QComboBox*>("cmbAmbiguo");
            list->setCurrentIndex(1);
            // The property dialog follows once this one has closed.
            *shown = answerProperty(true);
            QTest::keyClick(d, Qt::Key_Return);
        });
        QTRY_VERIFY(*shown && (*shown)->opened);
        const Shown& dimmer = **shown;
        QCOMPARE(dimmer.where, 15);
        QCOMPARE(dimmer.description, QStringLiteral("Hall dimmer"));
        QTRY_VERIFY(Document().Revision() != revision);
        // Dropped on the third action: it stands third.
        const QJsonObject row = saved("TMP_STEP_ACT")[2].toObject();
        QCOMPARE(row["ID_OBJ"].toInt(), 42);
        QCOMPARE(row["DESCRI"].toString(), QStringLiteral("Hall dimmer"));
    }

    void aRefusedReplayLeavesNoDeviceForTheNextDrop() {
        openScenario();
        auto* e = editor();
        QVERIFY(e->RunTool("mnunew"));
        for (int i = 1; i <= 20; ++i) {
            ElementValues v;
            v.ID_OBJ = 1;
            v.DESCRI = "T" + std::to_string(i);
            v.area = 3;
            int32_t id = 0;
            QVERIFY(Document().InsertIntoPRJ("TMP_TRIGGER", v, id));
        }
        const uint64_t revision = Document().Revision();
        // The light resolves among the events, whose group is full: 1561.
        const DragAnswer a = dragTo(dropText(kExamples / "light.xml"), control("imgfraEvent"));
        QVERIFY(a.drop);
        QTRY_COMPARE(messages_->calls.size(), size_t(1));
        QCOMPARE(messages_->calls[0].text, texts::GetText(1561));
        QVERIFY(!shownWindow("frmProp"));
        QCOMPARE(Document().Revision(), revision);
        QVERIFY(!e->placement().pending);

        // The next palette drop, the light again, gets nothing of the device.
        QCOMPARE(e->canvas().CurrentFamily(), 1);
        dragTo(ui::EditorWindow::DragText({StripId::kObjects, editor::Part::kPicture, 1}),
               control("imgfraACT"));
        auto shown = answerProperty(false);
        QTRY_VERIFY(shown->opened);
        QCOMPARE(shown->description, QString());
        // The light's WHERE from the device was 23.
        QVERIFY(shown->where != 23);
        QCOMPARE(Document().Revision(), revision);
    }

    void devicesOnThePalettesLastPagesAreSelectedAndStored() {
        openScenario();
        auto* e = editor();
        // The door lock (family 12, the second page of families) and the
        // presence detector (the tenth object of the lights).
        associate(91, 118, {5});
        associate(92, 102, {3});
        QCOMPARE(e->canvas().strip(StripId::kFamilies).firstShown(), 1);
        const uint64_t revision = Document().Revision();

        dragTo(dropText(deviceFile("lock.xml", 91, "Front door")), control("imgfraACT"));
        auto shown = answerProperty(true);
        QTRY_VERIFY(shown->opened);
        QCOMPARE(shown->description, QStringLiteral("Front door"));
        QCOMPARE(e->canvas().CurrentFamily(), 12);
        QVERIFY(e->canvas().strip(StripId::kFamilies).firstShown() > 1);
        QCOMPARE(e->Control("lblFam", 10)->property("tag").toString(), QStringLiteral("12"));
        QTRY_VERIFY(Document().Revision() != revision);

        dragTo(dropText(deviceFile("presence.xml", 92, "Corridor")), control("lblTrigger", 1));
        shown = answerProperty(true);
        QTRY_VERIFY(shown->opened);
        QCOMPARE(e->canvas().CurrentFamily(), 1);
        QCOMPARE(e->Control("lblObj", 8)->property("tag").toString(), QStringLiteral("102"));
        QTRY_COMPARE(saved("TMP_TRIGGER").last().toObject()["DESCRI"].toString(),
                     QStringLiteral("Corridor"));
        QCOMPARE(saved("TMP_TRIGGER").last().toObject()["ID_OBJ"].toInt(), 102);
        QCOMPARE(saved("TMP_STEP_ACT").last().toObject()["ID_OBJ"].toInt(), 118);
        QVERIFY(messages_->calls.empty());
    }

    void theDeviceBrowserDragsAndInsertsAsTheConfiguratorWould() {
        openScenario();
        auto* e = editor();
        auto* b = e->Devices();
        QVERIFY(!b->isVisible());
        // First shown on the configurator's drag folder.
        QVERIFY(e->RunTool("mnuDevices"));
        QVERIFY(b->isVisible());
        QCOMPARE(b->Folder(), configurator::DefaultDeviceFolder().string());
        QTRY_VERIFY(!b->Reading());
        QCOMPARE(b->List()->accessibleName(), ui::Text(1936));
        QCOMPARE(b->findChild<QPushButton*>("cmdFolder")->accessibleName(), ui::Text(1937));

        QVERIFY(browse(kExamples));
        QCOMPARE(b->Folder(), kExamples.string());
        QCOMPARE(b->List()->topLevelItemCount(), 7);
        const int shutter = rowOf(b, "shutter.xml");
        QTreeWidgetItem* item = b->List()->topLevelItem(shutter);
        QCOMPARE(item->text(1), QStringLiteral("Bedroom shutter"));
        QCOMPARE(item->text(2), QStringLiteral("3"));
        const std::string object = env::Env()
                                       .master()
                                       .queryOne(
                                           "SELECT DESCRI_OBJ FROM ANA_OGGETTI WHERE "
                                           "ID_OBJ = 103")
                                       ->at(0)
                                       .toText();
        QCOMPARE(item->text(4), ui::Q(object));
        QCOMPARE(item->toolTip(0), ui::Text(1021) + QStringLiteral(": ") + ui::Q(object));
        QTreeWidgetItem* other = b->List()->topLevelItem(rowOf(b, "other-gateway.xml"));
        QCOMPARE(other->text(4), ui::Text(1116));

        // A drag from the browser carries the configurator's text and stores
        // what the text drop stores.
        std::unique_ptr<QMimeData> mime(b->DragData(shutter));
        QVERIFY(mime);
        QCOMPARE(mime->text(), dropText(kExamples / "shutter.xml"));
        const int actions = saved("TMP_STEP_ACT").size();
        const int conditions = saved("TMP_COND_OK").size();
        const uint64_t revision = Document().Revision();
        QVERIFY(dragTo(*mime, control("imgfraACT")).drop);
        auto shown = answerProperty(true);
        QTRY_VERIFY(shown->opened && Document().Revision() != revision);
        dragTo(dropText(kExamples / "shutter.xml"), control("imgfraACT"));
        shown = answerProperty(true);
        QTRY_VERIFY(shown->opened);
        QTRY_COMPARE(saved("TMP_STEP_ACT").size(), actions + 2);
        const QJsonArray rows = saved("TMP_STEP_ACT");
        QCOMPARE(content(rows[actions].toObject()), content(rows[actions + 1].toObject()));
        QCOMPARE(rows[actions].toObject()["ID_OBJ"].toInt(), 103);

        // The keyboard: Enter on the light offers the groups it stands for
        // an object in; the conditions get it, filled from the device.
        b->List()->setFocus();
        b->List()->setCurrentItem(b->List()->topLevelItem(rowOf(b, "light.xml")));
        QStringList offered;
        QTimer::singleShot(0, [&offered] {
            QMenu* menu = nullptr;
            QVERIFY(QTest::qWaitFor(
                [&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())); },
                5000));
            QCOMPARE(menu->objectName(), QStringLiteral("mnuInsertInto"));
            for (QAction* a : menu->actions()) offered << a->objectName();
            for (int i = 0; i < 5 && !(menu->activeAction() &&
                                       menu->activeAction()->objectName() == "imgfraIF");
                 ++i)
                QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::keyClick(b->List(), Qt::Key_Return);
        shown = answerProperty(true);
        QCOMPARE(offered, (QStringList{"imgfraEvent", "imgfraIF", "imgfraACT"}));
        QTRY_VERIFY(shown->opened);
        QCOMPARE(shown->description, QStringLiteral("Kitchen ceiling"));
        QCOMPARE(shown->where, 23);
        QTRY_COMPARE(saved("TMP_COND_OK").size(), conditions + 1);
        QCOMPARE(saved("TMP_COND_OK").last().toObject()["DESCRI"].toString(),
                 QStringLiteral("Kitchen ceiling"));

        // A refused device says why, as its drop does.
        b->List()->setCurrentItem(other);
        QTest::keyClick(b->List(), Qt::Key_Return);
        QTRY_COMPARE(messages_->calls.size(), size_t(1));
        QCOMPARE(messages_->calls[0].text, texts::GetText(1118) + "\r" + texts::GetText(1116));
    }

    void theBrowserReadsOnAWorkerAndStops() {
        openScenario();
        const fs::path folder = dir_->path() / "many";
        fs::create_directories(folder);
        const int count = 400;
        for (int i = 0; i < count; ++i)
            fs::copy_file(kExamples / "light.xml", folder / ("light" + std::to_string(i) + ".xml"));
        fs::create_directory(folder / "sub.xml");
        auto* b = editor()->Devices();
        editor()->RunTool("mnuDevices");
        b->ShowFolder(folder.string());
        QVERIFY(b->Reading());
        // Stopped at once: whatever was read stays, nothing comes later.
        b->Stop();
        QVERIFY(!b->Reading());
        const size_t kept = b->Entries().size();
        QTest::qWait(100);
        QCOMPARE(b->Entries().size(), kept);
        QVERIFY(kept < size_t(count));
        // Read again to the end, while the window goes on.
        b->Reload();
        int turns = 0;
        QVERIFY(QTest::qWaitFor(
            [&] {
                ++turns;
                return !b->Reading();
            },
            20000));
        // The window turned while the worker read.
        QVERIFY(turns > 1);
        QCOMPARE(b->Entries().size(), size_t(count));
        QCOMPARE(b->List()->topLevelItemCount(), count);
        // The whole folder went to a new folder: another reading replaces it.
        b->ShowFolder(kExamples.string());
        b->ShowFolder(folder.string());
        QTRY_VERIFY_WITH_TIMEOUT(!b->Reading(), 20000);
        QCOMPARE(b->Entries().size(), size_t(count));
    }

    void runLXIsAToolOnlyWithTheConfiguratorEnabled() {
        openScenario();
        auto* e = editor();
        QAction* lx = e->Tool("runLX");
        QVERIFY(lx);
        QVERIFY(!lx->isVisible());
        QVERIFY(!e->RunTool("runLX"));
        Host().EnabledLexora = true;
        auto* tools = e->findChild<QMenu*>("popuptools");
        emit tools->aboutToShow();
        QVERIFY(lx->isVisible());
        QCOMPARE(lx->text(), ui::Text(1115));
        // No configurator program here: the compile window says so.
        whenShown("frmLog", [](QWidget* log) {
            auto* ok = log->findChild<QAbstractButton*>("cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            ok->click();
        });
        QVERIFY(e->RunTool("runLX"));
        QTRY_VERIFY(!messages_->calls.empty());
        QVERIFY(messages_->calls.back().text.rfind(texts::GetText(1114) + "\r", 0) == 0);
        Host().EnabledLexora = false;
        emit tools->aboutToShow();
        QVERIFY(!lx->isVisible());
    }
};

QTEST_MAIN(DevicesTest)
#include "devices_test.moc"
