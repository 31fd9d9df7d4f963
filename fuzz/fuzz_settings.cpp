// Any bytes as a project's settings file read without failing; every scenario
// entry either is refused or names a file inside the project's folder; and the
// project saved from what was read reads back with the same name, description,
// author, panic button and entries.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "compiler/frames.h"
#include "env/files.h"
#include "env/profile.h"
#include "env/strings.h"
#include "env/version.h"
#include "project/settings.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using namespace tessed;

// A project folder as an archive unpacks it: scenario folders written on Linux
// and on Windows, and a name that is not ASCII.
const fs::path& ProjectFolder() {
    static const fs::path folder = [] {
        fs::path f = fuzz::ScratchRoot() / "project";
        fs::create_directories(f / "1.spt");
        fs::create_directories(f / "2.SPT");
        files::WriteFileAtomic(f / "1.spt" / "1.tdx", "<root/>");
        files::WriteFileAtomic(f / "2.SPT" / "2.TDX", "<root/>");
        files::WriteFileAtomic(f / "K\xC3\xBC"
                                   "che.tdx",
                               "<root/>");
        return f;
    }();
    return folder;
}

bool LexicallyInside(const fs::path& inner, const fs::path& outer) {
    fs::path a = inner.lexically_normal(), b = outer.lexically_normal();
    auto ai = a.begin();
    for (auto bi = b.begin(); bi != b.end(); ++bi, ++ai)
        if (ai == a.end() || *ai != *bi) return false;
    return ai != a.end();
}

// What reading gives for an entry that was written as `v`: blanks at either end
// and one pair of outer quotes are taken off.
std::string ReadBack(std::string v) {
    std::replace(v.begin(), v.end(), '/', '\\');
    std::string_view t = str::Trim(v);
    if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front())
        t = t.substr(1, t.size() - 2);
    return std::string(str::Trim(t));
}

void Fail(const char* what, const std::string& a, const std::string& b) {
    std::fprintf(stderr, "%s:\n[%s]\n[%s]\n", what, a.c_str(), b.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path& folder = ProjectFolder();
    const fs::path prj = folder / "p.prj";
    if (!files::WriteFileAtomic(prj, std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    if (project::FindSettingsFile(folder, "p") != prj) std::abort();

    project::Settings s = project::ReadSettings(prj);
    if (s.files.size() > size_t(project::kMaxScenarios)) std::abort();
    for (const std::string& v : s.files) {
        if (v.empty()) std::abort();
        auto file = project::ScenarioFileOf(folder, v);
        if (file && !LexicallyInside(*file, folder)) Fail("entry leads out", v, file->string());
        project::ResolvedEntry found = project::ResolveScenarioFile(folder, v);
        if ((found.how == project::Resolution::Outside) != !file)
            Fail("entry refused by one check only", v, file ? file->string() : "");
        if (found.how == project::Resolution::Exact || found.how == project::Resolution::Folded) {
            std::error_code ec;
            if (!LexicallyInside(found.file, folder) || !fs::is_regular_file(found.file, ec))
                Fail("entry resolved to a file outside or missing", v, found.file.string());
        }
        if (!profile::IsValidUtf8(project::FoldFileName(v)) ||
            !profile::IsValidUtf8(project::FoldFileName(v, true)))
            Fail("folded name is not UTF-8", v, project::FoldFileName(v));
    }

    // Save what was read, as a project save does, and read it again.
    Collezione c;
    c.Nome = s.nome;
    c.Descrizione = s.descrizione;
    c.Autore = s.autore;
    compiler::ParseCommandFrame(s.tastopanico, c.TastoPanico);
    const fs::path saved = folder / "q.prj";
    if (!files::WriteFileAtomic(saved, project::FormatSettings(c, s.files))) return 0;
    project::Settings t = project::ReadSettings(saved);
    if (!str::IEquals(t.keyfile, project::kKeyfileValue)) Fail("keyfile", s.keyfile, t.keyfile);
    if (t.appMajor != kVersionMajor || t.appMinor != kVersionMinor ||
        t.appRevision != kVersionRevision)
        Fail("version", std::to_string(t.appMajor), std::to_string(t.appRevision));
    if (t.nome != s.nome) Fail("nome", s.nome, t.nome);
    if (t.descrizione != s.descrizione) Fail("descrizione", s.descrizione, t.descrizione);
    if (t.autore != s.autore) Fail("autore", s.autore, t.autore);
    CommandRecord panic;
    compiler::ParseCommandFrame(t.tastopanico, panic);
    if (!(panic == c.TastoPanico)) Fail("tastopanico", s.tastopanico, t.tastopanico);
    std::vector<std::string> expected;
    for (const std::string& v : s.files) {
        std::string r = ReadBack(v);
        if (r.empty()) break;
        expected.push_back(r);
    }
    if (t.files != expected)
        Fail("entries", std::to_string(expected.size()), std::to_string(t.files.size()));
    return 0;
}
