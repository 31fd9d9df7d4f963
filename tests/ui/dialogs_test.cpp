// The project window's small dialogs driven as a user would: each modal window
// is found by its name from inside its own loop, then typed into and clicked.
#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <mutex>

#include "compiler/compile_run.h"
#include "editor/selection_dialogs.h"
#include "env/environment.h"
#include "env/texts.h"
#include "support/test_env.h"
#include "ui/chrome.h"
#include "window_support.h"

using namespace tessed;
namespace fs = std::filesystem;
using test::shownWindow;
using test::whenShown;

namespace {

QString T(long id) { return ui::Text(id); }

template <class W>
W* child(QWidget* w, const char* name) {
    W* c = w->findChild<W*>(QString::fromLatin1(name));
    if (!c) qWarning("no control %s", name);
    return c;
}

// Every button and label shows all of its text at the window's size.
void expectNothingClipped(QWidget* window) {
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        if (!b->isVisible()) continue;
        QVERIFY2(b->width() >= b->sizeHint().width() && b->height() >= b->sizeHint().height(),
                 qPrintable(b->objectName() + " is clipped"));
    }
    for (QLabel* l : window->findChildren<QLabel*>()) {
        if (!l->isVisible() || l->text().isEmpty()) continue;
        const bool fits = l->wordWrap() ? l->height() >= l->heightForWidth(l->width())
                                        : l->width() >= l->sizeHint().width();
        QVERIFY2(fits, qPrintable(l->objectName() + " is clipped"));
    }
}

// A compiler that reports through its Operation event and does what the test
// scripts for each scenario, by its name.
struct FakeCompiler : compiler::Kernix {
    using Script = std::function<void(FakeCompiler&, const std::string& name, std::string& error,
                                      int32_t& status)>;
    Script script;
    void Compile(db::Database&, const std::string&, const std::string&, const std::string& name,
                 std::string& error, int32_t& status) override {
        status = -1;
        script(*this, name, error, status);
    }
    void say(const std::string& text, uint32_t colour) { Operation(text, colour); }
};

// What the fake compilers did, and a gate a scenario can wait at.
struct Workshop {
    std::mutex m;
    std::condition_variable cv;
    std::vector<std::string> compiled;
    bool open = false;

