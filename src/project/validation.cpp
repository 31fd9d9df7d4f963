#include "project/validation.h"

#include <system_error>

#include "compiler/frames.h"
#include "compiler/listing.h"
#include "env/environment.h"
#include "env/errors.h"
#include "env/files.h"
#include "env/state.h"
#include "env/strings.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/rowset.h"
#include "model/scenario_file.h"
#include "project/settings.h"

namespace tessed::project {

namespace {

std::string versionText(int64_t major, int64_t minor, int64_t revision) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(revision);
}

// Reads, changes and writes back a scenario file; everything it does not
// change is written as it was read.
template <class Change>
void rewriteScenarioFile(const std::string& file, Change change) {
    scenario::ScenarioFile content;
    try {
        content = scenario::ReadScenarioFile(file);
    } catch (const ProjectError& e) {
        throw ProjectError(e.what());
    }
    change(content);
    if (!files::WriteFileAtomic(file, scenario::FormatScenarioFile(content)))
        throw ProjectError(texts::GetText(scenario::kTextCannotSave) + " " + file);
}

}  // namespace

bool ValidateScenarioFile(const std::string& scenarioFile, Scenario& scenario,
                          std::string& message) {
    try {
        std::error_code ec;
        if (!fs::is_regular_file(scenarioFile, ec)) {
            message = texts::GetText(kTextNotScenario) + " " + scenarioFile;
            return false;
        }
        scenario::ScenarioFile f = scenario::ReadScenarioFile(scenarioFile);
        if (!f.KeyAccepted()) throw ProjectError(texts::GetText(kTextNotScenario));
        int64_t major = f.appMajor.value_or(0), minor = f.appMinor.value_or(0),
                revision = f.appRevision.value_or(0);
        bool accepted = kVersionMajor > major || (kVersionMajor == major && kVersionMinor >= minor);
        if (!accepted)
            throw ProjectError(texts::GetText(scenario::kTextNewerFile) + " (" +
                               versionText(major, minor, revision) + ") " +
                               texts::GetText(scenario::kTextOwnVersion) + " (" +
                               versionText(kVersionMajor, kVersionMinor, kVersionRevision) + ")");
        if (f.descrizione) scenario.Descrizione = *f.descrizione;
        if (f.scenName && !f.scenName->empty()) scenario.ScriptName = *f.scenName;
        if (f.abilita) f.abilita->ApplyTo(scenario.Abilita);
        if (f.disabilita) f.disabilita->ApplyTo(scenario.Disabilita);
        return true;
    } catch (const std::exception& e) {
        message = e.what();
        return false;
    }
}

std::string FormatInfoFile(const Collezione& project, const std::vector<InfoScenario>& scenarios) {
    // The controller reads this file with a conforming XML parser: every text
    // keeps to the characters XML 1.0 allows, since a control character, even
    // as a character reference, or a byte that is not UTF-8 would make it
    // refuse the whole file.
    auto element = [](std::string& out, std::string_view name, std::string_view text,
                      std::string_view indent) {
        rowset::AppendTextElement(out, name, str::XmlChars(text), indent);
    };
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<script>\n";
    out += "  <creator_sw>\n";
    element(out, "name", "Tessed40", "    ");
    element(out, "ver_sw", versionText(kVersionMajor, kVersionMinor, kVersionRevision), "    ");
    out += "  </creator_sw>\n";
    element(out, "panic", compiler::BuildCommandFrame(project.TastoPanico), "  ");
    int i = 0;
    for (const auto& s : scenarios) {
        ++i;
        if (s.name.empty()) continue;
        std::string tag = "scenario_" + std::to_string(i);
        out += "  <" + tag + ">\n";
        element(out, "name", s.name, "    ");
        element(out, "id", std::to_string(s.id), "    ");
        element(out, "description", s.description, "    ");
        element(out, "scen_name", s.scenName, "    ");
        out += "  </" + tag + ">\n";
    }
    out += "</script>\n";
    return out;
}

bool BuildInfoFile(const fs::path& folder, const Collezione& project,
                   const std::vector<InfoScenario>& scenarios) {
    return files::WriteFileAtomic(folder / "info.xml", FormatInfoFile(project, scenarios));
}

std::string ControllerFileRefused(const std::string& fileCSV, const std::string& projectFile) {
    if (fs::path(fileCSV).filename().empty()) return "no file name";
    std::error_code ec;
    if (fs::is_directory(fileCSV, ec)) return "a folder";
    auto same = [&](const fs::path& other) {
        std::error_code e;
        if (other.empty()) return false;
        if (fs::exists(fileCSV, e) && fs::exists(other, e))
            return fs::equivalent(fileCSV, other, e);
        return fs::weakly_canonical(fs::absolute(fileCSV, e), e) ==
               fs::weakly_canonical(fs::absolute(other, e), e);
    };
    if (same(projectFile)) return "the project file";
    const auto& env = env::Env();
    if (!env.dataFolder().empty()) {
        if (same(env.configFile())) return "the configuration file";
        if (files::IsInside(fileCSV, env.dataFolder() / "temp")) return "inside a working folder";
        if (files::IsInside(fileCSV, env.dataFolder() / "dat"))
            return "inside the catalogue folder";
    }
    return {};
}

int MAKEALLCSV(const std::string& fileCSV, std::shared_ptr<Collezione> project) {
    if (!project) project = CurrentProject();
    std::error_code ec;
    if (!ControllerFileRefused(fileCSV, Host().ProjectFile).empty()) return kCsvCannotDelete;
    // The file is put together in memory and written in one go, after every
    // listing has been read: a job that stops half-way never leaves a partial
    // controller file, and never touches the one that was there.
    std::string out(files::kUtf16Bom);
    // The project's texts are one field each, whatever the user typed.
    auto line = [](long label, std::string_view value) {
        return files::CsvLineBytes(texts::GetText(label) + "\t" + files::CsvField(value));
    };
    out += line(1608, project->Nome);
    out += line(1609, project->Descrizione);
    out += line(1610, project->Autore);
    out += line(1611, compiler::BuildCommandFrame(project->TastoPanico));
    out += files::CsvLineBytes(texts::GetText(1612));
    static const std::string kCrLf("\r\0\n\0", 4);
    for (const auto& s : *project->Scenari()) {
        std::string listing;
        std::string path = compiler::ListingPath(s->FullPath);
        if (!fs::is_regular_file(path, ec) || !files::ReadFile(path, listing))
            return kCsvListingMissing;
        out += listing;
        out += kCrLf;
    }
    files::AtomicFile::Status why{};
    if (files::WriteFileAtomic(fileCSV, out, &why)) return kCsvOk;
    return why == files::AtomicFile::Status::ReadOnly || why == files::AtomicFile::Status::NotAFile
               ? kCsvCannotDelete
               : kCsvCannotWrite;
}

void PrintDescri2Script(const std::string& file, const std::string& description) {
    rewriteScenarioFile(file, [&](scenario::ScenarioFile& f) { f.descrizione = description; });
}

void PrintName2Script(const std::string& file, const std::string& name) {
    rewriteScenarioFile(file, [&](scenario::ScenarioFile& f) { f.scenName = name; });
}

bool WriteDescriptionFile(const std::string& scenarioFile, const std::string& fileName,
                          const std::string& description) {
    std::string line = texts::GetText(1613) + "\t" + files::CsvField(fileName) + "\t" +
                       files::CsvField(description) + "\t" + texts::GetText(1614);
    return files::WriteFileAtomic(compiler::ListingPath(scenarioFile), files::CsvLineBytes(line));
}

}  // namespace tessed::project
