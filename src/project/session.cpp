#include "project/session.h"

#include <algorithm>
#include <charconv>
#include <limits>
#include <map>
#include <optional>
#include <system_error>

#include "compiler/frames.h"
#include "env/environment.h"
#include "env/errors.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/state.h"
#include "env/strings.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/rowset.h"
#include "model/scenario_file.h"
#include "project/archive.h"
#include "project/settings.h"
#include "project/validation.h"

namespace tessed::project {

namespace {

bool parseInt32(const std::string& text, int32_t& out) {
    std::string t(str::Trim(text));
    if (t.empty()) {
        out = 0;
        return true;
    }
    int64_t v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) return false;
    if (v < 0 || v > std::numeric_limits<int32_t>::max()) return false;
    out = static_cast<int32_t>(v);
    return true;
}

// A scenario file the archive lets through is one the scenario reader takes.
static_assert(archive::ExtractLimits{}.scenarioBytes == scenario::kMaxFileSize);

[[noreturn]] void fail(long text) { throw ProjectError(texts::GetText(text)); }

// An archive that could not be unpacked: the text, and for one that holds more
// than any project (a zip bomb) what it exceeded.
[[noreturn]] void failUnpack(long text, const archive::ArchiveResult& r) {
    std::string message = texts::GetText(text);
    if (r.status == archive::ArchiveStatus::TooLarge)
        message += "\r" + texts::Format(texts::GetText(kTextTooLarge), {r.detail});
    throw ProjectError(message);
}

[[noreturn]] void failSettings(long text, const Settings& st) {
    std::string message = texts::GetText(text);
    if (st.state == profile::File::State::kTooLarge)
        message += "\r" + texts::Format(texts::GetText(kTextTooLarge),
                                        {"a settings file larger than " +
                                         std::to_string(profile::kMaxFileSize >> 20) + " MiB"});
    throw ProjectError(message);
}

std::string cannotWrite(const fs::path& file) {
    return texts::Format(texts::GetText(1781), {file.string()});
}

// The eight command items: name, caption, description, category.
struct CommandItem {
    const char* name;
    long caption, description, category;
};
constexpr CommandItem kCommandItems[] = {
    {"CONF_A", 1569, 1570, 1568},       {"CONF_PL", 1571, 1572, 1568},
    {"PULSANTE", 1573, 1574, 1568},     {"LIVELLO", 1576, 1577, 1568},
    {"INTERFACCIA", 1647, 1648, 1568},  {"INDIRIZZO_CEN", 1741, 1742, 1747},
    {"PULSANTE_CEN", 1743, 1744, 1747}, {"TYPECMD", 1745, 1746, 0},
};

int32_t* commandField(CommandRecord& r, std::string_view name) {
    if (name == "CONF_A") return &r.Conf_A;
    if (name == "CONF_PL") return &r.Conf_PL;
    if (name == "PULSANTE") return &r.Pulsante;
    if (name == "LIVELLO") return &r.Livello;
    if (name == "INTERFACCIA") return &r.Interfaccia;
    if (name == "INDIRIZZO_CEN") return &r.Indirizzo_CEN;
    if (name == "PULSANTE_CEN") return &r.PULSANTE_CEN;
    if (name == "TYPECMD") return &r.TypeCMD;
    return nullptr;
}

void commandItems(PropertyList& list, const std::string& nodeKey, const CommandRecord& r) {
    for (const auto& c : kCommandItems) {
        PropertyItem item;
        item.key = nodeKey + "$" + c.name;
        item.caption = texts::GetText(c.caption);
        item.description = texts::GetText(c.description);
        if (c.category) item.category = texts::GetText(c.category);
        item.value = std::to_string(*commandField(const_cast<CommandRecord&>(r), c.name));
        list.items.push_back(std::move(item));
    }
}

std::string stateText(ScrptStatus s) {
    switch (s) {
        case stscrEnabled:
            return texts::GetText(1590);
        case stscrError:
            return texts::GetText(1592);
        default:
            return texts::GetText(1591);
    }
}

// The text of a new scenario file: the signature, the version and the name.
std::string newScenarioFile(const std::string& name) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    out += "<key>" + std::string(scenario::kSignature) + "</key>\n";
    out += "<app_MAJOR>" + std::to_string(kVersionMajor) + "</app_MAJOR>\n";
    out += "<app_Minor>" + std::to_string(kVersionMinor) + "</app_Minor>\n";
    out += "<app_Revision>" + std::to_string(kVersionRevision) + "</app_Revision>\n";
    out += "<scen_name>" + rowset::EscapeXml(name) + "</scen_name>\n";
    out += "<project/>\n</root>\n";
    return out;
}

// Creates the empty folder `n.spt` under `work` (emptied when it exists).
fs::path freshScenarioFolder(const fs::path& work, int number) {
    fs::path folder = work / (std::to_string(number) + ".spt");
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) throw ProjectError(texts::GetText(1088));
    return folder;
}

