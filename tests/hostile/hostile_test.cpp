// Hostile inputs and the answers the program must give them, as a table
// (answers.tsv): every row runs one tessed command on one input, in a fresh
// folder holding only the data folder, the documents folder, a home, a
// temporary folder and the inputs, and checks that the command neither
// crashed nor hung, answered with the expected exit code and message, used
// bounded memory and disk, left its inputs as they were (or saved a project
// that lost none of its scenario folders), wrote nothing anywhere else, and
// left the data folder as it found it.
//
// A row whose last column names a fault is expected to fail until that fault
// is mended; once it passes, the test fails until the mark is removed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <pugixml.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "child.h"
#include "corpus.h"
#include "env/files.h"
#include "env/profile.h"
#include "project/archive.h"
#include "support/test_env.h"

namespace fs = std::filesystem;
using namespace tessed;
using hostile::ChildResult;
using hostile::Snapshot;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 3;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr int kSlowdown = 3;
#else
constexpr int kSlowdown = 1;
#endif
#else
constexpr int kSlowdown = 1;
#endif

const fs::path kHostile = TESSED_HOSTILE_DIR;
const hostile::Sources kSources{kHostile / "corpus", TESSED_DEMO_PROJECT};

struct Row {
    std::string id, input, setup, command, codes, message, checks, fault;
    int line = 0;
};

void PrintTo(const Row& r, std::ostream* os) { *os << r.id; }

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> v;
    std::string part;
    std::istringstream in(s);
    while (std::getline(in, part, sep)) v.push_back(part);
    if (!s.empty() && s.back() == sep) v.push_back("");
    return v;
}

std::vector<std::string> words(const std::string& s) {
    std::vector<std::string> v;
    std::istringstream in(s);
    for (std::string w; in >> w;) v.push_back(w);
    return v;
}

// "-" in a column means nothing.
std::string cell(const std::string& s) { return s == "-" ? std::string() : s; }

std::vector<Row> LoadRows() {
    std::vector<Row> rows;
    std::ifstream in(kHostile / "answers.tsv");
    int n = 0;
    for (std::string line; std::getline(in, line);) {
        ++n;
        if (line.empty() || line[0] == '#') continue;
        auto c = split(line, '\t');
        c.erase(std::remove(c.begin(), c.end(), std::string()), c.end());
        Row r;
        r.line = n;
        if (c.size() != 8) {
            r.id = "line_" + std::to_string(n) + "_malformed";
            r.fault = "!malformed row: " + std::to_string(c.size()) + " columns";
            rows.push_back(r);
            continue;
        }
        r.id = c[0];
        r.input = c[1];
        r.setup = cell(c[2]);
        r.command = c[3];
        r.codes = c[4];
        r.message = cell(c[5]);
        r.checks = cell(c[6]);
        r.fault = cell(c[7]);
        rows.push_back(r);
    }
    return rows;
}

const std::vector<Row>& Rows() {
    static const std::vector<Row> rows = LoadRows();
    return rows;
}

// "\n" and "\t" in a file name given by the table.
std::string unescape(const std::string& s) {
    std::string o;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 'n' || s[i + 1] == 't')) {
            o += s[++i] == 'n' ? '\n' : '\t';
        } else {
            o += s[i];
        }
    }
    return o;
}

std::string readAll(const fs::path& p) {
    std::string s;
    files::ReadFile(p, s);
    return s;
}

// Puts a corpus input ("gen:NAME" or "corpus:sub/file") at `target`.
bool place(const std::string& input, const fs::path& target, std::string& error) {
    if (input.rfind("gen:", 0) == 0) {
        const std::string name = input.substr(4);
        const fs::path scratch = target.parent_path() / (".gen-" + name);
        if (!hostile::MakeInput(name, kSources, scratch, error)) return false;
        fs::rename(scratch / name, target);
        fs::remove_all(scratch);
        return true;
    }
    if (input.rfind("corpus:", 0) == 0) {
        std::error_code ec;
        fs::copy_file(kHostile / "corpus" / input.substr(7), target, ec);
        if (ec) error = input + ": " + ec.message();
        return !ec;
    }
    error = "unknown input " + input;
    return false;
}

