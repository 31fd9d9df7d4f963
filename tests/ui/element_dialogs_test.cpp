// The element dialogs on screen, driven as a user would under the offscreen
// platform: every (object, area) pair of the shipped catalogue in the
// property dialog, compared with its model; the keys, the start-up guard,
// the digits-only boxes; the time dialogs, the operator and the ambiguity
// dialogs.

// Before any Qt header: the canvas names a member "slots", which Qt takes for
// a keyword.
#include "editor/canvas.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QTimeEdit>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <map>
#include <set>

#include "editor/property_dialog.h"
#include "env/environment.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/catalogue_ids.h"
#include "model/schema.h"
#include "support/test_env.h"
#include "ui/choice_dialogs.h"
#include "ui/chrome.h"
#include "ui/dialog_parts.h"
#include "ui/property_dialog.h"
#include "ui/time_dialog.h"

using namespace tessed;
using editor::PropRow;

namespace {

constexpr uint32_t kWhite = 0xFFFFFF, kGrey = 0xC0C0C0, kRed = 0xFF0000, kGreen = 0x00FF00;
const editor::Moment kNow{2025, 6, 15, 10, 45};

db::Database& Master() { return env::Env().master(); }

template <class W = QWidget>
W* Child(QWidget* root, const char* name, int index = -1) {
    for (W* w : root->findChildren<W*>(QLatin1String(name)))
        if (index < 0 || w->property("index").toInt() == index) return w;
    return nullptr;
}

// The items of a list as text|data lines, and the same for a model's list.
QStringList Items(const QComboBox* c) {
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i) + "|" + QString::number(c->itemData(i).toInt());
    out << "sel=" + QString::number(c->currentIndex());
    return out;
}
QStringList Items(const editor::ChoiceList& l) {
    QStringList out;
    for (int i = 0; i < l.count(); ++i)
        out << ui::Q(l.item(i).text) + "|" + QString::number(l.item(i).data);
    out << "sel=" + QString::number(l.index());
    return out;
}

std::string ValuesText(const ElementValues& v) {
    std::string s = std::to_string(v.ID_OBJ) + " " + v.DESCRI + " " + std::to_string(v.CHI_KEY) +
                    " " + std::to_string(v.COSA_KEY) + " " + std::to_string(v.DOVE_KEY) + " " +
                    std::to_string(v.ID_RES_COSA) + " '" + v.value + "' " + std::to_string(v.area) +
                    " " + std::to_string(v.LEVEL_KEY) + " " + std::to_string(v.ADD_INT);
    for (int p : v.PARAM) s += " " + std::to_string(p);
    return s;
}

// A dialog's time picker value is "now": both runs must see the same one.
void FixTime(editor::PropertyDialog& d) { d.dtpTime = {10, 45, 0}; }

// What a person does when the offered values are refused: a delay, a
// duration, an interface. On the model, and the same through the widgets.
void Complete(editor::PropertyDialog& d) {
    if (d.txtKey_OPT.visible && d.txtKey_OPT.text.empty()) d.txtKey_OPT.text = "5";
    if (d.txtKey_OPT2.visible && d.txtKey_OPT2.text.empty()) d.txtKey_OPT2.text = "10";
    if (d.UpDownMin.visible && d.UpDownHour.value == 0 && d.UpDownMin.value == 0 &&
        d.UpDownSec.value == 0)
        d.UpDownMin.set(1);
    if (d.cmbADDInt.count() > 1 && d.cmbADDInt.data().value_or(0) <= 0) d.cmbADDInt.setIndex(1);
}
void CompleteOnScreen(ui::PropertyDialogWindow& w) {
    editor::PropertyDialog& d = w.model();
    if (d.txtKey_OPT.visible && d.txtKey_OPT.text.empty())
        QTest::keyClicks(Child<QLineEdit>(&w, "txtKey_OPT"), "5");
    if (d.txtKey_OPT2.visible && d.txtKey_OPT2.text.empty())
        QTest::keyClicks(Child<QLineEdit>(&w, "txtKey_OPT2"), "10");
    if (d.UpDownMin.visible && d.UpDownHour.value == 0 && d.UpDownMin.value == 0 &&
        d.UpDownSec.value == 0)
        Child<QSpinBox>(&w, "UpDownMin")->stepUp();
    if (d.cmbADDInt.count() > 1 && d.cmbADDInt.data().value_or(0) <= 0)
        Child<QComboBox>(&w, "cmbADDInt")->setCurrentIndex(1);
}