// The scenarios whose file is missing, one line each: the name and the
// entry as the settings file holds it ("Hall (3.spt\3.tdx)").
std::string missingScenarios(Collezione& project) {
    std::string out;
    for (const auto& s : *project.Scenari()) {
        std::error_code ec;
        if (fs::is_regular_file(s->FullPath, ec)) continue;
        std::string entry = s->FilePath;
        std::replace(entry.begin(), entry.end(), '/', '\\');
        out += s->ScriptName + " (" + entry + ")\r";
    }
    return out;
}

bool isScenarioFileName(const fs::path& p) { return str::IEquals(p.extension().string(), ".tdx"); }

// The scenario files under `folder` (at any depth, links not followed) that
// lie in a folder holding none of the project's scenarios: what a settings
// file does not reach (no [file] section, an entry after a gap or beyond
// file300, a second settings file). Relative paths with "/", sorted.
std::vector<std::string> unlistedScenarioFiles(const fs::path& folder, Collezione& project) {
    std::vector<fs::path> listedFolders;
    for (const auto& s : *project.Scenari())
        listedFolders.push_back(fs::path(s->FullPath).parent_path().lexically_normal());
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; it != end; it.increment(ec)) {
        std::error_code ec2;
        if (it->is_symlink(ec2) || !it->is_regular_file(ec2) || !isScenarioFileName(it->path()))
            continue;
        fs::path dir = it->path().parent_path().lexically_normal();
        if (std::find(listedFolders.begin(), listedFolders.end(), dir) != listedFolders.end())
            continue;
        out.push_back(it->path().lexically_relative(folder).generic_string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Whether a file directly in the working folder is the project's own
// bookkeeping, which every save writes anew: settings files, "info.xml", and
// temporaries of overwrites in progress.
bool rewrittenOnSave(const fs::path& p) {
    const std::string name = p.filename().string();
    return str::IEquals(p.extension().string(), ".prj") || str::IEquals(name, "info.xml") ||
           (name.size() > 1 && name[0] == '.' && name.find(".~p") != std::string::npos);
}

// Puts the content of the working folder into the staging folder: every
// folder as an inner archive named after it with ".zip" (all its files, those
// of its sub-folders under their relative names; an empty folder holds
// nothing and is left out), every other file as it is. Links are not
// followed. "" or the text of the failure.
std::string stageFolders(const fs::path& work, const fs::path& staging,
                         const fs::path& settingsFile) {
    std::vector<fs::path> top;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(work, ec)) top.push_back(e.path());
    if (ec) return cannotWrite(work);
    std::sort(top.begin(), top.end());
    // Names compare without regard to case: the archive opens on Windows too.
    std::vector<std::string> taken = {str::ToUpper(settingsFile.filename().string()), "INFO.XML"};
    auto claim = [&](const std::string& name) {
        std::string up = str::ToUpper(name);
        if (std::find(taken.begin(), taken.end(), up) != taken.end()) return false;
        taken.push_back(up);
        return true;
    };
    for (const auto& p : top) {
        std::error_code ec2;
        auto st = fs::symlink_status(p, ec2);
        if (fs::is_directory(st)) {
            std::vector<archive::ArchiveItem> items;
            for (fs::recursive_directory_iterator it(p, ec2), end; it != end; it.increment(ec2)) {
                std::error_code ec3;
                if (!it->is_symlink(ec3) && it->is_regular_file(ec3))
                    items.push_back(
                        {it->path().lexically_relative(p).generic_string(), it->path()});
            }
            if (ec2) return cannotWrite(p);
            if (items.empty()) continue;
            std::sort(items.begin(), items.end(),
                      [](const auto& a, const auto& b) { return a.entryName < b.entryName; });
            const std::string zip = p.filename().string() + ".zip";
            if (!claim(zip)) return cannotWrite(p);
            if (!archive::WriteArchive(staging / zip, items)) return cannotWrite(p);
        } else if (fs::is_regular_file(st) && !rewrittenOnSave(p)) {
            if (!claim(p.filename().string())) return cannotWrite(p);
            fs::copy_file(p, staging / p.filename(), ec2);
            if (ec2) return cannotWrite(p);
        }
    }
    return {};
}

void removeCompiled(const std::string& scenarioFile) {
    std::error_code ec;
    fs::remove(compiler::CompileRun::SptPath(scenarioFile), ec);
    fs::remove(compiler::CompileRun::ErrPath(scenarioFile), ec);
}

}  // namespace

// ---------------------------------------------------------------------------
// Tree

void ProjectTree::add(TreeNode n) {
    Remove(n.key);
    nodes_.push_back(std::move(n));
}

void ProjectTree::AddFixedNodes() {
    add({kNodeProject, "", texts::GetText(1563), "collezione", ""});
    add({kNodePanic, kNodeProject, texts::GetText(1564), "panico", ""});
    add({kNodeAllScenarios, kNodeProject, texts::GetText(1565), "tutti_gli_scenari", ""});
}