// A data folder seeded from the build tree's catalogue, made once per process
// and copied for every run.
const fs::path& TemplateData() {
    static test::TempDir dir;
    static const fs::path data = [] {
        fs::path d = dir / "data";
        ChildResult r = hostile::RunChild(
            {TESSED_EXE, "canrun"},
            {"TESSED_DATA_DIR=" + d.string(), "TESSED_DOCUMENTS_DIR=" + (dir / "docs").string(),
             "TESSED_SHARE_DIR=" TESSED_BINARY_DIR, "HOME=" + dir.path().string(), "LC_ALL=C"},
            {});
        if (r.exitCode != 0) ADD_FAILURE() << "cannot seed a data folder: " << r.out << r.err;
        return d;
    }();
    return data;
}

bool isProject(const std::string& name) { return name.ends_with(".tdj"); }

struct SavedProject {
    bool readable = false;
    int innerArchives = 0, entries = 0, infoScenarios = 0;
    std::string settings, info;
};

SavedProject ReadSaved(const fs::path& tdj) {
    SavedProject s;
    std::vector<archive::ArchiveEntryInfo> list;
    if (!archive::ListArchive(tdj, list)) return s;
    std::string own = tdj.stem().string() + ".prj", settingsName;
    for (const auto& e : list) {
        std::string lower = e.name;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (lower.ends_with(".zip") && lower.find('/') == std::string::npos) ++s.innerArchives;
        if (lower.ends_with(".prj") && (settingsName.empty() || e.name == own))
            settingsName = e.name;
    }
    s.readable = archive::ReadEntry(tdj, settingsName, s.settings, archive::kProjectPassword).ok();
    archive::ReadEntry(tdj, "info.xml", s.info, archive::kProjectPassword);
    static const std::regex entry("^file[0-9]+=", std::regex::icase);
    std::istringstream lines(s.settings);
    for (std::string l; std::getline(lines, l);)
        if (std::regex_search(l, entry)) ++s.entries;
    for (size_t at = 0; (at = s.info.find("<scenario_", at)) != std::string::npos; ++at)
        ++s.infoScenarios;
    return s;
}

// What XML 1.0 allows: well-formed, valid UTF-8, no control characters raw or
// as character references other than tab, line feed and carriage return.
std::string XmlProblem(const std::string& text) {
    if (!profile::IsValidUtf8(text)) return "is not valid UTF-8";
    for (unsigned char c : text)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return "holds a raw control character";
    static const std::regex ref("&#(x[0-9a-fA-F]+|[0-9]+);");
    for (std::sregex_iterator it(text.begin(), text.end(), ref), end; it != end; ++it) {
        std::string v = (*it)[1];
        unsigned long n = v[0] == 'x' ? std::stoul(v.substr(1), nullptr, 16) : std::stoul(v);
        bool ok = n == 9 || n == 10 || n == 13 || (n >= 0x20 && n <= 0xD7FF) ||
                  (n >= 0xE000 && n <= 0xFFFD) || (n >= 0x10000 && n <= 0x10FFFF);
        if (!ok) return "holds the character reference " + it->str() + " that XML 1.0 forbids";
    }
    pugi::xml_document doc;
    auto parsed = doc.load_buffer(text.data(), text.size());
    if (!parsed) return std::string("is not well-formed: ") + parsed.description();
    return {};
}

// A strict JSON syntax check (RFC 8259), strings checked as UTF-8.
class Json {
  public:
    explicit Json(const std::string& s) : s_(s) {}
    std::string problem() {
        if (!profile::IsValidUtf8(s_)) return "is not valid UTF-8";
        ws();
        if (!value()) return error_.empty() ? "is not JSON at byte " + std::to_string(i_) : error_;
        ws();
        if (i_ != s_.size()) return "has text after the value at byte " + std::to_string(i_);
        return {};
    }