    void release() {
        std::lock_guard<std::mutex> lock(m);
        open = true;
        cv.notify_all();
    }
    // Waits for the gate; gives up after a while so that a failed test ends.
    void wait() {
        std::unique_lock<std::mutex> lock(m);
        cv.wait_for(lock, std::chrono::seconds(10), [&] { return open; });
    }
    // Polls a condition of another object (the run's cancel flag).
    static void waitFor(const std::function<bool()>& until) {
        for (int i = 0; i < 1000 && !until(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::vector<std::string> done() {
        std::lock_guard<std::mutex> lock(m);
        return compiled;
    }
};

}  // namespace

class DialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FixtureEnv> env_;
    std::unique_ptr<test::TempDir> scenarios_;

    // The shipped catalogue's texts and icons, in `lang`.
    void useLanguage(const char* lang) {
        auto& e = env::Env();
        e.CloseConnection();
        texts::Clear();
        std::ofstream(e.configFile()) << "[GENERALE]\r\nLINGUA=" << lang << "\r\n";
        QVERIFY(e.OpenSystemDatabase());
    }

    std::unique_ptr<compiler::CompileRun> makeRun(const char* mode, int scenarios,
                                                  FakeCompiler::Script script) {
        std::vector<compiler::CompileEntry> entries;
        for (int i = 1; i <= scenarios; ++i) {
            const std::string n = std::to_string(i);
            entries.emplace_back((scenarios_->path() / (n + ".tdx")).string(), "d", "S" + n);
        }
        auto run = std::make_unique<compiler::CompileRun>(mode, std::move(entries));
        run->setWorkers(1);
        run->setLoader([](compiler::Workspace&, const std::string&) {});
        run->setListingWriter(
            [](db::Database&, const compiler::CompileEntry&, const std::string&) {});
        run->setKernixFactory([script] {
            auto k = std::make_unique<FakeCompiler>();
            k->script = script;
            return k;
        });
        return run;
    }

  private slots:
    void initTestCase() {
        env_ = std::make_unique<test::FixtureEnv>(false, "ENG");
        scenarios_ = std::make_unique<test::TempDir>();
        fs::copy(fs::path(TESSED_BINARY_DIR) / "dat", env_->data() / "dat",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        useLanguage("ENG");
        QVERIFY(!ui::ResourceIcon("vbblue").isNull());
    }

    void cleanupTestCase() {
        scenarios_.reset();
        env_.reset();
    }

    // ---- frmNewName ------------------------------------------------------

    void nameKeepsItsLengthInCharactersWhenTypedOrPasted() {
        test::ScopedMessages boxes;
        editor::NewNameDialog model;
        model.maxLength = 5;
        model.txtNome = "Kitchen lights";  // the caller's text is cut too
        QString shownFirst, typed;
        whenShown("frmNewName", [&](QWidget* w) {
            auto* name = child<QLineEdit>(w, "txtNome");
            QVERIFY(name);
            shownFirst = name->text();
            name->clear();
            QTest::keyClicks(name, "Bedroom");
            typed = name->text();
            // Letters of two bytes each: the limit counts characters.
            QApplication::clipboard()->setText(QString::fromUtf8("àèìòùxyz"));
            name->selectAll();
            QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(name, Qt::Key_Return);
        });
        auto result = ui::AskName(nullptr, model);
        QCOMPARE(shownFirst, QStringLiteral("Kitch"));
        QCOMPARE(typed, QStringLiteral("Bedro"));
        QVERIFY(result);
        QCOMPARE(QString::fromStdString(*result), QString::fromUtf8("àèìòù"));
        QVERIFY(boxes->calls.empty());
    }

    void emptyNameIsRefusedAndTheDialogStays() {
        test::ScopedMessages boxes;
        editor::NewNameDialog model;
        bool stayed = false;
        whenShown("frmNewName", [&](QWidget* w) {
            QTest::mouseClick(child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
            stayed = w->isVisible();
            // Only the empty text is refused: spaces are a name.
            QTest::keyClicks(child<QLineEdit>(w, "txtNome"), "  ");
            QTest::keyClick(child<QLineEdit>(w, "txtNome"), Qt::Key_Enter);
        });
        auto result = ui::AskName(nullptr, model);
        QVERIFY(stayed);
        using Call = test::ScriptedMessages::Call;
        QCOMPARE(boxes->calls.size(), size_t(1));
        QVERIFY((boxes->calls[0] == Call{"warning", texts::GetText(1002), texts::GetText(1033)}));
        QVERIFY(result);
        QCOMPARE(*result, std::string("  "));
    }

    void escapeAndTheCloseButtonCancel_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Escape") << true;
        QTest::newRow("close") << false;
    }
    void escapeAndTheCloseButtonCancel() {
        QFETCH(bool, byKey);
        test::ScopedMessages boxes;
        editor::NewNameDialog model;
        whenShown("frmNewName", [&](QWidget* w) {
            auto* name = child<QLineEdit>(w, "txtNome");
            QTest::keyClicks(name, "Hall");
            if (byKey)
                QTest::keyClick(name, Qt::Key_Escape);
            else
                w->close();
        });
        QVERIFY(!ui::AskName(nullptr, model));
        QVERIFY(!model.Confirmed);
        QVERIFY(boxes->calls.empty());
    }

    void newScenarioNameShowsItsPromptsAndTakesFifteen() {
        QString heading, prompt, purpose, okName;
        bool purposeHidden = false;
        whenShown("frmNewName", [&](QWidget* w) {
            heading = child<QLabel>(w, "lblTesta")->text();
            prompt = child<QLabel>(w, "lblText")->text();
            purpose = child<QLabel>(w, "lblOpe")->text();
            purposeHidden = !child<QLabel>(w, "lblOpe")->isVisible();
            okName = child<QPushButton>(w, "cmdOK")->accessibleName();
            expectNothingClipped(w);
            QTest::keyClicks(child<QLineEdit>(w, "txtNome"), "Living room lamps");
            QTest::mouseClick(child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
        });
        auto result = ui::AskNewScenarioName(nullptr);
        QCOMPARE(heading, T(1059));
        QCOMPARE(prompt, T(1060));
        QCOMPARE(purpose, QStringLiteral("NEWSCRIPT"));
        QVERIFY(purposeHidden);
        QCOMPARE(okName, T(1004));
        QVERIFY(result);
        QCOMPARE(*result, std::string("Living room lam"));
    }

    // ---- frmLog ----------------------------------------------------------

    void logShowsTheRunAndCannotBeClosedBeforeItsEnd() {
        test::ScopedMessages boxes;
        Workshop shop;
        auto run = makeRun("COMPILEALL", 3,
                           [&](FakeCompiler& k, const std::string& name, std::string&, int32_t&) {
                               k.say("Compiling " + name, compiler::kColourBlue);
                               if (name == "S2") shop.wait();
                               k.say(name + " ready", compiler::kColourBlack);
                               std::lock_guard<std::mutex> lock(shop.m);
                               shop.compiled.push_back(name);
                           });
        bool okWhileRunning = true, stillShown = false, busyWhileRunning = false;
        bool busyAfter = true, okAfter = false;
        QStringList icons;
        QString last, action;
        int value = 0, maximum = 0;
        whenShown("frmLog", [&](QWidget* w) {
            auto* list = child<QListWidget>(w, "LW1");
            auto* ok = child<QPushButton>(w, "cmdOK");
            QTRY_COMPARE(list->count(), 3);  // S1's two lines, S2's first
            okWhileRunning = ok->isEnabled();
            busyWhileRunning = QApplication::overrideCursor() != nullptr;
            w->close();
            QTest::keyClick(w, Qt::Key_Escape);
            QTest::keyClick(w, Qt::Key_Return);
            stillShown = w->isVisible();
            shop.release();
            QTRY_VERIFY(ok->isEnabled());
            busyAfter = QApplication::overrideCursor() != nullptr;
            for (int i = 0; i < list->count(); ++i) {
                const qint64 key = list->item(i)->icon().cacheKey();
                icons << (key == ui::ResourceIcon("vbblue").cacheKey()    ? "blue"
                          : key == ui::ResourceIcon("vbblack").cacheKey() ? "black"
                                                                          : "other");
            }
            last = child<QLabel>(w, "lblLog")->text();
            action = child<QLabel>(w, "lblAction")->text();
            value = child<QProgressBar>(w, "ProgressBar1")->value();
            maximum = child<QProgressBar>(w, "ProgressBar1")->maximum();
            expectNothingClipped(w);
            okAfter = true;
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        compiler::CompileResult r = ui::RunCompileWindow(nullptr, *run);
        QVERIFY(okAfter);
        QVERIFY(!okWhileRunning);
        QVERIFY(stillShown);
        QVERIFY(busyWhileRunning);
        QVERIFY(!busyAfter);
        QCOMPARE(icons, (QStringList{"blue", "black", "blue", "black", "blue", "black"}));
        QCOMPARE(last, QStringLiteral("S3 ready"));
        QCOMPARE(action, T(1632));
        QCOMPARE(value, 3);
        QCOMPARE(maximum, 3);
        QCOMPARE(r.compiled, 3);
        QCOMPARE(shop.done(), (std::vector<std::string>{"S1", "S2", "S3"}));
        using Call = test::ScriptedMessages::Call;
        QVERIFY((boxes->calls ==
                 std::vector<Call>{{"information", texts::GetText(1002), texts::GetText(1635)}}));
    }

    void stopEndsTheRunAfterTheScenarioInProgress() {
        test::ScopedMessages boxes;
        Workshop shop;
        std::unique_ptr<compiler::CompileRun> run;
        run = makeRun("COMPILEALL", 5,
                      [&](FakeCompiler& k, const std::string& name, std::string&, int32_t&) {
                          k.say("Compiling " + name, compiler::kColourBlue);
                          // A slow scenario: still compiling when the user stops the run.
                          if (name == "S2") shop.waitFor([&] { return run->cancelRequested(); });
                          std::lock_guard<std::mutex> lock(shop.m);
                          shop.compiled.push_back(name);
                      });
        int value = -1;
        whenShown("frmLog", [&](QWidget* w) {
            auto* list = child<QListWidget>(w, "LW1");
            QTRY_COMPARE(list->count(), 2);
            QCOMPARE(list->item(1)->text(), QStringLiteral("Compiling S2"));
            QTest::mouseClick(child<QPushButton>(w, "cmdAnnulla"), Qt::LeftButton);
            QTRY_VERIFY(child<QPushButton>(w, "cmdOK")->isEnabled());
            value = child<QProgressBar>(w, "ProgressBar1")->value();
            QTest::mouseClick(child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
        });
        compiler::CompileResult r = ui::RunCompileWindow(nullptr, *run);
        QVERIFY(r.cancelled);
        QCOMPARE(r.compiled, 2);
        QCOMPARE(value, 2);
        QCOMPARE(shop.done(), (std::vector<std::string>{"S1", "S2"}));
        using Call = test::ScriptedMessages::Call;
        QVERIFY((boxes->calls ==
                 std::vector<Call>{{"information", texts::GetText(1002), texts::GetText(1630)}}));
    }

    void failedScenariosEndWithAWarningListingThem() {
        test::ScopedMessages boxes;
        auto run = makeRun(
            "COMPILE", 2,
            [](FakeCompiler& k, const std::string& name, std::string& error, int32_t& status) {
                if (name != "S2") return;
                k.say("Unknown device", compiler::kColourRed);
                error = "Unknown device";
                status = 0;
            });
        QString action, icon;
        whenShown("frmLog", [&](QWidget* w) {
            QTRY_VERIFY(child<QPushButton>(w, "cmdOK")->isEnabled());
            action = child<QLabel>(w, "lblAction")->text();
            auto* list = child<QListWidget>(w, "LW1");
            QCOMPARE(list->count(), 1);
            if (list->item(0)->icon().cacheKey() == ui::ResourceIcon("vbred").cacheKey())
                icon = "red";
            QTest::keyClick(w, Qt::Key_Escape);  // closes once the run has ended
        });
        compiler::CompileResult r = ui::RunCompileWindow(nullptr, *run);
        QCOMPARE(action, T(1631));
        QCOMPARE(icon, QStringLiteral("red"));
        QCOMPARE(r.failed, 1);
        using Call = test::ScriptedMessages::Call;
        QVERIFY((boxes->calls ==
                 std::vector<Call>{{"warning", texts::GetText(1002), "S2\tUnknown device\r"}}));
    }

    void configuratorThatWillNotStartIsAWarning() {
        test::ScopedMessages boxes;
        compiler::CompileRun run("LEXORA", {});
        run.setConfiguratorStarter([] { return std::string("no filter file"); });
        QString action;
        bool stopShown = true;
        whenShown("frmLog", [&](QWidget* w) {
            QTRY_VERIFY(child<QPushButton>(w, "cmdOK")->isEnabled());
            action = child<QLabel>(w, "lblAction")->text();
            stopShown = child<QPushButton>(w, "cmdAnnulla")->isVisible();
            QTest::keyClick(w, Qt::Key_Return);
        });
        ui::RunCompileWindow(nullptr, run);
        QCOMPARE(action, T(1633));
        QVERIFY(!stopShown);
        using Call = test::ScriptedMessages::Call;
        QVERIFY((boxes->calls == std::vector<Call>{{"warning", texts::GetText(1002),
                                                    texts::GetText(1114) + "\rno filter file"}}));
    }

    // ---- frmImportPrj ----------------------------------------------------

    void importReturnsTheCheckedRowsInListOrder() {
        std::vector<project::ImportRow> rows{{false, "Kitchen", "a/1.tdx"},
                                             {false, "Hall", "a/2.tdx"},
                                             {false, "Garage", "a/3.tdx"}};
        QStringList shown;
        int checkedAtFirst = -1;
        QString title;
        whenShown("frmImportPrj", [&](QWidget* w) {
            title = w->windowTitle();
            auto* list = child<QListWidget>(w, "LW1");
            checkedAtFirst = 0;
            for (int i = 0; i < list->count(); ++i) {
                shown << list->item(i)->text();
                checkedAtFirst += list->item(i)->checkState() == Qt::Checked;
            }
            expectNothingClipped(w);
            list->setCurrentRow(2);
            QTest::keyClick(list, Qt::Key_Space);
            list->setCurrentRow(0);
            QTest::keyClick(list, Qt::Key_Space);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QVERIFY(ui::ChooseScenariosToImport(nullptr, rows));
        QCOMPARE(title, T(1067));
        QCOMPARE(shown, (QStringList{"Kitchen", "Hall", "Garage"}));
        QCOMPARE(checkedAtFirst, 0);
        QCOMPARE(rows[0].checked, true);
        QCOMPARE(rows[1].checked, false);
        QCOMPARE(rows[2].checked, true);
        QCOMPARE(rows[2].tag, std::string("a/3.tdx"));
    }

    void importSelectAllThenEscapeChangesNothing() {
        std::vector<project::ImportRow> rows{{false, "Kitchen", "a/1.tdx"},
                                             {false, "Hall", "a/2.tdx"}};
        int checked = 0;
        QString label;
        whenShown("frmImportPrj", [&](QWidget* w) {
            auto* all = child<QPushButton>(w, "imgSelectAll");
            label = all->text();
            QTest::mouseClick(all, Qt::LeftButton);
            auto* list = child<QListWidget>(w, "LW1");
            for (int i = 0; i < list->count(); ++i)
                checked += list->item(i)->checkState() == Qt::Checked;
            QTest::keyClick(list, Qt::Key_Escape);
        });
        QVERIFY(!ui::ChooseScenariosToImport(nullptr, rows));
        QCOMPARE(label, T(1075));
        QCOMPARE(checked, 2);
        QVERIFY(!rows[0].checked && !rows[1].checked);
    }

    // ---- both languages --------------------------------------------------

    void italianCaptionsFit() {
        useLanguage("ITA");
        std::vector<project::ImportRow> rows{{false, "Cucina", "a/1.tdx"}};
        whenShown("frmImportPrj", [](QWidget* w) {
            expectNothingClipped(w);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        ui::ChooseScenariosToImport(nullptr, rows);
        whenShown("frmNewName", [](QWidget* w) {
            expectNothingClipped(w);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        ui::AskNewScenarioName(nullptr);
        test::ScopedMessages boxes;
        auto run = makeRun("COMPILEALL", 1,
                           [](FakeCompiler&, const std::string&, std::string&, int32_t&) {});
        whenShown("frmLog", [](QWidget* w) {
            QTRY_VERIFY(child<QPushButton>(w, "cmdOK")->isEnabled());
            expectNothingClipped(w);
            QTest::mouseClick(child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
        });
        ui::RunCompileWindow(nullptr, *run);
        useLanguage("ENG");
    }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