void ProjectTree::AddScenario(const Scenario& s) {
    std::string key = ScenarioNodeKey(s.Key);
    add({key, kNodeAllScenarios, s.ScriptName, StateImage(s.Stato), s.Key});
    add({key + "$ABILITA", key, texts::GetText(1566), "abilita", ""});
    add({key + "$DISABILITA", key, texts::GetText(1567), "disabilita", ""});
}

void ProjectTree::Remove(std::string_view key) {
    std::vector<std::string> children;
    for (const TreeNode* child : Children(key)) children.push_back(child->key);
    for (const auto& child : children) Remove(child);
    std::erase_if(nodes_, [&](const TreeNode& n) { return KeyEquals(n.key, key); });
}

const TreeNode* ProjectTree::Find(std::string_view key) const {
    for (const auto& n : nodes_)
        if (KeyEquals(n.key, key)) return &n;
    return nullptr;
}

TreeNode* ProjectTree::Find(std::string_view key) {
    return const_cast<TreeNode*>(std::as_const(*this).Find(key));
}

std::vector<const TreeNode*> ProjectTree::Children(std::string_view key) const {
    std::vector<const TreeNode*> out;
    for (const auto& n : nodes_)
        if (!n.parent.empty() && KeyEquals(n.parent, key)) out.push_back(&n);
    return out;
}

std::string ScenarioNodeKey(const std::string& scenarioKey) {
    return kScenarioPrefix + scenarioKey;
}

std::string StateImage(ScrptStatus state) {
    switch (state) {
        case stscrEnabled:
            return "scriptok";
        case stscrError:
            return "scripterror";
        default:
            return "scriptko";
    }
}

ScrptStatus StateOf(int compileState) {
    if (compileState == -1) return stscrEnabled;
    if (compileState == 1) return stscrError;
    return stscrDisabled;
}

// ---------------------------------------------------------------------------
// Recent files

bool RecentFiles::Storable(const std::string& file) {
    // A line break or NUL would end the value and start keys or sections of
    // its own; blanks at either end and a pair of outer quotes would be taken
    // off on reading, so another file would come back.
    if (!profile::IsWritableValue(file) || str::Trim(file).size() != file.size()) return false;
    if (file.find('\t') != std::string::npos) return false;
    bool quoted = file.size() >= 2 && (file.front() == '"' || file.front() == '\'') &&
                  file.back() == file.front();
    return !quoted;
}

void RecentFiles::ReadIni() {
    fs::path ini = env::Env().configFile();
    for (int i = 0; i < kCount; ++i) {
        std::string v =
            profile::GetWhole(ini, "FileCfg", "File" + std::to_string(i + 1)).value_or("");
        entries_[size_t(i)] = Storable(v) ? v : std::string();
    }
}

bool RecentFiles::SaveFileCfgToIni(const std::string& file) {
    // Such a path is never listed: the save it follows has succeeded all the same.
    if (file.empty() || !Storable(file) || entries_[0] == file) return true;
    auto it = std::find(entries_.begin(), entries_.end(), file);
    if (it == entries_.end()) it = entries_.end() - 1;  // the last one drops out
    std::rotate(entries_.begin(), it, it + 1);
    entries_[0] = file;
    fs::path ini = env::Env().configFile();
    bool ok = true;
    for (int i = 0; i < kCount; ++i)
        ok = profile::WriteString(ini, "FileCfg", "File" + std::to_string(i + 1),
                                  entries_[size_t(i)]) &&
             ok;
    return ok;
}

bool RecentFiles::AnyEntry() const {
    return std::any_of(entries_.begin(), entries_.end(), [](const auto& e) { return !e.empty(); });
}

// ---------------------------------------------------------------------------
// Session

ProjectSession::ProjectSession() { tree_.AddFixedNodes(); }

fs::path ProjectSession::WorkingFolder() const { return env::Env().workingFolder(); }

bool ProjectSession::Changed() const { return Flags().projectChanged; }
void ProjectSession::SetChanged(bool on) { Flags().projectChanged = on; }
void ProjectSession::changed() {
    Flags().projectChanged = true;
    publish();
}

void ProjectSession::replaced() {
    replacedPending_ = true;
    publish();
}

int ProjectSession::AddTreeListener(TreeListener listener) {
    if (listeners_.empty()) shown_ = tree_.Nodes();
    listeners_.emplace_back(++nextListener_, std::move(listener));
    return nextListener_;
}

void ProjectSession::RemoveTreeListener(int id) {
    std::erase_if(listeners_, [&](const auto& l) { return l.first == id; });
}

