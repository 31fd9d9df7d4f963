#pragma once
// Test helpers: temporary folders, a data folder seeded with the fixture
// catalogue, and scripted message boxes.
#include <ctime>
#include <deque>
#include <filesystem>
#include <locale>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "env/database.h"
#include "env/messages.h"

namespace tessed::test {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& s) const { return path_ / s; }

  private:
    fs::path path_;
};

// The folder holding the fixture catalogue (dat/TESSEDITA.mdb, dat/TESSEDENG.mdb).
fs::path FixtureCatalogue();
// The source folder tests/fixtures (scenarios, projects, ...).
fs::path SourceFixtures();

// A file's bytes, or "<missing>" when it cannot be read.
std::string ReadText(const fs::path& file);
// Writes the bytes as they are, creating the folders above the file.
void WriteText(const fs::path& file, const std::string& bytes);
// Whether a command-line tool can be found on the search path.
bool ToolAvailable(const char* tool);

// Runs a shell command line; its exit code (-1 when it did not exit) and what
// it printed on standard output.
struct CommandResult {
    int code = -1;
    std::string out;
};
CommandResult RunCommand(const std::string& commandLine);
// The named columns of a row ("A B C") as "a|b|c", Null as "<null>": one
// comparison shows every value that differs.
std::string Columns(const db::Row& row, std::string_view names);
// Every part must occur in the text; each missing one is reported.
void ExpectContains(const std::string& text, std::initializer_list<std::string_view> parts);

// A complete environment on a temporary data folder that holds a copy of the
// fixture catalogue: the process-wide environment is re-initialised on it and,
// when `open` is set, the master database of `lang` is opened.
class FixtureEnv {
  public:
    explicit FixtureEnv(bool open = true, const std::string& lang = "ITA");
    ~FixtureEnv();
    const fs::path& data() const { return data_; }
    const fs::path& documents() const { return documents_; }

  private:
    TempDir dir_;
    fs::path data_, documents_;
};

// Message boxes that record every call and answer from a queue (Yes, then
// whatever was scripted; Cancel/No when the queue is empty).
class ScriptedMessages : public MessageBoxes {
  public:
    struct Call {
        std::string kind, title, text;
        bool operator==(const Call&) const = default;
        friend std::ostream& operator<<(std::ostream& o, const Call& c) {
            return o << c.kind << " [" << c.title << "] " << c.text;
        }
    };
    std::vector<Call> calls;
    std::deque<Answer> answers;

    void warning(const std::string& t, const std::string& s) override;
    void critical(const std::string& t, const std::string& s) override;
    void information(const std::string& t, const std::string& s) override;
    Answer yesNo(const std::string& t, const std::string& s) override;
    Answer yesNoCancel(const std::string& t, const std::string& s) override;
};

// Installs scripted message boxes for the life of the object.
class ScopedMessages {
  public:
    ScopedMessages();
    ~ScopedMessages();
    ScriptedMessages& operator*() { return *boxes_; }
    ScriptedMessages* operator->() { return boxes_.get(); }

  private:
    std::shared_ptr<ScriptedMessages> boxes_;
};

// The process locale switched, as a Qt application installs the user's: the C
// locale (printf, strtod, localeconv) and the global C++ locale (streams made
// afterwards). The old ones come back when the object goes. `active()` is
// false when the locale is not installed; tests assert it, so a machine
// without it fails loudly instead of passing untested (scripts/setup
// generates it).
class ScopedLocale {
  public:
    explicit ScopedLocale(const char* name);
    ~ScopedLocale();
    ScopedLocale(const ScopedLocale&) = delete;
    ScopedLocale& operator=(const ScopedLocale&) = delete;
    bool active() const { return active_; }

  private:
    std::string oldC_;
    std::locale oldCpp_;
    bool active_ = false;
};
// A locale whose decimal separator is a comma and whose thousands are grouped.
inline constexpr const char* kCommaLocale = "it_IT.UTF-8";
// The locales every number test runs under.
inline constexpr const char* kNumberLocales[] = {"C", kCommaLocale};

// Processor time of this process in seconds. Tests that guard against
// quadratic or unbounded work compare this, not wall time, so that a loaded
// machine cannot make a bounded run look unbounded.
inline double ProcessSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace tessed::test
