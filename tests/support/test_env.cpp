#include "support/test_env.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "env/environment.h"
#include "env/files.h"
#include "env/state.h"
#include "env/texts.h"
#include "model/schema.h"

namespace tessed::test {

TempDir::TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "tessed-test-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    path_ = tmpl;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::string ReadText(const fs::path& file) {
    std::string s;
    return files::ReadFile(file, s) ? s : "<missing>";
}

void WriteText(const fs::path& file, const std::string& bytes) {
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

bool ToolAvailable(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Columns(const db::Row& row, std::string_view names) {
    std::string out, name, sep;
    std::istringstream in{std::string(names)};
    while (in >> name) {
        const db::Value& v = row[name];
        out += sep + (v.isNull() ? std::string("<null>") : v.toText());
        sep = "|";
    }
    return out;
}

void ExpectContains(const std::string& text, std::initializer_list<std::string_view> parts) {
    for (std::string_view part : parts)
        EXPECT_NE(text.find(part), std::string::npos) << "missing: " << part << "\nin: " << text;
}

fs::path FixtureCatalogue() { return TESSED_TEST_FIXTURES; }
fs::path SourceFixtures() { return TESSED_TEST_SOURCE_FIXTURES; }

FixtureEnv::FixtureEnv(bool open, const std::string& lang) {
    data_ = dir_.path() / "data";
    documents_ = dir_.path() / "documents";
    fs::create_directories(data_ / "dat");
    for (const char* l : {"ITA", "ENG"}) {
        std::string name = std::string("TESSED") + l + ".mdb";
        fs::copy_file(FixtureCatalogue() / "dat" / name, data_ / "dat" / name);
    }
    ::setenv("TESSED_DATA_DIR", data_.c_str(), 1);
    ::setenv("TESSED_DOCUMENTS_DIR", documents_.c_str(), 1);
    Host() = HostSettings{};
    Flags() = RuntimeFlags{};
    schema::InstallWorkingTables();
    auto& env = env::Env();
    env.CloseConnection();
    texts::Clear();
    if (!env.InitFolders(env::AppFolderName())) throw std::runtime_error("InitFolders failed");
    if (lang != "ITA") {
        std::ofstream(env.configFile()) << "[GENERALE]\r\nLINGUA=" << lang << "\r\n";
    }
    if (open && !env.OpenSystemDatabase()) throw std::runtime_error("OpenSystemDatabase failed");
}

FixtureEnv::~FixtureEnv() {
    env::Env().CloseConnection();
    texts::Clear();
    ::unsetenv("TESSED_DATA_DIR");
    ::unsetenv("TESSED_DOCUMENTS_DIR");
    Host() = HostSettings{};
}

void ScriptedMessages::warning(const std::string& t, const std::string& s) {
    calls.push_back({"warning", t, s});
}
void ScriptedMessages::critical(const std::string& t, const std::string& s) {
    calls.push_back({"critical", t, s});
}
void ScriptedMessages::information(const std::string& t, const std::string& s) {
    calls.push_back({"information", t, s});
}
Answer ScriptedMessages::yesNo(const std::string& t, const std::string& s) {
    calls.push_back({"yesno", t, s});
    if (answers.empty()) return Answer::No;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}
Answer ScriptedMessages::yesNoCancel(const std::string& t, const std::string& s) {
    calls.push_back({"yesnocancel", t, s});
    if (answers.empty()) return Answer::Cancel;
    Answer a = answers.front();
    answers.pop_front();
    return a;
}

ScopedMessages::ScopedMessages() : boxes_(std::make_shared<ScriptedMessages>()) {
    SetMessages(boxes_);
}
ScopedMessages::~ScopedMessages() { SetMessages(nullptr); }

CommandResult RunCommand(const std::string& commandLine) {
    CommandResult r;
    FILE* p = popen(commandLine.c_str(), "r");
    if (!p) return r;
    char buf[256];
    while (fgets(buf, sizeof buf, p)) r.out += buf;
    int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

ScopedLocale::ScopedLocale(const char* name) {
    const char* current = std::setlocale(LC_ALL, nullptr);
    oldC_ = current ? current : "C";
    try {
        std::locale wanted(name);
        if (!std::setlocale(LC_ALL, name)) return;
        std::locale::global(wanted);
        active_ = true;
    } catch (const std::runtime_error&) {
        // Not installed: everything stays as it was.
    }
}

ScopedLocale::~ScopedLocale() {
    std::setlocale(LC_ALL, oldC_.c_str());
    std::locale::global(oldCpp_);
}

}  // namespace tessed::test