void ProjectSession::publish() {
    if (holdReports_ > 0) return;
    if (listeners_.empty()) {
        replacedPending_ = false;
        return;
    }
    TreeChange change;
    const auto& now = tree_.Nodes();
    if (replacedPending_) {
        change.replaced = true;
    } else {
        std::map<std::string, const TreeNode*> before, after;
        for (const auto& n : shown_) before.emplace(str::ToUpper(n.key), &n);
        for (const auto& n : now) after.emplace(str::ToUpper(n.key), &n);
        for (const auto& n : shown_)
            if (!after.count(str::ToUpper(n.key))) change.removed.push_back(n.key);
        for (const auto& n : now) {
            auto it = before.find(str::ToUpper(n.key));
            if (it == before.end()) {
                change.added.push_back(n.key);
            } else {
                const TreeNode& o = *it->second;
                if (o.text != n.text || o.image != n.image || o.parent != n.parent ||
                    o.tag != n.tag)
                    change.changed.push_back(n.key);
            }
        }
    }
    replacedPending_ = false;
    shown_ = now;
    if (change.empty()) return;
    // A copy: a listener may remove itself while it is called.
    auto listeners = listeners_;
    for (const auto& l : listeners) l.second(change);
}

void ProjectSession::NewProject() {
    unlisted_.clear();
    std::error_code ec;
    fs::create_directories(WorkingFolder(), ec);
    env::Env().ClearWorkingFolder();
    tree_.Clear();
    tree_.AddFixedNodes();
    SetChanged(false);
    replaced();
}

std::string ProjectSession::nextKey() const {
    long max = 0;
    for (const auto& s : *Project()->Scenari()) {
        long v = 0;
        std::from_chars(s->Key.data(), s->Key.data() + s->Key.size(), v);
        max = std::max(max, v);
    }
    return std::to_string(max + 1);
}

void ProjectSession::RefreshState(Scenario& s) {
    s.Stato = StateOf(files::ScenarioCompileState(s.FullPath));
    if (TreeNode* n = tree_.Find(ScenarioNodeKey(s.Key))) n->image = StateImage(s.Stato);
}

std::shared_ptr<Scenario> ProjectSession::addLoaded(const fs::path& file,
                                                    const std::string& relative,
                                                    const std::string& key, Scenario&& s) {
    auto sc = std::make_shared<Scenario>(std::move(s));
    sc->Key = key;
    sc->FullPath = file.string();
    sc->FilePath = relative;
    sc->FileName = file.filename().string();
    sc->Stato = StateOf(files::ScenarioCompileState(file));
    Project()->Scenari()->Add(key, sc);
    tree_.AddScenario(*sc);
    return sc;
}

bool ProjectSession::LoadFilePrj(const std::string& projectFile, std::string& message) {
    message.clear();
    unlisted_.clear();
    const fs::path work = WorkingFolder();
    std::error_code ec;
    if (!fs::is_regular_file(projectFile, ec)) fail(kTextProjectMissing);
    // A save killed part-way leaves its temporary file beside the project;
    // the project it was replacing is whole, so the leftover goes when the
    // project is next opened, not only when it is next saved.
    {
        const fs::path p(projectFile);
        files::RemoveStaleTemporaries(p.has_parent_path() ? p.parent_path() : fs::path("."),
                                      p.filename().string());
    }
    fs::create_directories(work, ec);
    // Whatever the working folder held would mix with the project's files.
    env::Env().ClearWorkingFolder();
    tree_.Clear();
    tree_.AddFixedNodes();
    try {
        if (auto r = archive::UnpackProject(projectFile, work); !r)
            failUnpack(kTextProjectMissing, r);
        bool anyFile = false;
        for (fs::recursive_directory_iterator it(work, ec), end; it != end; it.increment(ec)) {
            std::error_code ec2;
            if (it->is_regular_file(ec2)) {
                anyFile = true;
                break;
            }
        }
        if (!anyFile) fail(kTextProjectMissing);
        fs::path settingsFile = FindSettingsFile(work, fs::path(projectFile).stem().string());
        if (settingsFile.empty()) fail(kTextProjectMissing);

        SetCurrentProject(std::make_shared<Collezione>());
        Settings st = ReadSettings(settingsFile);
        // A settings file that was not read would open as a project without
        // a name or scenarios, and a save would then lose them.
        if (st.state != profile::File::State::kRead) failSettings(kTextProjectMissing, st);
        if (st.appMajor < kVersionMajor) {
            ConvertOldProject(settingsFile);
            st = ReadSettings(settingsFile);
        }
        auto project = Project();
        project->Nome = st.nome;
        project->Descrizione = st.descrizione;
        project->Autore = st.autore;
        compiler::ParseCommandFrame(st.tastopanico, project->TastoPanico);

        const fs::path folder = settingsFile.parent_path();
        std::string missing, invalid;
        for (size_t i = 0; i < st.files.size(); ++i) {
            const std::string& value = st.files[i];
            ResolvedEntry found = ResolveScenarioFile(folder, value);
            if (found.how == Resolution::Outside) {
                invalid += value + " - (" + texts::GetText(kTextScenarioOutside) + ")\r";
                continue;
            }
            if (found.how == Resolution::Ambiguous) {
                invalid += value + " - (" + texts::GetText(kTextScenarioAmbiguous) + ")\r";
                continue;
            }
            if (found.how == Resolution::Missing) {
                missing += value + "\r";
                continue;
            }
            const fs::path& file = found.file;
            Scenario s;
            s.ScriptName = file.stem().string();
            std::string why;
            if (!ValidateScenarioFile(file.string(), s, why)) {
                invalid += value + " - (" + why + ")\r";
                continue;
            }
            // The entry keeps the spelling of the settings file; the folder
            // and file keep theirs on disk ("1.SPT/1.TDX" found for
            // "1.spt\1.tdx" is saved as "1.SPT.zip" with the entry "1.spt\1.tdx").
            addLoaded(file, archive::SafeEntryName(value), std::to_string(i + 1), std::move(s));
        }
        unlisted_ = unlistedScenarioFiles(folder, *project);
        bool result = true;
        if (!missing.empty()) message = texts::GetText(kTextScenariosMissing) + "\r" + missing;
        if (!invalid.empty()) {
            message = texts::GetText(kTextScenariosInvalid) + "\r" + invalid;
            result = false;
        }
        Host().ProjectFile = projectFile;
        replaced();
        return result;
    } catch (...) {
        env::Env().ClearWorkingFolder();
        tree_.Clear();
        tree_.AddFixedNodes();
        replaced();
        throw;
    }
}