  private:
    void ws() {
        while (i_ < s_.size() &&
               (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t'))
            ++i_;
    }
    bool lit(const char* w) {
        size_t n = std::char_traits<char>::length(w);
        if (s_.compare(i_, n, w) != 0) return false;
        i_ += n;
        return true;
    }
    bool string() {
        if (s_[i_] != '"') return false;
        for (++i_; i_ < s_.size(); ++i_) {
            unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (c == '"') {
                ++i_;
                return true;
            }
            if (c < 0x20) {
                error_ = "has a raw control character in a string at byte " + std::to_string(i_);
                return false;
            }
            if (c == '\\') {
                char e = ++i_ < s_.size() ? s_[i_] : 0;
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k)
                        if (++i_ >= s_.size() || !isxdigit(static_cast<unsigned char>(s_[i_])))
                            return false;
                } else if (!std::strchr("\"\\/bfnrt", e) || e == 0) {
                    return false;
                }
            }
        }
        return false;
    }
    bool number() {
        static const std::regex num("-?(0|[1-9][0-9]*)(\\.[0-9]+)?([eE][+-]?[0-9]+)?");
        std::smatch m;
        std::string rest = s_.substr(i_, 64);
        if (!std::regex_search(rest, m, num, std::regex_constants::match_continuous)) return false;
        i_ += size_t(m.length(0));
        return true;
    }
    bool value() {
        if (++depth_ > 10000) return false;
        ws();
        if (i_ >= s_.size()) return false;
        bool ok = false;
        char c = s_[i_];
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++i_;
            ws();
            if (i_ < s_.size() && s_[i_] == close) {
                ++i_;
                ok = true;
            } else {
                while (true) {
                    ws();
                    if (c == '{') {
                        if (i_ >= s_.size() || !string()) return false;
                        ws();
                        if (i_ >= s_.size() || s_[i_++] != ':') return false;
                    }
                    if (!value()) return false;
                    ws();
                    if (i_ < s_.size() && s_[i_] == ',') {
                        ++i_;
                        continue;
                    }
                    ok = i_ < s_.size() && s_[i_++] == close;
                    break;
                }
            }
        } else if (c == '"') {
            ok = string();
        } else if (c == 't' || c == 'f' || c == 'n') {
            ok = lit("true") || lit("false") || lit("null");
        } else {
            ok = number();
        }
        --depth_;
        return ok;
    }
    const std::string& s_;
    size_t i_ = 0;
    int depth_ = 0;
    std::string error_;
};

// The five header lines of a controller file keep their fields: two each,
// the last alone, whatever the project's texts hold.
std::string CsvHeadProblem(const std::string& bytes) {
    if (bytes.rfind(std::string(files::kUtf16Bom), 0) != 0) return "has no byte-order mark";
    std::string text = profile::Utf16LeToUtf8(std::string_view(bytes).substr(2));
    const int expected[] = {2, 2, 2, 2, 1};
    size_t at = 0;
    for (int line = 0; line < 5; ++line) {
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos) return "has fewer than five header lines";
        std::string l = text.substr(at, end - at);
        at = end + 2;
        int fields = 1;
        bool quoted = false;
        for (char c : l) {
            if (c == '"') quoted = !quoted;
            if (c == ';' && !quoted) ++fields;
        }
        if (fields != expected[line])
            return "header line " + std::to_string(line + 1) + " has " + std::to_string(fields) +
                   " fields instead of " + std::to_string(expected[line]) + ": " + l;
    }
    return {};
}

// The configuration file without its recent files, which a save may change.
std::string WithoutRecentFiles(const std::string& ini) {
    std::string out;
    bool skip = false;
    std::istringstream in(ini);
    for (std::string l; std::getline(in, l);) {
        std::string t = l;
        if (!t.empty() && t.back() == '\r') t.pop_back();
        if (!t.empty() && t[0] == '[') {
            std::string name = t;
            std::transform(name.begin(), name.end(), name.begin(), ::toupper);
            skip = name == "[FILECFG]";
        }
        if (!skip) out += t + "\n";
    }
    return out;
}

std::string describe(const ChildResult& r) {
    std::ostringstream o;
    if (r.timedOut)
        o << "timed out";
    else if (r.signal)
        o << "killed by signal " << r.signal << (r.signal == SIGXFSZ ? " (file size limit)" : "");
    else
        o << "exit " << r.exitCode;
    o << " after " << r.seconds << " s, " << r.maxRssKb / 1024 << " MiB peak memory, "
      << (r.peakDiskBytes >> 20) << " MiB peak disk";
    std::string out = r.out.substr(0, 600), err = r.err.substr(0, 600);
    o << "\n  stdout: " << out << "\n  stderr: " << err;
    return o.str();
}

class Answer : public ::testing::TestWithParam<Row> {};

