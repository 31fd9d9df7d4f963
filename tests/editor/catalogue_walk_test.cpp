// Every object of the shipped catalogue in every slot group it may be placed
// in: its dialog opens, confirms with the values it offers, writes a row, and
// that row opens the dialog again in the same state and writes the same row.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <set>

#include "editor_support.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/schema.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::test;

namespace {

// The shipped catalogue as the build made it, copied into a temporary data folder.
class ShippedEnv {
  public:
    ShippedEnv() {
        ::setenv("TESSED_DATA_DIR", (dir_.path() / "data").c_str(), 1);
        ::setenv("TESSED_DOCUMENTS_DIR", (dir_.path() / "docs").c_str(), 1);
        ::setenv("TESSED_SHARE_DIR", TESSED_BINARY_DIR, 1);
        Host() = HostSettings{};
        Flags() = RuntimeFlags{};
        auto& e = env::Env();
        e.CloseConnection();
        texts::Clear();
        schema::InstallWorkingTables();
        ok = e.InitFolders(env::AppFolderName()) && e.OpenSystemDatabase();
    }
    ~ShippedEnv() {
        env::Env().CloseConnection();
        texts::Clear();
        ::unsetenv("TESSED_DATA_DIR");
        ::unsetenv("TESSED_DOCUMENTS_DIR");
        ::unsetenv("TESSED_SHARE_DIR");
    }
    bool ok = false;

  private:
    TempDir dir_;
};

// Makes a dialog that refuses its offered values acceptable, the way a
// person would: a delay, a duration, an interface.
void Complete(PropertyDialog& d) {
    if (d.txtKey_OPT.visible && d.txtKey_OPT.text.empty()) d.txtKey_OPT.text = "5";
    if (d.txtKey_OPT2.visible && d.txtKey_OPT2.text.empty()) d.txtKey_OPT2.text = "10";
    if (d.UpDownMin.visible && d.UpDownHour.value == 0 && d.UpDownMin.value == 0 &&
        d.UpDownSec.value == 0)
        d.UpDownMin.set(1);
    if (d.cmbADDInt.count() > 1 && d.cmbADDInt.data().value_or(0) <= 0) d.cmbADDInt.setIndex(1);
}

std::string RowText(const std::string& table) {
    std::string out;
    for (const db::Row& r : Master().query("SELECT * FROM " + table)) {
        for (size_t i = 0; i < r.size(); ++i) out += r.names()[i] + "=" + r.at(i).toText() + ";";
        out += "\n";
    }
    return out;
}

}  // namespace

TEST(CatalogueWalk, EveryObjectOpensConfirmsAndLoadsBack) {
    ShippedEnv env;
    ASSERT_TRUE(env.ok);
    ScopedMessages msgs;
    Canvas canvas;
    ScriptedDialogs dialogs;
    Placement place(canvas, dialogs);
    place.now = [] { return Moment{2025, 6, 15, 10, 45}; };

    const std::pair<const char*, StripId> flags[] = {
        {"TRIGGER", StripId::kTrigger}, {"TRIGGERSTOP", StripId::kTriggerStop},
        {"COND_OK", StripId::kCondOk},  {"COND_KO", StripId::kCondKo},
        {"ACT", StripId::kStepAct},     {"ACT_ELSE", StripId::kStepActElse}};
    int walked = 0;
    for (const db::Row& obj : Master().query("SELECT * FROM ASS_OBJ_AREE ORDER BY ID_OBJ")) {
        const int32_t idObj = static_cast<int32_t>(obj.getInt("ID_OBJ"));
        for (const auto& [flag, group] : flags) {
            if (!obj.getBool(flag)) continue;
            SCOPED_TRACE("object " + std::to_string(idObj) + " in " +
                         std::string(Info(group).table));
            schema::ClearWorkingTables(Master());
            canvas.PresetApp();
            std::string state;
            dialogs.property = [&](PropertyDialog& d) {
                if (!d.cmdOK().confirmed) {
                    Complete(d);
                    ASSERT_TRUE(d.cmdOK().confirmed) << d.StateText();
                }
                state = d.StateText();
            };
            dialogs.single = [](TimeSingleDialog& d) {
                d.hour.selectData(7);
                d.minute.selectData(30);
                ASSERT_TRUE(d.Ok(Master()));
            };
            dialogs.range = [](TimeRangeDialog& d) {
                for (int i = 0; i < 7; ++i) d.setWeekday(i, true);
                ASSERT_TRUE(d.Ok(Master()));
            };
            const int before = dialogs.shown;
            ASSERT_TRUE(place.CreateElement(idObj, group));
            ASSERT_EQ(dialogs.shown, before + 1);
            const std::string table(Info(group).table);
            const std::string row = RowText(table);
            ASSERT_EQ(Count("SELECT COUNT(*) FROM " + table), 1);
            EXPECT_EQ(Count("SELECT ID_OBJ FROM " + table), idObj);
            if (idObj == 23) {
                EXPECT_FALSE(Master().queryOne("SELECT KEY_OPT FROM " + table)->at(0).isNull());
            }

            // Opened again: the same state; confirmed unchanged: the same row.
            dialogs.property = [&](PropertyDialog& d) {
                EXPECT_EQ(d.StateText(), state);
                d.cmdOK();
            };
            std::string text;
            dialogs.single = [&](TimeSingleDialog& d) {
                text = d.Build().text;
                ASSERT_TRUE(d.Ok(Master()));
            };
            dialogs.range = [&](TimeRangeDialog& d) {
                text = d.Build().text;
                ASSERT_TRUE(d.Ok(Master()));
            };
            ASSERT_TRUE(place.EditElement(group, 1));
            EXPECT_EQ(RowText(table), row);
            if (idObj == 23) {
                EXPECT_EQ(text,
                          Master().queryOne("SELECT KEY_OPT FROM " + table)->getText("KEY_OPT"));
            }
            ++walked;
        }
    }
    EXPECT_GT(walked, 100);
    // Besides the notes, only the refusals that Complete answers were shown.
    const std::set<std::string> expected = {texts::GetText(1751) + " " + texts::GetText(1752),
                                            texts::GetText(1556), texts::GetText(1553),
                                            texts::GetText(1542), texts::GetText(1557)};
    for (const auto& c : msgs->calls)
        if (c.kind == "warning") {
            EXPECT_TRUE(expected.count(c.text)) << c.text;
        }
}