std::string ProjectSession::SaveProject(const std::string& targetFile) {
    auto project = Project();
    if (str::Trim(project->Nome).empty()) return texts::GetText(kTextNameRequired);
    const TastoPanico& p = project->TastoPanico;
    // A basic command needs its room and point, an extended one its address
    // (1 to 2047); without them the frame would address nothing.
    if ((p.TypeCMD == 1 && p.Conf_A == 0 && p.Conf_PL == 0) ||
        (p.TypeCMD == 2 && p.Indirizzo_CEN == 0))
        return texts::GetText(kTextPanicIncomplete);
    // Without a file name the settings file would be a nameless ".prj" left
    // in the working folder.
    if (fs::path(targetFile).stem().empty()) return cannotWrite(targetFile);
    // A project file marked read-only stays as it is.
    if (files::IsWriteProtected(targetFile))
        return texts::Format(texts::GetText(kTextWriteProtected), {targetFile});
    // A scenario whose file has gone would be left out of the saved project
    // without a word, and the next open would not know it ever existed.
    if (std::string missing = missingScenarios(*project); !missing.empty())
        return texts::GetText(kTextScenariosMissing) + "\r" + missing;

    const fs::path work = WorkingFolder();
    std::error_code ec;
    fs::create_directories(work, ec);
    // The staging folder lies in the process's own area, so a save that is
    // killed leaves it where the next start removes it.
    std::string error;
    const fs::path staging = files::CreateUniqueFolder(env::Env().areaFolder(), "PRJ", error);
    if (staging.empty()) return error;
    struct Cleanup {
        fs::path p;
        ~Cleanup() {
            std::error_code e;
            fs::remove_all(p, e);
        }
    } cleanup{staging};

    const fs::path settingsFile = work / (fs::path(targetFile).stem().string() + ".prj");
    std::vector<std::string> entries;
    std::vector<InfoScenario> info;
    for (const auto& s : *project->Scenari()) {
        fs::path file = s->FullPath;
        fs::path folder = file.parent_path();
        entries.push_back(s->FilePath);
        if (files::ScenarioCompileState(file) == -1) {
            InfoScenario i;
            i.name = folder.stem().string() + ".spt";
            std::string stem = folder.stem().string();
            std::from_chars(stem.data(), stem.data() + stem.size(), i.id);
            i.description = s->Descrizione;
            i.scenName = s->ScriptName;
            info.push_back(std::move(i));
        }
    }
    // Every folder of the working folder is saved, listed or not, so a save
    // never has fewer scenario folders than the open had.
    if (std::string why = stageFolders(work, staging, settingsFile); !why.empty()) return why;
    if (!files::WriteFileAtomic(settingsFile, FormatSettings(*project, entries)))
        return cannotWrite(settingsFile);
    if (!BuildInfoFile(staging, *project, info)) return cannotWrite(targetFile);
    fs::copy_file(settingsFile, staging / settingsFile.filename(),
                  fs::copy_options::overwrite_existing, ec);
    if (ec) return cannotWrite(targetFile);
    // The archive is written beside the target and renamed over it: the old
    // project file stays whole until the new one is complete.
    if (!archive::PackProject(staging, targetFile)) return cannotWrite(targetFile);
    return {};
}

std::string ProjectSession::SaveCurrent(RecentFiles* recent) {
    const std::string file = Host().ProjectFile;
    std::string err = SaveProject(file);
    if (err.empty()) {
        if (recent) recent->SaveFileCfgToIni(file);
        SetChanged(false);
    }
    return err;
}