TEST_P(Answer, Holds) {
    const Row& row = GetParam();
    ASSERT_EQ(row.fault.rfind('!', 0), std::string::npos)
        << "answers.tsv line " << row.line << ": " << row.fault;
    test::TempDir dir;
    const fs::path root = dir.path();
    const fs::path data = root / "data", docs = root / "docs", home = root / "home",
                   tmp = root / "tmp", in = root / "in";
    for (const auto& f : {docs / "Export", home, tmp, in}) fs::create_directories(f);
    fs::copy(TemplateData(), data, fs::copy_options::recursive);
    // Jobs make their working areas under temp; the folder itself may stay.
    fs::create_directories(data / "temp");

    // Setup.
    std::string name = row.input.substr(row.input.find(':') + 1);
    name = fs::path(name).filename().string();
    fs::path inputPath;
    const fs::path out = in / "out.csv";
    bool readOnly = false, viaLink = false, compiled = false, fifo = false, zeroLink = false;
    std::string error;
    for (const std::string& s : words(row.setup)) {
        if (s.rfind("as=", 0) == 0)
            name = unescape(s.substr(3));
        else if (s == "readonly")
            readOnly = true;
        else if (s == "link")
            viaLink = true;
        else if (s == "compiled")
            compiled = true;
        else if (s == "fifo")
            fifo = true;
        else if (s == "zero-link")
            zeroLink = true;
        else if (s == "existing-out")
            test::WriteText(out, "an older controller file\n");
        else if (s == "ini-folder")
            fs::create_directories(data / "Tessed40.INI" / "sub");
        else if (s.rfind("ini=", 0) == 0)
            ASSERT_TRUE(place(s.substr(4), data / "Tessed40.INI", error)) << error;
        else
            FAIL() << "unknown setup " << s;
    }
    inputPath = in / name;
    fs::path realInput = inputPath;
    if (viaLink) {
        fs::create_directories(in / "real");
        realInput = in / "real" / name;
        fs::create_symlink(realInput, inputPath);
    }
    ASSERT_TRUE(place(row.input, realInput, error)) << error;
    // A file that is no regular file: reading it would block or never end.
    if (fifo || zeroLink) {
        fs::remove(realInput);
        if (fifo) {
            ASSERT_EQ(::mkfifo(realInput.c_str(), 0600), 0);
        }
        if (zeroLink) fs::create_symlink("/dev/zero", realInput);
    }
    if (readOnly)
        fs::permissions(realInput,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    std::vector<std::string> env = {"TESSED_DATA_DIR=" + data.string(),
                                    "TESSED_DOCUMENTS_DIR=" + docs.string(),
                                    "TESSED_SHARE_DIR=" TESSED_BINARY_DIR,
                                    "HOME=" + home.string(),
                                    "TMPDIR=" + tmp.string(),
                                    "XDG_CONFIG_HOME=" + (home / ".config").string(),
                                    "XDG_DATA_HOME=" + (home / ".local").string(),
                                    "XDG_CACHE_HOME=" + (home / ".cache").string(),
                                    "LC_ALL=C",
                                    "TZ=UTC",
                                    "PATH=/usr/bin:/bin"};
    for (const char* keep : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* v = std::getenv(keep)) env.push_back(std::string(keep) + "=" + v);
    hostile::Limits limits;
    limits.timeoutMs = 10000 * kSlowdown;
    limits.watched = root;

    if (compiled) {
        ChildResult c = hostile::RunChild({TESSED_EXE, "compile", inputPath.string()}, env, limits);
        ASSERT_EQ(c.exitCode, 0) << "setup compile: " << describe(c);
    }

    std::vector<std::string> argv{TESSED_EXE};
    for (const std::string& w : words(row.command)) {
        std::string a = w;
        auto sub = [&](const std::string& key, const fs::path& p) {
            for (size_t at; (at = a.find(key)) != std::string::npos;)
                a.replace(at, key.size(), p.string());
        };
        sub("{in}", inputPath);
        sub("{out}", out);
        sub("{docs}", docs);
        sub("{data}", data);
        sub("{missing}", root / "no-such-folder");
        argv.push_back(a);
    }
    const std::string verb = argv.size() > 1 ? argv[1] : "";

    const Snapshot before = hostile::Take(root);
    const std::string iniBefore =
        fs::is_regular_file(data / "Tessed40.INI") ? readAll(data / "Tessed40.INI") : "";
    const uint64_t inputBytes = hostile::DiskUse(root);
    const ChildResult r = hostile::RunChild(argv, env, limits);
    const Snapshot after = hostile::Take(root);

    std::vector<std::string> problems;
    auto problem = [&](const std::string& p) { problems.push_back(p); };

    // Crashes, hangs, sanitizer reports, resources.
    if (!r.started) problem("could not start the command");
    if (r.timedOut) problem("did not end within " + std::to_string(limits.timeoutMs / 1000) + " s");
    if (r.signal == SIGXFSZ)
        problem("wrote a file larger than 64 MiB");
    else if (r.signal)
        problem("was killed by signal " + std::to_string(r.signal));
    for (const char* s : {"Sanitizer", "runtime error:"})
        if (r.err.find(s) != std::string::npos)
            problem(std::string("sanitizer report (") + s + ")");
    const long memoryLimitKb = 512L * 1024 * kSlowdown;
    if (r.maxRssKb > memoryLimitKb)
        problem("used " + std::to_string(r.maxRssKb / 1024) + " MiB of memory");
    const uint64_t diskLimit = 256ull << 20;
    if (r.peakDiskBytes > inputBytes + diskLimit)
        problem("used " + std::to_string((r.peakDiskBytes - inputBytes) >> 20) +
                " MiB of disk beyond its inputs");

    // The answer.
    std::set<int> codes;
    for (const auto& c : split(row.codes, ',')) codes.insert(std::stoi(c));
    const bool exited = r.started && !r.timedOut && !r.signal;
    if (exited && !codes.count(r.exitCode))
        problem("exit " + std::to_string(r.exitCode) + ", expected " + row.codes);
    const std::string said = r.out + r.err;
    if (exited && r.exitCode != 0 && said.find_first_not_of(" \r\n\t") == std::string::npos)
        problem("failed without a message");
    if (!row.message.empty()) {
        bool found = false;
        for (const auto& alt : split(row.message, '|'))
            found = found || said.find(alt) != std::string::npos;
        if (!found) problem("no message containing \"" + row.message + "\"");
    }

    // What changed on disk.
    const bool saves = (verb == "doinfoxml" || verb == "compile") && exited &&
                       (r.exitCode == 0 || (verb == "compile" && r.exitCode == 4));
    const bool wroteOut = verb == "makecsv" && exited && r.exitCode == 0;
    const std::string realRel = realInput.lexically_relative(root).string();
    const std::string outRel = out.lexically_relative(root).string();
    const std::string iniRel = "data/Tessed40.INI";
    for (const auto& [path, f] : after) {
        auto was = before.find(path);
        const bool isNew = was == before.end();
        if (!isNew && was->second == f) continue;
        if (path == realRel && saves && isProject(name) && !isNew) continue;
        if (path == outRel && wroteOut) continue;
        if (path == iniRel && f.type == 'f' && verb == "doinfoxml" && saves) {
            // A save puts the project at the top of the recent files; nothing
            // else in the configuration may change.
            if (WithoutRecentFiles(iniBefore) != WithoutRecentFiles(readAll(data / "Tessed40.INI")))
                problem("changed the configuration file beyond its recent files");
            continue;
        }
        if (path.rfind("data/dat/", 0) == 0 && path.ends_with(".mdb") && !isNew) continue;
        problem((isNew ? "left " : "changed ") + path);
    }
    for (const auto& [path, f] : before)
        if (!after.count(path)) problem("removed " + path);
    if (viaLink && exited && r.exitCode == 0) {
        if (!fs::is_symlink(inputPath))
            problem("the link to the project became a file");
        else if (saves && before.at(realRel) == after.at(realRel))
            problem("the project the link leads to was not saved");
    }

    // The saved project, the controller file, the printed scenario.
    SavedProject saved;
    if (saves && isProject(name)) {
        saved = ReadSaved(realInput);
        if (!saved.readable) problem("the saved project cannot be read");
        if (!saved.info.empty())
            if (std::string p = XmlProblem(saved.info); !p.empty()) problem("info.xml " + p);
    }
    for (const std::string& c : words(row.checks)) {
        auto number = [&](const char* key) { return std::stoi(c.substr(std::string(key).size())); };
        if (c.rfind("keep=", 0) == 0) {
            if (saves && saved.innerArchives < number("keep="))
                problem("the saved project keeps " + std::to_string(saved.innerArchives) + " of " +
                        std::to_string(number("keep=")) + " scenario folders");
        } else if (c.rfind("entries=", 0) == 0) {
            if (!saves)
                problem("the project was not saved");
            else if (saved.entries != number("entries="))
                problem("the saved settings list " + std::to_string(saved.entries) +
                        " scenarios, not " + std::to_string(number("entries=")));
        } else if (c.rfind("info=", 0) == 0) {
            if (!saves)
                problem("the project was not saved");
            else if (saved.infoScenarios != number("info="))
                problem("info.xml lists " + std::to_string(saved.infoScenarios) +
                        " compiled scenarios, not " + std::to_string(number("info=")));
        } else if (c == "csvhead") {
            if (!wroteOut)
                problem("no controller file was written");
            else if (std::string p = CsvHeadProblem(readAll(out)); !p.empty())
                problem("the controller file " + p);
        } else if (c == "json") {
            if (exited && r.exitCode == 0)
                if (std::string p = Json(r.out).problem(); !p.empty())
                    problem("the printed JSON " + p);
        } else if (c == "small-output") {
            if (r.out.size() > (1u << 20))
                problem("printed " + std::to_string(r.out.size() >> 20) + " MiB");
        } else if (c == "no-passwd") {
            if (said.find("root:x:") != std::string::npos)
                problem("printed a file it was pointed at by an entity");
        } else if (c == "ini-clean") {
            std::string ini = readAll(data / "Tessed40.INI");
            std::string upper = ini;
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            if (upper.find("[KERNIX]") != std::string::npos)
                problem("the configuration file gained a [KERNIX] section");
        } else if (c.rfind("absent=", 0) == 0) {
            if (fs::exists(fs::symlink_status(c.substr(7)))) {
                problem("wrote " + c.substr(7));
                std::error_code ec;
                fs::remove(c.substr(7), ec);
            }
        } else {
            problem("unknown check " + c);
        }
    }

    // A run that leaves a tree behind names its first few files only.
    std::ostringstream report;
    int left = 0;
    for (const auto& p : problems) {
        if (p.rfind("left ", 0) == 0 && ++left > 6) continue;
        report << "\n  - " << p;
    }
    if (left > 6) report << "\n  - and " << left - 6 << " more files left";
    const std::string context = row.command + " on " + row.input + ": " + describe(r);
    if (row.fault.empty()) {
        EXPECT_TRUE(problems.empty())
            << "answers.tsv line " << row.line << ", " << context << report.str();
    } else if (problems.empty()) {
        ADD_FAILURE() << "answers.tsv line " << row.line
                      << ": unexpectedly passing, remove the mark (" << row.fault << ")\n  "
                      << context;
    } else {
        std::cout << "[ expected to fail until " << row.fault << " is mended ]" << report.str()
                  << "\n";
    }
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string n = info.param.id;
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
}

INSTANTIATE_TEST_SUITE_P(Hostile, Answer, ::testing::ValuesIn(Rows()), RowName);

}  // namespace