// The caption a row shows when the model keeps the dialog's own.
const std::map<PropRow, int> kOwnCaptions = {{PropRow::kCosa, 1010},  {PropRow::kDove, 1011},
                                             {PropRow::kLevel, 1012}, {PropRow::kAddInt, 1013},
                                             {PropRow::kTemp, 1106},  {PropRow::kSonda, 1107}};

}  // namespace

class ElementDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> dir_;
    std::shared_ptr<test::ScriptedMessages> messages_;

    // The shipped catalogue in `lang`, in a fresh data folder.
    void open(const std::string& lang) {
        env::Env().CloseConnection();
        texts::Clear();
        dir_ = std::make_unique<test::TempDir>();
        ::setenv("TESSED_DATA_DIR", (dir_->path() / "data").c_str(), 1);
        ::setenv("TESSED_DOCUMENTS_DIR", (dir_->path() / "docs").c_str(), 1);
        ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
        Host() = HostSettings{};
        Host().ParentEXEname = "quarn";  // a host that chooses the language
        Host().ParentLang = lang;
        Flags() = RuntimeFlags{};
        schema::InstallWorkingTables();
        auto& e = env::Env();
        QVERIFY(e.InitFolders(env::AppFolderName()) && e.OpenSystemDatabase());
        QCOMPARE(e.currentLanguage(), lang);
    }

    std::vector<std::string> calls() const {
        std::vector<std::string> out;
        for (const auto& c : messages_->calls) out.push_back(c.kind + ":" + c.text);
        return out;
    }
    std::string last() const { return messages_->calls.empty() ? "" : calls().back(); }
    static std::string warning(int id) { return "warning:" + texts::GetText(id); }

    // A property dialog as the editor prepares it, shown.
    std::unique_ptr<ui::PropertyDialogWindow> showProp(editor::PropertyDialog& d, int obj,
                                                       int area) {
        d.Form_Load();
        d.LoadData(obj, area);
        d.txtDescri.maxLength = 20;
        FixTime(d);
        d.Visible = true;
        auto w = std::make_unique<ui::PropertyDialogWindow>(d);
        w->show();
        return w;
    }

    // Every check of the window against its model.
    void compareWithModel(ui::PropertyDialogWindow& w) {
        const editor::PropertyDialog& m = w.model();
        // Rows: shown as the model says, top to bottom in its order, one gap
        // between neighbours whatever is hidden, the buttons after the last.
        std::vector<std::pair<int, PropRow>> shown;
        for (int i = 0; i < editor::kPropRowCount; ++i) {
            const auto r = PropRow(i);
            QCOMPARE(w.rowWidget(r)->isVisible(), m.RowVisible(r));
            if (m.RowVisible(r)) shown.push_back({w.rowWidget(r)->y(), r});
        }
        std::sort(shown.begin(), shown.end());
        std::vector<PropRow> order;
        for (auto& s : shown) order.push_back(s.second);
        QVERIFY(order == m.VisibleRows());
        std::vector<QWidget*> stack;
        for (auto& s : shown) stack.push_back(w.rowWidget(s.second));
        stack.push_back(w.buttonRow());
        const int gap = stack.size() > 1 ? stack[1]->y() - stack[0]->geometry().bottom() : 0;
        for (size_t i = 1; i < stack.size(); ++i)
            QCOMPARE(stack[i]->y() - stack[i - 1]->geometry().bottom(), gap);
        QCOMPARE(w.height() - w.buttonRow()->geometry().bottom() - 1,
                 w.layout()->contentsMargins().bottom());

        // Captions by text number.
        for (auto [r, own] : kOwnCaptions) {
            const editor::CaptionId c = r == PropRow::kCosa     ? m.lblCosa
                                        : r == PropRow::kDove   ? m.lblDove
                                        : r == PropRow::kLevel  ? m.lblLevel
                                        : r == PropRow::kAddInt ? m.lblADDINT
                                        : r == PropRow::kTemp   ? m.lblTemp
                                                                : m.lblSonda;
            const QString expected = c.id == 0 ? ui::Text(own) : ui::Q(c.text());
            QCOMPARE(w.rowCaption(r)->text(), expected);
        }
        for (int i = 0; i < 3; ++i)
            if (m.RowVisible(PropRow(int(PropRow::kPos8) + i)))
                QCOMPARE(w.rowCaption(PropRow(int(PropRow::kPos8) + i))->text(),
                         ui::Q(m.lblPos[size_t(i)].text()));
        QCOMPARE(Child<QLabel>(&w, "lblChi")->text(), ui::Q(m.lblChi));

        // Lists: contents, selection, shown, enabled and their colour.
        struct L {
            const char* name;
            int index;
            const editor::ListBox& list;
            PropRow row;
        };
        const L lists[] = {{"cmbCosa", -1, m.cmbCosa, PropRow::kCosa},
                           {"cmbCosa2", -1, m.cmbCosa2, PropRow::kDove},
                           {"cmbDove", -1, m.cmbDove, PropRow::kDove},
                           {"cmbLevel", -1, m.cmbLevel, PropRow::kLevel},
                           {"cmbADDInt", -1, m.cmbADDInt, PropRow::kAddInt},
                           {"cmbOperatorTemp", -1, m.cmbOperatorTemp, PropRow::kTemp},
                           {"cmbSonda", -1, m.cmbSonda, PropRow::kSonda},
                           {"cmbPos", 8, m.cmbPos[0], PropRow::kPos8},
                           {"cmbPos", 9, m.cmbPos[1], PropRow::kPos9},
                           {"cmbPos", 10, m.cmbPos[2], PropRow::kPos10}};
        for (const L& l : lists) {
            auto* c = Child<QComboBox>(&w, l.name, l.index);
            QVERIFY2(c, l.name);
            QCOMPARE(Items(c), Items(l.list));
            QCOMPARE(c->isVisible(), l.list.visible && m.RowVisible(l.row));
            QCOMPARE(c->isEnabled(), l.list.enabled);
            QCOMPARE(ui::InputBackground(c), l.list.enabled ? kWhite : kGrey);
        }
        // Boxes and spinners. The value box stands in the probe row, in the
        // temperature row when that is hidden; the spinners in the time row,
        // in the temperature row when that is hidden.
        const bool valueRow = m.RowVisible(PropRow::kSonda) || m.RowVisible(PropRow::kTemp);
        const bool durationRow = m.RowVisible(PropRow::kTime) || m.RowVisible(PropRow::kTemp);
        struct B {
            const char* name;
            bool visible, enabled;
            std::string text;
        };
        const B boxes[] = {
            {"txtKey_OPT", m.txtKey_OPT.visible && m.RowVisible(PropRow::kCosa), true,
             m.txtKey_OPT.text},
            {"txtKey_OPT2", m.txtKey_OPT2.visible && m.RowVisible(PropRow::kDove), true,
             m.txtKey_OPT2.text},
            {"txtDOVEPI", m.txtDOVEPI.visible && m.RowVisible(PropRow::kDove), true,
             m.txtDOVEPI.text},
            {"txtValue", m.txtValue.visible && valueRow, m.txtValue.enabled, m.txtValue.text},
            {"txtDescri", true, true, m.txtDescri.text}};
        for (const B& b : boxes) {
            auto* e = Child<QLineEdit>(&w, b.name);
            QCOMPARE(e->isVisible(), b.visible);
            QCOMPARE(e->isEnabled(), b.enabled);
            QCOMPARE(ui::U(e->text()), b.text);
        }
        struct S {
            const char* name;
            const editor::Spinner& s;
            bool row;
        };
        const S spins[] = {{"UpDownTemp", m.UpDownTemp, m.RowVisible(PropRow::kTemp)},
                           {"UpDownHour", m.UpDownHour, durationRow},
                           {"UpDownMin", m.UpDownMin, durationRow},
                           {"UpDownSec", m.UpDownSec, durationRow}};
        for (const S& s : spins) {
            auto* b = Child<QSpinBox>(&w, s.name);
            QCOMPARE(b->isVisible(), s.s.visible && s.row);
            QCOMPARE(b->isEnabled(), s.s.enabled);
            QCOMPARE(ui::InputBackground(b), s.s.enabled ? kWhite : kGrey);
            QCOMPARE(std::tuple(b->value(), b->minimum(), b->maximum()),
                     std::tuple(s.s.value, s.s.min, s.s.max));
        }
        const PropRow durationHost = m.RowVisible(PropRow::kTime) ? PropRow::kTime : PropRow::kTemp;
        const PropRow valueHost = m.RowVisible(PropRow::kSonda) ? PropRow::kSonda : PropRow::kTemp;
        QVERIFY(w.rowWidget(durationHost)->isAncestorOf(Child<QSpinBox>(&w, "UpDownHour")));
        QVERIFY(w.rowWidget(valueHost)->isAncestorOf(Child<QLineEdit>(&w, "txtValue")));
        if (m.lblTempVVisible && m.UpDownTemp.visible)
            QCOMPARE(Child<QSpinBox>(&w, "UpDownTemp")->text(), ui::Q(m.lblTempV()));
        QCOMPARE(Child<QTimeEdit>(&w, "dtpTime")->isVisible(),
                 m.dtpTimeVisible && m.RowVisible(PropRow::kCosa));
        QCOMPARE(Child<QWidget>(&w, "UpDownDovePI")->isVisible(),
                 m.UpDownDovePI.visible && m.RowVisible(PropRow::kDove));

        checkReadable(&w);
        // Tab order: top to bottom among the inputs shown.
        std::vector<QWidget*> chain;
        QWidget* start = Child<QLineEdit>(&w, "txtDescri");
        for (QWidget* f = start; f; f = f->nextInFocusChain()) {
            if (!chain.empty() && f == start) break;
            if (f->isVisible() && f->isEnabled() && (f->focusPolicy() & Qt::TabFocus) &&
                f->window() == &w && !qobject_cast<QLineEdit*>(f->parentWidget()) &&
                !qobject_cast<QAbstractSpinBox*>(f->parentWidget()))
                chain.push_back(f);
        }
        // Row by row, and left to right within a row.
        auto place = [&](QWidget* f) {
            QWidget* row = f;
            while (row->parentWidget() != &w) row = row->parentWidget();
            return std::pair(row->y(), f->mapTo(&w, QPoint()).x());
        };
        for (size_t i = 1; i < chain.size(); ++i)
            QVERIFY2(place(chain[i]) >= place(chain[i - 1]),
                     qPrintable(chain[i - 1]->objectName() + " then " + chain[i]->objectName()));
    }

    // Every shown control has an accessible name, and no shown caption is cut.
    static void checkReadable(QWidget* root) {
        for (QWidget* c : root->findChildren<QWidget*>()) {
            if (!c->isVisible()) continue;
            if (qobject_cast<QComboBox*>(c) || qobject_cast<QAbstractButton*>(c) ||
                qobject_cast<QAbstractSpinBox*>(c) ||
                (qobject_cast<QLineEdit*>(c) &&
                 !qobject_cast<QAbstractSpinBox*>(c->parentWidget())))
                if (!qobject_cast<QToolButton*>(c))
                    QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
            if (auto* l = qobject_cast<QLabel*>(c); l && !l->wordWrap())
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
            if (auto* b = qobject_cast<QAbstractButton*>(c); b && !b->text().isEmpty())
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(b->text()));
        }
    }

  private slots:
    void init() {
        messages_ = std::make_shared<test::ScriptedMessages>();
        SetMessages(messages_);
        open("ITA");
    }

    void cleanup() {
        SetMessages(nullptr);
        env::Env().CloseConnection();
        texts::Clear();
        dir_.reset();
    }

    // Every (object, area) of the shipped catalogue, in both languages: the
    // window shows what the model says, and OK on it gives what OK on the
    // model alone gives.
    void catalogueWalk_data() {
        QTest::addColumn<QString>("lang");
        QTest::newRow("Italian") << "ITA";
        QTest::newRow("English") << "ENG";
    }
    void catalogueWalk() {
        QFETCH(QString, lang);
        open(lang.toStdString());
        std::set<std::pair<int, int>> pairs;
        const std::pair<const char*, editor::StripId> flags[] = {
            {"TRIGGER", editor::StripId::kTrigger}, {"TRIGGERSTOP", editor::StripId::kTriggerStop},
            {"COND_OK", editor::StripId::kCondOk},  {"COND_KO", editor::StripId::kCondKo},
            {"ACT", editor::StripId::kStepAct},     {"ACT_ELSE", editor::StripId::kStepActElse}};
        for (const db::Row& o : Master().query("SELECT * FROM ASS_OBJ_AREE ORDER BY ID_OBJ"))
            for (auto [flag, group] : flags)
                // The calendar object has the time dialogs instead.
                if (o.getBool(flag) && o.getInt("ID_OBJ") != model::obj::kCalendar)
                    pairs.insert({int(o.getInt("ID_OBJ")), editor::Info(group).area});
        QVERIFY(pairs.size() > 60);
        for (auto [obj, area] : pairs) {
            const QByteArray where = QByteArray("object ") + QByteArray::number(obj) + " area " +
                                     QByteArray::number(area);
            // The model alone.
            messages_->calls.clear();
            editor::PropertyDialog alone;
            alone.Form_Load();
            const bool custom = alone.LoadData(obj, area);
            alone.txtDescri.maxLength = 20;
            FixTime(alone);
            alone.Timer1_Timer();
            if (!alone.cmdOK().confirmed) {
                Complete(alone);
                QVERIFY2(alone.cmdOK().confirmed, where);
            }
            const auto aloneCalls = calls();

            // The window.
            messages_->calls.clear();
            editor::PropertyDialog d;
            auto w = showProp(d, obj, area);
            QVERIFY2(QTest::qWaitForWindowExposed(w.get()), where);
            compareWithModel(*w);
            if (QTest::currentTestFailed()) QFAIL(where);
            auto* ok = Child<QPushButton>(w.get(), "cmdOK");
            QTRY_VERIFY(ok->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
            if (w->isVisible()) {
                CompleteOnScreen(*w);
                compareWithModel(*w);
                QTest::mouseClick(ok, Qt::LeftButton);
            }
            QVERIFY2(!w->isVisible() && d.Confirmed, where);
            QCOMPARE(w->result(), int(QDialog::Accepted));
            QCOMPARE(calls(), aloneCalls);
            QCOMPARE(ValuesText(d.ReadValues(custom)), ValuesText(alone.ReadValues(custom)));
        }
    }

    void lightingInTheActions() {
        editor::PropertyDialog d;
        auto w = showProp(d, 1, model::area::kActions);
        auto* ok = Child<QPushButton>(w.get(), "cmdOK");
        auto* cancel = Child<QPushButton>(w.get(), "cmdAnnulla");
        // The start-up guard: disabled on showing, enabled after one turn.
        QVERIFY(!ok->isEnabled() && !cancel->isEnabled());
        auto* dove = Child<QComboBox>(w.get(), "cmbDove");
        QVERIFY(dove && dove->count() > 1);
        // Enter and Escape wait for the guard too.
        QTest::keyClick(dove, Qt::Key_Escape);
        QTest::keyClick(dove, Qt::Key_Return);
        QVERIFY(w->isVisible() && messages_->calls.empty());
        QCoreApplication::processEvents();
        QVERIFY(ok->isEnabled() && cancel->isEnabled());

        // A WHERE chosen on screen refills the levels as the model does.
        editor::PropertyDialog same;
        same.LoadData(1, model::area::kActions);
        for (int i : {dove->count() - 1, 0}) {
            dove->setCurrentIndex(i);
            same.SelectDove(i);
            QCOMPARE(Items(Child<QComboBox>(w.get(), "cmbLevel")), Items(same.cmbLevel));
            QCOMPARE(Items(Child<QComboBox>(w.get(), "cmbADDInt")), Items(same.cmbADDInt));
            QCOMPARE(d.cmbDove.index(), i);
        }
        // Enter with no WHERE chosen: 1003, the dialog stays.
        dove->setCurrentIndex(-1);
        QTest::keyClick(dove, Qt::Key_Return);
        QCOMPARE(last(), warning(1003));
        QVERIFY(w->isVisible() && !d.Confirmed);
        // Enter in the description adds nothing to it (and presses OK).
        dove->setCurrentIndex(0);
        auto* descri = Child<QLineEdit>(w.get(), "txtDescri");
        QTest::keyClicks(descri, "Hall");
        QTest::keyClick(descri, Qt::Key_Enter);
        QCOMPARE(descri->text(), QStringLiteral("Hall"));
        QCOMPARE(d.txtDescri.text, "Hall");
        QVERIFY(!w->isVisible() && d.Confirmed);

        // Escape: hidden, not confirmed.
        editor::PropertyDialog e;
        auto v = showProp(e, 1, model::area::kActions);
        QTRY_VERIFY(Child<QPushButton>(v.get(), "cmdOK")->isEnabled());
        QTest::keyClick(Child<QComboBox>(v.get(), "cmbCosa"), Qt::Key_Escape);
        QVERIFY(!v->isVisible() && !e.Confirmed);
        QCOMPARE(v->result(), int(QDialog::Rejected));
    }

    void delaysOfObject45() {
        editor::PropertyDialog d;
        auto w = showProp(d, model::obj::kRandomDelay, model::area::kActions);
        auto* ok = Child<QPushButton>(w.get(), "cmdOK");
        QTRY_VERIFY(ok->isEnabled());
        // The second delay and its unit in the WHERE row, the captions of the two.
        QCOMPARE(Child<QLineEdit>(w.get(), "txtKey_OPT2")->parentWidget(),
                 w->rowWidget(PropRow::kDove));
        QCOMPARE(w->rowCaption(PropRow::kCosa)->text(), ui::Text(1551));
        QCOMPARE(w->rowCaption(PropRow::kDove)->text(), ui::Text(1552));
        auto* first = Child<QLineEdit>(w.get(), "txtKey_OPT");
        auto* second = Child<QLineEdit>(w.get(), "txtKey_OPT2");
        auto* unit1 = Child<QComboBox>(w.get(), "cmbCosa");
        auto* unit2 = Child<QComboBox>(w.get(), "cmbCosa2");
        const int secs = unit1->findData(314), mins = unit1->findData(315);
        QVERIFY(secs >= 0 && mins >= 0);
        // 2 minutes then 90 seconds: refused.
        QTest::keyClicks(first, "2");
        unit1->setCurrentIndex(mins);
        QTest::keyClicks(second, "90");
        unit2->setCurrentIndex(secs);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(last(), warning(1554));
        QVERIFY(w->isVisible());
        // 90 seconds then 2 minutes: accepted.
        first->clear();
        QTest::keyClicks(first, "90");
        unit1->setCurrentIndex(secs);
        second->clear();
        QTest::keyClicks(second, "2");
        unit2->setCurrentIndex(mins);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!w->isVisible() && d.Confirmed);
        const auto v = d.ReadValues(false);
        QCOMPARE(std::tuple(v.value, v.COSA_KEY, v.PARAM[0], v.PARAM[1]),
                 std::tuple(std::string("90"), int64_t(314), 2, 315));
    }

    // The digits-only boxes refuse anything else however it comes in.
    void digitsOnlyBoxes_data() {
        QTest::addColumn<int>("obj");
        QTest::addColumn<int>("area");
        QTest::addColumn<QString>("box");
        QTest::newRow("typed address") << int(model::obj::kLightByAddress) << 5 << "txtDOVEPI";
        QTest::newRow("delay") << int(model::obj::kDelay) << 5 << "txtKey_OPT";
        QTest::newRow("second delay") << int(model::obj::kRandomDelay) << 5 << "txtKey_OPT2";
        QTest::newRow("value") << int(model::obj::kVariable) << 5 << "txtValue";
    }
    void digitsOnlyBoxes() {
        QFETCH(int, obj);
        QFETCH(int, area);
        QFETCH(QString, box);
        editor::PropertyDialog d;
        auto w = showProp(d, obj, area);
        auto* e = Child<QLineEdit>(w.get(), box.toLatin1().constData());
        QVERIFY(e && e->isVisible());
        const QString before = e->text();
        // Pasted.
        QGuiApplication::clipboard()->setText(QStringLiteral("12a"));
        e->setFocus();
        e->end(false);
        e->paste();
        QCOMPARE(e->text(), before);
        // Dropped (a drop inserts as a paste does).
        e->insert(QStringLiteral("-3"));
        QCOMPARE(e->text(), before);
        // Typed: the digits only.
        QTest::keyClicks(e, "4x5");
        QCOMPARE(e->text(), before + "45");
        QCOMPARE(ui::Q(box == "txtDOVEPI"     ? d.txtDOVEPI.text
                       : box == "txtKey_OPT"  ? d.txtKey_OPT.text
                       : box == "txtKey_OPT2" ? d.txtKey_OPT2.text
                                              : d.txtValue.text),
                 before + "45");
    }

    void typedAddressOfObject49() {
        editor::PropertyDialog d;
        auto w = showProp(d, model::obj::kLightByAddress, model::area::kActions);
        auto* ok = Child<QPushButton>(w.get(), "cmdOK");
        QTRY_VERIFY(ok->isEnabled());
        auto* address = Child<QLineEdit>(w.get(), "txtDOVEPI");
        QVERIFY(!Child<QComboBox>(w.get(), "cmbDove")->isVisible());
        QCOMPARE(address->parentWidget(), w->rowWidget(PropRow::kDove));
        // The spinner steps the address within the first and last point.
        QToolButton* up = Child<QWidget>(w.get(), "UpDownDovePI")->findChildren<QToolButton*>()[0];
        const std::string first = d.txtDOVEPI.text;
        QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(ui::U(address->text()), std::to_string(std::stoi(first) + 1));
        // Outside the range: 1654.
        address->setText(QString::number(d.UpDownDovePI.max + 1));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(last(), warning(1654));
        QVERIFY(w->isVisible());
    }

    void timeRange() {
        editor::TimeRangeDialog d(kNow);
        d.LoadData(Master(), model::obj::kCalendar, model::area::kConditions, "");
        ui::TimeRangeWindow w(d, Master());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        auto* ok = Child<QPushButton>(&w, "cmdOK");
        auto* from = Child<QTimeEdit>(&w, "dtpDaOra");
        auto* to = Child<QTimeEdit>(&w, "DTPAOra");
        // Hour modes enable the pickers.
        for (auto [mode, fromOn, toOn] :
             {std::tuple{1, true, true}, {2, false, false}, {0, true, false}}) {
            QTest::mouseClick(Child<QRadioButton>(&w, "optOra", mode), Qt::LeftButton);
            QCOMPARE(int(d.hourMode()), mode);
            QCOMPARE(std::pair(from->isEnabled(), to->isEnabled()), std::pair(fromOn, toOn));
        }
        // Weekday boxes: red when ticked, green when cleared.
        auto* monday = Child<QCheckBox>(&w, "chkSett", 0);
        auto* thursday = Child<QCheckBox>(&w, "chkSett", 3);
        QCOMPARE(ui::InputBackground(monday), kGreen);
        QTest::mouseClick(monday, Qt::LeftButton);
        QTest::mouseClick(thursday, Qt::LeftButton);
        QCOMPARE(std::pair(ui::InputBackground(monday), ui::InputBackground(thursday)),
                 std::pair(kRed, kRed));
        QCOMPARE(d.weekMask(), 1 | 8);
        // Equal times in a band: 1079.
        QTest::mouseClick(Child<QRadioButton>(&w, "optOra", 1), Qt::LeftButton);
        from->setTime(QTime(7, 30));
        to->setTime(QTime(7, 30));
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(last(), warning(1079));
        QVERIFY(w.isVisible() && !d.Confirmed);
        // The date range: six lists enabled, the day list focused.
        QTest::mouseClick(Child<QRadioButton>(&w, "optDay", 1), Qt::LeftButton);
        for (const char* n : {"cmbDFrom", "cmbMFrom", "cmbYFROM", "cmbDTo", "cmbMTo", "cmbYTo"})
            QVERIFY2(Child<QComboBox>(&w, n)->isEnabled(), n);
        QCOMPARE(QApplication::focusWidget(), Child<QWidget>(&w, "cmbDFrom"));
        // "05.**.**" to "20.**.**": the note, then confirmed.
        auto pick = [&](const char* n, const char* text) {
            auto* c = Child<QComboBox>(&w, n);
            c->setCurrentIndex(c->findText(QLatin1String(text)));
        };
        to->setTime(QTime(18, 0));
        for (auto [n, t] : {std::pair{"cmbDFrom", "05"},
                            {"cmbMFrom", "**"},
                            {"cmbYFROM", "**"},
                            {"cmbDTo", "20"},
                            {"cmbMTo", "**"},
                            {"cmbYTo", "**"}})
            pick(n, t);
        QTest::keyClick(Child<QComboBox>(&w, "cmbDFrom"), Qt::Key_Return);
        QCOMPARE(last(), "information:" + texts::GetText(1735));
        QVERIFY(!w.isVisible() && d.Confirmed);
        // Monday and Thursday are the mask 9, which the stored text writes
        // with its leading zero.
        QVERIFY2(d.timeText.find("|SETT=09|") != std::string::npos, d.timeText.c_str());
        QCOMPARE(d.timeText, std::string("ORAFROM=0730|ORATO=1800|SETT=09|DATAFROM=05**20**|"
                                         "DATATO=20**20**|"));
        checkReadable(&w);
    }

    void timeRangeTuesdayAndThursday() {
        editor::TimeRangeDialog d(kNow);
        ui::TimeRangeWindow w(d, Master());
        w.show();
        QTest::mouseClick(Child<QCheckBox>(&w, "chkSett", 1), Qt::LeftButton);
        QTest::mouseClick(Child<QCheckBox>(&w, "chkSett", 3), Qt::LeftButton);
        QTest::keyClick(&w, Qt::Key_Return);
        QVERIFY(d.Confirmed);
        QVERIFY2(d.timeText.find("|SETT=A|") != std::string::npos, d.timeText.c_str());
        // Escape on a fresh one: cancelled.
        editor::TimeRangeDialog e(kNow);
        ui::TimeRangeWindow v(e, Master());
        v.show();
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(!v.isVisible() && !e.Confirmed);
    }

    void timeSingle() {
        editor::TimeSingleDialog d(kNow);
        d.LoadData(Master(), model::obj::kCalendar, model::area::kTriggers, "");
        ui::TimeSingleWindow w(d, Master());
        w.show();
        auto pick = [&](const char* n, const char* text) {
            auto* c = Child<QComboBox>(&w, n);
            QCOMPARE(c->itemText(0), QStringLiteral("**"));
            c->setCurrentIndex(c->findText(QLatin1String(text)));
        };
        // 31 April: 1545.
        pick("cmbD", "31");
        pick("cmbM", "04");
        QTest::mouseClick(Child<QPushButton>(&w, "cmdOK"), Qt::LeftButton);
        QCOMPARE(last(), warning(1545));
        QVERIFY(w.isVisible());
        // "**" hours and "30" minutes.
        pick("cmbD", "**");
        pick("cmbM", "**");
        pick("cmbHH", "**");
        pick("cmbMM", "30");
        QTest::keyClick(Child<QComboBox>(&w, "cmbMM"), Qt::Key_Enter);
        QVERIFY(!w.isVisible() && d.Confirmed);
        QVERIFY2(d.timeText.rfind("ORAFROM=**30|", 0) == 0, d.timeText.c_str());
        checkReadable(&w);
    }

    void operatorDialog() {
        for (auto [stored, index] : {std::pair{2, 1}, {1, 0}, {3, -1}}) {
            editor::OperatorDialog d;
            d.Preselect(stored);
            ui::OperatorWindow w(d);
            QCOMPARE(Child<QComboBox>(&w, "cmbOperatore")->currentIndex(), index);
        }
        // Next to the mark, level with it: at its right, or at its left
        // where the screen ends.
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        for (bool atRight : {true, false}) {
            editor::OperatorDialog o;
            ui::OperatorWindow v(o);
            const int x = atRight ? screen.left() + 10 : screen.right() - 34;
            const QRect mark(x, screen.top() + 40, 24, 24);
            v.placeBeside(mark);
            v.show();
            QVERIFY(QTest::qWaitForWindowExposed(&v));
            const QRect f = v.frameGeometry();
            QVERIFY(screen.contains(f));
            QCOMPARE(f.top(), mark.top());
            if (atRight)
                QVERIFY(f.left() > mark.right() && f.left() - mark.right() < 20);
            else
                QVERIFY(f.right() < mark.left() && mark.left() - f.right() < 20);
        }
        editor::OperatorDialog d;
        d.Visible = true;
        ui::OperatorWindow w(d);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        checkReadable(&w);
        // Press on OK, move away, release: still open.
        auto* ok = Child<QPushButton>(&w, "cmdOK");
        QTest::mousePress(ok, Qt::LeftButton, {}, ok->rect().center());
        QVERIFY(ok->isDown());
        QTest::mouseMove(ok, QPoint(ok->width() + 30, ok->height() / 2));
        QTest::mouseRelease(ok, Qt::LeftButton, {}, QPoint(ok->width() + 30, ok->height() / 2));
        QVERIFY(w.isVisible() && !d.Confirmed && !ok->isDown());
        // Released over it: confirmed with the choice.
        Child<QComboBox>(&w, "cmbOperatore")->setCurrentIndex(1);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!w.isVisible() && d.Confirmed);
        QCOMPARE(d.Result(), std::optional<int>(2));
    }

    void ambiguityDialog() {
        editor::AmbiguityDialog d;
        d.cmbAmbiguo.add("Light", 1);
        d.cmbAmbiguo.add("Dimmer", 2);
        d.cmbAmbiguo.setIndex(1);
        d.Visible = true;
        ui::AmbiguityWindow w(d);
        w.show();
        auto* list = Child<QComboBox>(&w, "cmbAmbiguo");
        QCOMPARE(Items(list), Items(d.cmbAmbiguo));
        QTest::keyClick(list, Qt::Key_Escape);
        QVERIFY(w.isVisible() && !d.Confirmed);
        list->setCurrentIndex(0);
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(!w.isVisible() && d.Confirmed);
        QCOMPARE(d.Result(), std::optional<int>(1));
    }

    // The functions the editor calls: modal, confirmed or not.
    void showFunctions() {
        editor::PropertyDialog d;
        d.Form_Load();
        d.LoadData(1, model::area::kActions);
        QTimer::singleShot(50, [] {
            QWidget* w = QApplication::activeModalWidget();
            QVERIFY(w && w->objectName() == "frmProp");
            QTest::keyClick(w, Qt::Key_Return);
        });
        QVERIFY(ui::ShowPropertyDialog(nullptr, d));
        editor::AmbiguityDialog a;
        a.cmbAmbiguo.add("Light", 1);
        QTimer::singleShot(50, [] {
            QWidget* w = QApplication::activeModalWidget();
            QVERIFY(w && w->objectName() == "frmSelectAmbiguo");
            QTest::mouseClick(Child<QPushButton>(w, "cmdAnnulla"), Qt::LeftButton);
        });
        QVERIFY(!ui::ShowAmbiguityDialog(nullptr, a));
    }
};

QTEST_MAIN(ElementDialogsTest)
#include "element_dialogs_test.moc"