std::shared_ptr<Scenario> ProjectSession::addScenarioFile(const std::string& source, bool validate,
                                                          const std::string& name) {
    auto project = Project();
    if (project->Scenari()->Count() >= kMaxScenarios) fail(kTextTooManyScenarios);
    const fs::path work = WorkingFolder();
    std::error_code ec;
    fs::create_directories(work, ec);
    Scenario s;
    if (validate) {
        s.ScriptName = fs::path(source).stem().string();
        std::string why;
        if (!ValidateScenarioFile(source, s, why)) throw ProjectError(why);
    }
    int m = files::NextScenarioNumber(work);
    if (m == 0) fail(kTextTooManyScenarios);
    fs::path folder = freshScenarioFolder(work, m);
    fs::path file = folder / (std::to_string(m) + ".tdx");
    bool written = source.empty() ? files::WriteFileAtomic(file, newScenarioFile(name))
                                  : fs::copy_file(source, file, ec) && !ec;
    if (!written) {
        fs::remove_all(folder, ec);
        throw ProjectError(cannotWrite(file));
    }
    if (!name.empty()) s.ScriptName = name;
    auto sc = addLoaded(file, folder.filename().string() + "/" + file.filename().string(),
                        nextKey(), std::move(s));
    changed();
    return sc;
}

std::shared_ptr<Scenario> ProjectSession::NewScenario(const std::string& name) {
    return addScenarioFile({}, false, str::CutUtf8(name, kMaxNameLength));
}

bool ProjectSession::DeleteScenario(const std::string& key) {
    auto project = Project();
    auto s = project->Scenari()->Item(key);
    if (!s) return false;
    fs::path folder = fs::path(s->FullPath).parent_path();
    std::error_code ec;
    if (files::IsInside(folder, WorkingFolder())) fs::remove_all(folder, ec);
    project->Scenari()->Remove(key);
    tree_.Remove(ScenarioNodeKey(key));
    changed();
    return true;
}

std::shared_ptr<Scenario> ProjectSession::DuplicateScenario(const std::string& key) {
    auto s = Project()->Scenari()->Item(key);
    if (!s) return nullptr;
    auto copy = addScenarioFile(s->FullPath, true, s->ScriptName);
    copy->Descrizione = s->Descrizione;
    copy->Abilita = s->Abilita;
    copy->Disabilita = s->Disabilita;
    return copy;
}

bool ProjectSession::ExportScenario(const std::string& key, const std::string& target,
                                    std::string& message) {
    auto s = Project()->Scenari()->Item(key);
    // No name chosen: without this check ".TDX" would be written into the
    // process's current folder.
    fs::path to = target;
    if (!to.has_filename())
        to.clear();
    else if (!to.has_extension())
        to += ".TDX";
    std::string bytes;
    if (!s || to.empty() || !files::ReadFile(s->FullPath, bytes) ||
        !files::WriteFileAtomic(to, bytes)) {
        message = texts::GetText(kTextCannotExport);
        return false;
    }
    return true;
}

std::shared_ptr<Scenario> ProjectSession::ImportScenarioFile(const std::string& file) {
    return addScenarioFile(file, true, {});
}

std::vector<ImportRow> ProjectSession::OpenProjectForImport(const std::string& projectFile) {
    std::error_code ec;
    if (!fs::is_regular_file(projectFile, ec)) fail(kTextProjectMissing);
    CloseImport();
    std::string error;
    fs::path folder = files::CreateUniqueFolder(env::Env().areaFolder(), "PRJ", error);
    if (folder.empty()) throw ProjectError(error);
    importFolder_ = folder;
    if (auto r = archive::UnpackProject(projectFile, importFolder_); !r) {
        CloseImport();
        failUnpack(kTextImportCannotOpen, r);
    }
    fs::path settingsFile = FindSettingsFile(importFolder_, fs::path(projectFile).stem().string());
    if (settingsFile.empty()) {
        CloseImport();
        fail(kTextImportCannotOpen);
    }
    Settings st = ReadSettings(settingsFile);
    if (st.state != profile::File::State::kRead) {
        CloseImport();
        failSettings(kTextImportCannotOpen, st);
    }
    std::vector<ImportRow> rows;
    for (const auto& value : st.files) {
        auto file = ScenarioFileOf(settingsFile.parent_path(), value);
        if (!file || !fs::is_regular_file(*file, ec)) continue;
        ImportRow row;
        Scenario s;
        s.ScriptName = file->stem().string();
        std::string why;
        ValidateScenarioFile(file->string(), s, why);
        row.text = s.ScriptName;
        row.tag = file->string();
        rows.push_back(std::move(row));
    }
    return rows;
}

int ProjectSession::ImportScenarios(const std::vector<ImportRow>& rows, std::string& message) {
    int added = 0;
    // One report for all the scenarios taken in.
    struct Hold {
        int& depth;
        explicit Hold(int& d) : depth(d) { ++depth; }
        ~Hold() { --depth; }
    };
    std::optional<Hold> hold(std::in_place, holdReports_);
    for (const auto& row : rows) {
        if (!row.checked) continue;
        try {
            ImportScenarioFile(row.tag);
            ++added;
        } catch (const std::exception& e) {
            message = e.what();
            break;
        }
    }
    hold.reset();
    changed();
    return added;
}

void ProjectSession::CloseImport() {
    if (importFolder_.empty()) return;
    std::error_code ec;
    if (files::IsInside(importFolder_, env::Env().dataFolder())) fs::remove_all(importFolder_, ec);
    importFolder_.clear();
}