// The table itself: enough distinct inputs, unique row names, every input
// made or found, every committed input used by some row.
TEST(HostileTable, CoversTheCorpus) {
    std::set<std::string> ids, inputs;
    for (const Row& r : Rows()) {
        EXPECT_TRUE(ids.insert(r.id).second) << "row " << r.id << " twice";
        inputs.insert(r.input);
        for (const std::string& s : words(r.setup))
            if (s.rfind("ini=", 0) == 0) inputs.insert(s.substr(4));
    }
    EXPECT_GE(inputs.size(), 60u);
    const auto generated = hostile::GeneratedInputs(kSources);
    for (const std::string& i : inputs) {
        if (i.rfind("gen:", 0) == 0)
            EXPECT_TRUE(std::count(generated.begin(), generated.end(), i.substr(4))) << i;
        else
            EXPECT_TRUE(fs::exists(kHostile / "corpus" / i.substr(7))) << i;
    }
    for (const std::string& g : generated) {
        bool used = inputs.count("gen:" + g) > 0;
        // A committed settings or scenario file counts as used through its wrapper.
        EXPECT_TRUE(used || g.rfind("prj-", 0) == 0 || g.rfind("tdx-", 0) == 0)
            << "gen:" << g << " is never run";
    }
    for (const char* sub : {"settings", "scenario", "config", "device"})
        for (const auto& e : fs::directory_iterator(kHostile / "corpus" / sub)) {
            std::string n = std::string(sub) + "/" + e.path().filename().string();
            std::string stem = e.path().stem().string();
            bool used = inputs.count("corpus:" + n) || inputs.count("gen:prj-" + stem + ".tdj") ||
                        inputs.count("gen:tdx-" + stem + ".tdj");
            EXPECT_TRUE(used) << n << " is never run";
        }
}
