// tessed_mkdemo OUT.tdj
// Builds the demo project: a small house with scenarios for lights, shutters,
// heating, time conditions, delays and enable/disable commands. It is made
// with the project's own code against the shipped catalogue (the build tree's,
// or TESSED_SHARE_DIR), so the demo always has the current file formats and
// only codes that the catalogue holds; a code that the catalogue lacks stops
// the generator with a message instead of producing a scenario that cannot
// compile. The scenarios are left uncompiled: compiling is the demo's job.
#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "env/database.h"
#include "env/environment.h"
#include "env/profile.h"
#include "model/document.h"
#include "model/project.h"
#include "model/schema.h"
#include "project/session.h"

namespace fs = std::filesystem;
using namespace tessed;

namespace {

// The area code of each element table.
int areaOf(const std::string& table) {
    if (table == "TMP_TRIGGER") return 3;
    if (table == "TMP_TRIGGERSTOP") return 6;
    if (table == "TMP_COND_OK") return 4;
    if (table == "TMP_STEP_ACT") return 5;
    return 0;  // TMP_COND_KO, TMP_STEP_ACT_ELSE
}

struct Element {
    std::string table;
    int obj = 0;
    int cosa = 0;
    int dove = 0;  // 0: the object takes no address
    std::string value;
    std::array<int32_t, 5> params{};
};

// Inserts one element, checking the codes against the catalogue's associations.
int32_t insert(db::Database& db, const Element& e) {
    const int area = areaOf(e.table);
    auto chi =
        db.queryOne("SELECT ID_CHI FROM ASS_OBJ_CHI WHERE ID_OBJ=? AND ID_AREA=?", {e.obj, area});
    if (!chi)
        throw std::runtime_error("object " + std::to_string(e.obj) + " is not allowed in area " +
                                 std::to_string(area));
    if (!db.queryOne("SELECT 1 AS X FROM ASS_OBJ_COSA WHERE ID_OBJ=? AND ID_AREA=? AND ID_COSA=?",
                     {e.obj, area, e.cosa}))
        throw std::runtime_error("WHAT " + std::to_string(e.cosa) + " is not offered for object " +
                                 std::to_string(e.obj));
    if (e.dove &&
        !db.queryOne("SELECT 1 AS X FROM ASS_OBJ_DOVE WHERE ID_OBJ=? AND ID_AREA=? AND ID_DOVE=?",
                     {e.obj, area, e.dove}))
        throw std::runtime_error("WHERE " + std::to_string(e.dove) + " is not offered for object " +
                                 std::to_string(e.obj));
    auto what =
        db.queryOne("SELECT DESCRI_COSA, ID_RES_COSA FROM ANA_COSA WHERE ID_COSA=?", {e.cosa});
    auto object = db.queryOne("SELECT DESCRI_OBJ FROM ANA_OGGETTI WHERE ID_OBJ=?", {e.obj});
    std::string descri = object ? object->getText("DESCRI_OBJ") : "";
    if (e.dove) {
        auto where = db.queryOne("SELECT DESCRI_DOVE FROM ANA_DOVE WHERE ID_DOVE=?", {e.dove});
        if (where) descri += " - " + where->getText("DESCRI_DOVE");
    }
    ElementValues v;
    v.ID_OBJ = e.obj;
    v.DESCRI = descri;
    v.CHI_KEY = chi->getInt("ID_CHI");
    v.COSA_KEY = e.cosa;
    v.DOVE_KEY = e.dove;
    v.ID_RES_COSA = what ? int32_t(what->getInt("ID_RES_COSA")) : 0;
    v.value = e.value;
    v.area = area;
    v.PARAM = e.params;
    int32_t id = 0;
    if (!Document().InsertIntoPRJ(e.table, v, id))
        throw std::runtime_error("cannot insert object " + std::to_string(e.obj));
    return id;
}

struct DemoScenario {
    std::string name;  // at most 15 characters
    std::string description;
    std::vector<Element> elements;
    // Pairs of positions in `elements` linked by AND (1) or OR (2).
    std::vector<std::array<int, 3>> links;
    CommandRecord enable, disable;
};

CommandRecord basic(int a, int pl, int button) {
    CommandRecord r;
    r.TypeCMD = 1;
    r.Conf_A = a;
    r.Conf_PL = pl;
    r.Pulsante = button;
    return r;
}

CommandRecord extended(int address, int button) {
    CommandRecord r;
    r.TypeCMD = 2;
    r.Indirizzo_CEN = address;
    r.PULSANTE_CEN = button;
    return r;
}

// Weekdays, 06:45 to 07:30, every date.
constexpr const char* kWeekdayMornings = "ORAFROM=0645|ORATO=0730|SETT=1F|DATAFROM=-1|DATATO=-1|";
constexpr const char* kNights = "ORAFROM=2300|ORATO=0600|SETT=7F|DATAFROM=-1|DATATO=-1|";
constexpr const char* kSummer =
    "ORAFROM=1100|ORATO=1800|SETT=7F|DATAFROM=010620**|DATATO=150920**|";

std::vector<DemoScenario> demo() {
    std::vector<DemoScenario> list;
    // Lighting: object 1 (WHAT 2 on, 1 off, 12 on for a minute), 42 dimmer (6 brightness 50 %),
    // 28 (159 room on, 161 general off), 101 twilight (180 night), 102 presence
    // (182 detected, 183 none). Shutters: 103 (191 up, 192 down). Climate: 37
    // (237 set-point, 248 automatic, 249 off), 38 (251 measured temperature:
    // probe, operator 1 ">=" .. 4 "<", tenths of a degree). Time: 8 (20 at the
    // time), 23 (22 time condition), 9 (34 delay in minutes). Scenarios: 30
    // (300 button press), 41 (259 enable, 260 disable a programmed scenario).
    list.push_back({"Good morning",
                    "Weekday mornings: shutters up, then the kitchen light",
                    {{"TMP_TRIGGER", 8, 20, 0, "07:00", {}},
                     {"TMP_COND_OK", 23, 22, 0, kWeekdayMornings, {}},
                     {"TMP_STEP_ACT", 103, 191, 11, "", {}},
                     {"TMP_STEP_ACT", 103, 191, 12, "", {}},
                     {"TMP_STEP_ACT", 9, 34, 0, "5", {}},
                     {"TMP_STEP_ACT", 1, 2, 21, "", {}}},
                    {},
                    basic(1, 1, 1),
                    basic(1, 1, 2)});
    list.push_back({"Evening lights",
                    "At dusk, with someone in the living room, lights at half brightness",
                    {{"TMP_TRIGGER", 101, 180, 13, "", {}},
                     {"TMP_COND_OK", 102, 182, 14, "", {}},
                     {"TMP_STEP_ACT", 42, 6, 15, "", {}},
                     {"TMP_STEP_ACT", 42, 6, 16, "", {}}},
                    {},
                    basic(1, 2, 1),
                    basic(1, 2, 2)});
    list.push_back({"Comfort heat",
                    "At 06:30 on cold mornings the living zone goes to 21.0 degrees",
                    {{"TMP_TRIGGER", 8, 20, 0, "06:30", {}},
                     {"TMP_COND_OK", 38, 251, 121, "", {1, 4, 190, 0, 0}},
                     {"TMP_COND_OK", 23, 22, 0, kWeekdayMornings, {}},
                     {"TMP_STEP_ACT", 37, 237, 121, "", {210, 0, 0, 0, 0}}},
                    {{1, 2, 1}},
                    basic(2, 1, 1),
                    basic(2, 1, 2)});
    list.push_back({"Summer shade",
                    "Hot summer afternoons: shutters on the south side go down",
                    {{"TMP_TRIGGER", 8, 20, 0, "13:00", {}},
                     {"TMP_COND_OK", 38, 251, 122, "", {1, 1, 260, 0, 0}},
                     {"TMP_COND_OK", 23, 22, 0, kSummer, {}},
                     {"TMP_STEP_ACT", 103, 192, 31, "", {}},
                     {"TMP_STEP_ACT", 103, 192, 32, "", {}},
                     {"TMP_STEP_ACT_ELSE", 103, 191, 31, "", {}}},
                    {{1, 2, 1}},
                    extended(101, 1),
                    extended(101, 2)});
    list.push_back({"Leaving home",
                    "The door button switches everything off and lowers the heating",
                    {{"TMP_TRIGGER", 30, 300, 41, "", {}},
                     {"TMP_STEP_ACT", 28, 161, 1, "", {}},
                     {"TMP_STEP_ACT", 103, 192, 11, "", {}},
                     {"TMP_STEP_ACT", 103, 192, 12, "", {}},
                     {"TMP_STEP_ACT", 9, 34, 0, "2", {}},
                     {"TMP_STEP_ACT", 37, 249, 121, "", {}},
                     {"TMP_STEP_ACT", 41, 260, 151, "", {}}},
                    {},
                    basic(3, 1, 1),
                    basic(3, 1, 2)});
    list.push_back({"Coming home",
                    "The door button lights the hall and brings the heating back",
                    {{"TMP_TRIGGER", 30, 300, 42, "", {}},
                     {"TMP_STEP_ACT", 28, 159, 2, "", {}},
                     {"TMP_STEP_ACT", 37, 248, 121, "", {}},
                     {"TMP_STEP_ACT", 41, 259, 151, "", {}}},
                    {},
                    basic(3, 2, 1),
                    basic(3, 2, 2)});
    list.push_back({"Night path",
                    "At night, movement in the corridor lights the path for a minute",
                    {{"TMP_TRIGGER", 102, 182, 51, "", {}},
                     {"TMP_TRIGGERSTOP", 102, 183, 51, "", {}},
                     {"TMP_COND_OK", 23, 22, 0, kNights, {}},
                     {"TMP_COND_KO", 101, 181, 13, "", {}},
                     {"TMP_STEP_ACT", 1, 12, 52, "", {}}},
                    {},
                    extended(102, 1),
                    extended(102, 2)});
    return list;
}

void build(const fs::path& out) {
    auto& env = env::Env();
    if (!env.InitFolders(env::AppFolderName())) throw std::runtime_error("no data folder");
    // The demo's element texts are English.
    profile::WriteString(env.configFile(), "GENERALE", "LINGUA", "ENG");
    schema::InstallWorkingTables();
    if (!env.OpenSystemDatabase()) throw std::runtime_error("the catalogue cannot be opened");
    db::Database& db = env.master();

    project::ProjectSession session;
    session.NewProject();
    auto p = session.Project();
    p->Nome = "Demo house";
    p->Descrizione = "A two-floor house with lights, shutters and heating";
    p->Autore = "Tessaro Editor";
    static_cast<CommandRecord&>(p->TastoPanico) = basic(9, 9, 1);

    for (const auto& d : demo()) {
        auto s = session.NewScenario(d.name);
        s->Descrizione = d.description;
        static_cast<CommandRecord&>(s->Abilita) = d.enable;
        static_cast<CommandRecord&>(s->Disabilita) = d.disable;
        auto& doc = Document();
        doc.LoadPrj(s->FullPath);
        doc.SetDescription(d.description);
        std::vector<int32_t> ids;
        for (const auto& e : d.elements) ids.push_back(insert(db, e));
        for (const auto& l : d.links)
            if (!doc.InsertIntoOPE("TMP_OPE_OK", l[2], ids[size_t(l[0])], ids[size_t(l[1])]))
                throw std::runtime_error("cannot link the conditions of " + d.name);
        doc.SaveAs(s->FullPath);
    }
    std::string err = session.SaveProject(out.string());
    if (!err.empty()) throw std::runtime_error(err);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: tessed_mkdemo OUT.tdj\n";
        return 2;
    }
    fs::path out = fs::absolute(argv[1]);
    std::error_code ec;
    fs::path scratch = fs::temp_directory_path() / ("tessed-mkdemo-" + std::to_string(::getpid()));
    fs::remove_all(scratch, ec);
    fs::create_directories(scratch, ec);
    ::setenv("TESSED_DATA_DIR", (scratch / "data").c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", (scratch / "documents").c_str(), 1);
    int rc = 0;
    try {
        fs::create_directories(out.parent_path(), ec);
        build(out);
        std::cout << "demo project written: " << out.string() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "tessed_mkdemo: " << e.what() << "\n";
        rc = 1;
    }
    env::Env().CloseConnection();
    fs::remove_all(scratch, ec);
    return rc;
}