void ProjectSession::ConvertOldProject(const fs::path& settingsFile) {
    const fs::path work = WorkingFolder();
    std::error_code ec;
    std::string error;
    fs::path backup = files::CreateUniqueFolder(env::Env().areaFolder(), "PRJ", error);
    if (backup.empty()) throw ProjectError(error);
    fs::copy(work, backup, fs::copy_options::recursive, ec);
    if (ec) {
        fs::remove_all(backup, ec);
        throw ProjectError(texts::GetText(kTextProjectMissing));
    }
    struct Cleanup {
        fs::path p;
        ~Cleanup() {
            std::error_code e;
            fs::remove_all(p, e);
        }
    } cleanup{backup};
    for (const auto& e : fs::directory_iterator(work, ec)) {
        std::error_code ec2;
        fs::remove_all(e.path(), ec2);
    }
    const fs::path oldSettings = backup / settingsFile.filename();
    const fs::path oldFolder = oldSettings.parent_path();
    for (int n = 1; n <= kMaxScenarios; ++n) {
        std::string key = "file" + std::to_string(n);
        std::string value = profile::GetWhole(oldSettings, kSectionFile, key).value_or("");
        if (value.empty()) break;
        auto old = ScenarioFileOf(oldFolder, value);
        if (!old || !fs::is_regular_file(*old, ec)) continue;
        int m = files::NextScenarioNumber(work);
        if (m == 0) break;
        fs::path folder = freshScenarioFolder(work, m);
        fs::copy_file(*old, folder / (std::to_string(m) + ".tdx"), ec);
        if (ec) throw ProjectError(texts::GetText(kTextProjectMissing));
        std::string entry = std::to_string(m) + ".spt\\" + std::to_string(m) + ".tdx";
        if (!profile::WriteString(oldSettings, kSectionFile, key, entry))
            throw ProjectError(cannotWrite(oldSettings));
    }
    fs::copy_file(oldSettings, settingsFile, fs::copy_options::overwrite_existing, ec);
    if (ec) throw ProjectError(cannotWrite(settingsFile));
}

// ---------------------------------------------------------------------------
// Properties

PropertyList ProjectSession::Properties(const std::string& nodeKey) const {
    PropertyList list;
    auto project = Project();
    auto item = [&](const std::string& name, long caption, std::string value, bool editable) {
        PropertyItem i;
        i.key = nodeKey + "$" + name;
        i.caption = texts::GetText(caption);
        i.value = std::move(value);
        i.editable = editable;
        list.items.push_back(std::move(i));
    };
    if (KeyEquals(nodeKey, kNodeProject)) {
        list.heading = texts::GetText(1563);
        item("NOME", 1608, project->Nome, true);
        item("DESCRIZIONE", 1609, project->Descrizione, true);
        item("AUTORE", 1610, project->Autore, true);
    } else if (KeyEquals(nodeKey, kNodePanic)) {
        list.heading = texts::GetText(1564);
        commandItems(list, nodeKey, project->TastoPanico);
    } else if (KeyEquals(nodeKey, kNodeAllScenarios)) {
        list.heading = texts::GetText(1596);
        for (const auto& s : *project->Scenari()) {
            PropertyItem i;
            i.key = nodeKey + "$" + s->Key;
            i.caption = s->ScriptName;
            i.value = s->Descrizione;
            i.image = StateImage(s->Stato);
            i.editable = false;
            list.items.push_back(std::move(i));
        }
    } else if (const TreeNode* n = tree_.Find(nodeKey); n && !n->tag.empty()) {
        auto s = project->Scenari()->Item(n->tag);
        if (!s) return list;
        list.heading = texts::GetText(1595);
        item("FILE", 1587, s->ScriptName, true);
        item("DESCRIZIONE", 1588, s->Descrizione, true);
        item("STATO", 1589, stateText(s->Stato), false);
    } else if (n && !n->parent.empty()) {
        const TreeNode* parent = tree_.Find(n->parent);
        auto s = parent ? project->Scenari()->Item(parent->tag) : nullptr;
        if (!s) return list;
        bool enable = str::ToUpper(nodeKey).ends_with("$ABILITA");
        list.heading = texts::GetText(enable ? 1593 : 1594);
        if (enable)
            commandItems(list, nodeKey, s->Abilita);
        else
            commandItems(list, nodeKey, s->Disabilita);
    }
    return list;
}

bool ProjectSession::SetProperty(const std::string& itemKey, const std::string& value,
                                 std::string& shown, std::string& error) {
    error.clear();
    size_t cut = itemKey.rfind('$');
    if (cut == std::string::npos) return false;
    const std::string nodeKey = itemKey.substr(0, cut);
    const std::string name = str::ToUpper(itemKey.substr(cut + 1));
    auto project = Project();

    auto setCommand = [&](CommandRecord& r) {
        int32_t* field = commandField(r, name);
        int32_t v = 0;
        if (!field || !parseInt32(value, v)) return false;
        if (name == "TYPECMD" && v > 2) return false;
        *field = v;
        shown = std::to_string(v);
        return true;
    };

    if (KeyEquals(nodeKey, kNodeProject)) {
        std::string* field = name == "NOME"          ? &project->Nome
                             : name == "DESCRIZIONE" ? &project->Descrizione
                             : name == "AUTORE"      ? &project->Autore
                                                     : nullptr;
        if (!field) return false;
        *field = value;
        shown = value;
    } else if (KeyEquals(nodeKey, kNodePanic)) {
        if (!setCommand(project->TastoPanico)) return false;
    } else {
        const TreeNode* n = tree_.Find(nodeKey);
        if (!n) return false;
        const bool scenarioNode = !n->tag.empty();
        const TreeNode* owner = scenarioNode ? n : tree_.Find(n->parent);
        auto s = owner ? project->Scenari()->Item(owner->tag) : nullptr;
        if (!s) return false;
        try {
            if (scenarioNode && name == "FILE") {
                std::string cutName = str::CutUtf8(value, kMaxNameLength);
                PrintName2Script(s->FullPath, cutName);
                s->ScriptName = cutName;
                if (TreeNode* node = tree_.Find(nodeKey)) node->text = cutName;
                shown = cutName;
            } else if (scenarioNode && name == "DESCRIZIONE") {
                PrintDescri2Script(s->FullPath, value);
                s->Descrizione = value;
                // The compiled file no longer matches the scenario.
                removeCompiled(s->FullPath);
                WriteDescriptionFile(s->FullPath, s->FileName, value);
                RefreshState(*s);
                shown = value;
            } else if (!scenarioNode) {
                const bool enable = str::ToUpper(nodeKey).ends_with("$ABILITA");
                CommandRecord r = enable ? static_cast<CommandRecord>(s->Abilita)
                                         : static_cast<CommandRecord>(s->Disabilita);
                if (!setCommand(r)) return false;
                // The scenario file carries the commands: without it the
                // change would be lost at the next open.
                scenario::ScenarioFile f = scenario::ReadScenarioFile(s->FullPath);
                (enable ? f.abilita : f.disabilita) = scenario::CommandFields::From(r);
                if (!files::WriteFileAtomic(s->FullPath, scenario::FormatScenarioFile(f)))
                    throw ProjectError(cannotWrite(s->FullPath));
                if (enable)
                    static_cast<CommandRecord&>(s->Abilita) = r;
                else
                    static_cast<CommandRecord&>(s->Disabilita) = r;
                // The listing carries the command frames.
                removeCompiled(s->FullPath);
                WriteDescriptionFile(s->FullPath, s->FileName, s->Descrizione);
                RefreshState(*s);
            } else {
                return false;
            }
        } catch (const std::exception& e) {
            error = e.what();
            return false;
        }
    }
    changed();
    return true;
}

// ---------------------------------------------------------------------------
// Compilation

ProjectSession::PreparedCompile ProjectSession::PrepareCompile(const std::string& key) {
    std::vector<std::shared_ptr<Scenario>> list;
    if (key.empty()) {
        for (const auto& s : *Project()->Scenari()) list.push_back(s);
    } else if (auto s = Project()->Scenari()->Item(key)) {
        list.push_back(s);
    }
    PreparedCompile prepared;
    std::vector<compiler::CompileEntry> entries;
    for (const auto& s : list) {
        // The full path is the working folder with the scenario's relative
        // path. The run gets a copy of the scenario's record, so it never
        // reads the project while it compiles.
        entries.push_back(
            {s->FullPath, s->Descrizione, s->ScriptName, compiler::ListingScenarioOf(*s)});
        prepared.keys.push_back(s->Key);
    }
    prepared.run = std::make_unique<compiler::CompileRun>(key.empty() ? "COMPILEALL" : "COMPILE",
                                                          std::move(entries));
    return prepared;
}

void ProjectSession::FinishCompile(const PreparedCompile& prepared) {
    for (const auto& key : prepared.keys)
        if (auto s = Project()->Scenari()->Item(key)) RefreshState(*s);
    changed();
}

compiler::CompileResult ProjectSession::runCompile(const std::string& key,
                                                   compiler::CompileObserver& observer,
                                                   const RunSetup& prepare) {
    PreparedCompile prepared = PrepareCompile(key);
    if (prepare) prepare(*prepared.run);
    compiler::CompileResult r = prepared.run->run(observer);
    FinishCompile(prepared);
    return r;
}

compiler::CompileResult ProjectSession::Compile(const std::string& key,
                                                compiler::CompileObserver& observer,
                                                const RunSetup& prepare) {
    if (key.empty() || !Project()->Scenari()->Item(key)) return {};
    return runCompile(key, observer, prepare);
}

compiler::CompileResult ProjectSession::CompileAll(compiler::CompileObserver& observer,
                                                   const RunSetup& prepare) {
    return runCompile({}, observer, prepare);
}

}  // namespace tessed::project
