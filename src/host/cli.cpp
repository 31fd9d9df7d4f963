#include "cli.h"

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>

#include "edit.h"
#include "env/state.h"
#include "env/strings.h"
#ifdef TESSED_WITH_UI
#include <QApplication>

#include "ui/application.h"
#endif
#include "configurator/device_file.h"
#include "configurator/device_json.h"
#include "env/environment.h"
#include "env/version.h"
#include "model/scenario_file.h"
#include "model/scenario_json.h"
#include "model/schema.h"
#include "project/batch.h"

namespace tessed::cli {

namespace {

constexpr const char* kUsage =
    "usage: tessed [options] [show] [--modal] [FILE]   start the user interface\n"
    "       tessed [options] canrun [LANG]             can the editor run? prints True or False\n"
    "       tessed [options] doinfoxml PROJECT.tdj     regenerate the project's derived files\n"
    "       tessed [options] makecsv PROJECT.tdj OUT.csv  join a project's listings into a "
    "controller file\n"
    "       tessed [options] compile PROJECT.tdj       compile every scenario of a project and "
    "save it\n"
    "       tessed dump FILE.tdx                       print a scenario file as JSON\n"
    "       tessed [options] device FILE.xml [--area N] [--gateway N]\n"
    "                                                  print a configurator's device file and\n"
    "                                                  what it resolves to, as JSON\n"
    "       tessed --help | --version\n"
    "options:\n"
    "  --data-dir DIR       data folder (catalogue, configuration, working folder)\n"
    "  --documents-dir DIR  documents folder (exports)\n"
    "  --lang CODE          the host's language (ParentLang)\n"
    "  --host NAME          the host's name (ParentEXEname)\n"
    "  --area N             device: the slot area (3, 4, 5, 6 or 0); every area when not given\n"
    "  --gateway N          device: the host's gateway address (SysAddressGateway, 0)\n";

// Applies the options that must hold before Edit prepares its folders.
void applyEnvironment(const Options& o) {
    if (!o.dataDir.empty()) ::setenv("TESSED_DATA_DIR", o.dataDir.c_str(), 1);
    if (!o.documentsDir.empty()) ::setenv("TESSED_DOCUMENTS_DIR", o.documentsDir.c_str(), 1);
}

void applyProperties(const Options& o, Edit& edit) {
    if (!o.lang.empty()) edit.setParentLang(o.lang);
    if (!o.host.empty()) edit.setParentEXEname(o.host);
    edit.setModal(o.modal);
}

// A word that names a file to show: a project or scenario file, or a path.
bool looksLikeFile(const std::string& word) {
    auto endsWith = [&](std::string_view ext) {
        return word.size() >= ext.size() &&
               str::IEquals(std::string_view(word).substr(word.size() - ext.size()), ext);
    };
    return endsWith(".tdj") || endsWith(".tdx") || word.find('/') != std::string::npos;
}

using Handler = std::function<int(const Options&, Edit&, std::ostream&, std::ostream&)>;

struct Command {
    size_t minArgs, maxArgs;  // after the command word
    Handler run;
};

int cmdCanRun(const Options& o, Edit& edit, std::ostream& out, std::ostream&) {
    std::string lang = o.args.size() > 1 ? o.args[1] : o.lang;
    bool ok = edit.CanRun(lang);
    out << (ok ? "True" : "False") << "\n";
    return ok ? 0 : 1;
}

// The numbered texts end their lines with a carriage return.
std::string lines(std::string text) {
    for (auto& c : text)
        if (c == '\r') c = '\n';
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

// The failures every job shares: a missing project, the catalogue, an open.
bool reportOpen(const project::BatchResult& r, const std::string& file, std::ostream& err) {
    if (r.code == project::kBatchMissing) {
        err << "tessed: project file not found: " << file << "\n";
    } else if (r.code == project::kBatchCannotOpen && r.catalogueFailed) {
        err << "tessed: " << r.message << "\n";
    } else if (r.code == project::kBatchCannotOpen && !r.outputRefused) {
        err << "tessed: cannot open project file: " << file << "\n" << lines(r.message);
    } else {
        return false;
    }
    return true;
}

// Edit::DOINFOXML and Edit::MAKECSV are these jobs; the command asks for what
// they report besides the result.
int cmdDoInfoXml(const Options& o, Edit&, std::ostream&, std::ostream& err) {
    project::BatchResult r = project::RunDoInfoXml(o.args[1]);
    if (!reportOpen(r, o.args[1], err) && r.code == project::kBatchSaveFailed)
        err << "tessed: the project could not be saved: " << o.args[1] << "\n" << lines(r.message);
    return r.code;
}

int cmdMakeCsv(const Options& o, Edit&, std::ostream&, std::ostream& err) {
    project::BatchResult r = project::RunMakeCsv(o.args[1], o.args[2]);
    if (reportOpen(r, o.args[1], err)) return r.code;
    if (r.outputRefused)
        err << "tessed: the controller file may not be written to " << o.args[2] << ": "
            << r.message << "\n";
    if (r.code == 3) err << "tessed: a scenario has no listing; compile the project first\n";
    if (r.code == 4) err << "tessed: cannot write the controller file: " << o.args[2] << "\n";
    return r.code;
}

// Prints the compile run's log as it goes, one line per event.
struct PrintingObserver : compiler::CompileObserver {
    std::ostream& out;
    explicit PrintingObserver(std::ostream& o) : out(o) {}
    void log(const std::string& text, const std::string& iconKey) override {
        out << (iconKey == "vbred" ? "! " : "  ") << text << "\n";
    }
};

int cmdCompile(const Options& o, Edit&, std::ostream& out, std::ostream& err) {
    PrintingObserver observer(out);
    project::CompileProjectResult r = project::CompileProject(o.args[1], observer);
    switch (r.code) {
        case project::kBatchMissing:
            err << "tessed: project file not found: " << o.args[1] << "\n";
            return r.code;
        case project::kBatchCannotOpen:
            if (r.catalogueFailed)
                err << "tessed: " << r.message << "\n";
            else
                err << "tessed: cannot open project file: " << o.args[1] << "\n"
                    << lines(r.message);
            return r.code;
        default:
            break;
    }
    out << "compiled " << r.run.compiled << " of " << r.scenarios << " scenarios, " << r.run.failed
        << " failed\n";
    if (!r.run.summary.empty()) {
        std::string summary = r.run.summary;
        for (auto& c : summary)
            if (c == '\r') c = '\n';
        out << summary;
    }
    if (r.code == project::kBatchSaveFailed)
        err << "tessed: the project could not be saved: " << r.message << "\n";
    return r.code;
}

int cmdShow(const Options& o, Edit& edit, std::ostream&, std::ostream& err) {
#ifdef TESSED_WITH_UI
    std::string why;
    if (!ui::CanShowWindows(why)) {
        err << "tessed: cannot show the user interface: " << why << "\n";
        return 1;
    }
    // The application lives for the command, so the windows are gone before
    // the process ends.
    static int argc = 1;
    static char name[] = "tessed";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (o.args.size() > 1) edit.setFileToOpen(o.args[1]);
    bool ended = false;
    edit.setAppEndHandler([&ended] { ended = true; });
    edit.Show();
    // Modeless: Show returned at once, and the command waits for the end.
    ui::WaitForEnd();
    edit.setAppEndHandler(nullptr);
    if (Flags().systemDbFailed) {
        err << "tessed: the catalogue (master database) could not be opened\n";
        return 1;
    }
    return ended ? 0 : 1;
#else
    (void)o, (void)edit;
    err << "tessed: the user interface is not part of this build\n";
    return 1;
#endif
}

// Prints a scenario file as JSON. It reads the file alone, so it needs neither
// the data folder nor the catalogue.
int cmdDump(const Options& o, std::ostream& out, std::ostream& err) {
    try {
        out << scenario::ScenarioJson(scenario::ReadScenarioFile(o.args[1]));
        return 0;
    } catch (const scenario::ScenarioFileError& e) {
        err << "tessed: cannot read scenario file " << o.args[1] << ": " << e.detail() << "\n";
        return 2;
    }
}

// A whole number as an option's value; nothing when it is not one.
std::optional<int64_t> wholeNumber(const std::string& s) {
    if (s.empty() || s.size() > 18) return std::nullopt;
    size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size()) return std::nullopt;
    for (size_t k = i; k < s.size(); ++k)
        if (!str::IsDigit(s[k])) return std::nullopt;
    return str::LenientInt(s);
}

// Prints what a device file holds and what it resolves to. The file is read
// (and refused) before the catalogue is opened.
int cmdDevice(const Options& o, Edit&, std::ostream& out, std::ostream& err) {
    std::optional<int> area;
    if (o.area) {
        auto n = wholeNumber(*o.area);
        if (!n || (*n != 0 && (*n < 3 || *n > 6))) {
            err << "tessed: --area must be 3, 4, 5, 6 or 0, not " << *o.area << "\n" << kUsage;
            return 2;
        }
        area = static_cast<int>(*n);
    }
    int64_t gateway = Host().SysAddressGateway;
    if (o.gateway) {
        auto n = wholeNumber(*o.gateway);
        if (!n || *n < INT32_MIN || *n > INT32_MAX) {
            err << "tessed: --gateway must be a whole number, not " << *o.gateway << "\n" << kUsage;
            return 2;
        }
        gateway = *n;
        Host().SysAddressGateway = static_cast<int32_t>(*n);
    }
    const std::string& file = o.args[1];
    std::error_code ec;
    const std::string path = std::filesystem::absolute(file, ec).lexically_normal().string();
    configurator::DeviceFile device = configurator::ReadDeviceFile(path, gateway);
    if (device.status == configurator::DeviceFile::Status::kNotAFile) {
        err << "tessed: cannot read device file " << file << ": " << device.detail << "\n";
        return 2;
    }
    if (device.status == configurator::DeviceFile::Status::kRefused) {
        err << "tessed: " << file << " is not a usable device file: " << device.detail << "\n";
        return 2;
    }
    schema::InstallWorkingTables();
    env::Environment& e = env::Env();
    if (!e.connected() && !e.OpenSystemDatabase()) {
        err << "tessed: cannot open the master database "
            << e.databaseFile(e.currentLanguage()).string() << "\n";
        return 2;
    }
    out << configurator::DeviceReportJson(file, device, e.master(), area);
    return 0;
}

// Commands that run without an Edit instance (and so without the data folder).
struct StandaloneCommand {
    size_t minArgs, maxArgs;
    std::function<int(const Options&, std::ostream&, std::ostream&)> run;
};

const std::map<std::string, StandaloneCommand>& standaloneCommands() {
    static const std::map<std::string, StandaloneCommand> table = {
        {"dump", {1, 1, cmdDump}},
    };
    return table;
}

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"canrun", {0, 1, cmdCanRun}},   {"compile", {1, 1, cmdCompile}},
        {"device", {1, 1, cmdDevice}},   {"doinfoxml", {1, 1, cmdDoInfoXml}},
        {"makecsv", {2, 2, cmdMakeCsv}}, {"show", {0, 1, cmdShow}},
    };
    return table;
}

}  // namespace

bool Parse(const std::vector<std::string>& argv, Options& out, std::string& error) {
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= argv.size()) {
                error = "option " + a + " needs a value";
                return false;
            }
            into = argv[++i];
            return true;
        };
        if (a == "--data-dir") {
            if (!value(out.dataDir)) return false;
        } else if (a == "--documents-dir") {
            if (!value(out.documentsDir)) return false;
        } else if (a == "--lang") {
            if (!value(out.lang)) return false;
        } else if (a == "--host") {
            if (!value(out.host)) return false;
        } else if (a == "--area") {
            if (!value(out.area.emplace())) return false;
        } else if (a == "--gateway") {
            if (!value(out.gateway.emplace())) return false;
        } else if (a == "--modal") {
            out.modal = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "--help" && a != "--version") {
            error = "unknown option " + a;
            return false;
        } else {
            out.args.push_back(a);
        }
    }
    return true;
}

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err) {
    Options o;
    std::string error;
    if (!Parse(argv, o, error)) {
        err << "tessed: " << error << "\n" << kUsage;
        return 2;
    }
    if (!o.args.empty() && o.args[0] == "--help") {
        out << kUsage;
        return 0;
    }
    if (!o.args.empty() && o.args[0] == "--version") {
        out << "tessed " << kVersionMajor << "." << kVersionMinor << "." << kVersionRevision
            << "\n";
        return 0;
    }
    if (!o.args.empty()) {
        auto it = standaloneCommands().find(o.args[0]);
        if (it != standaloneCommands().end()) {
            size_t n = o.args.size() - 1;
            if (n < it->second.minArgs || n > it->second.maxArgs) {
                err << "tessed: wrong number of arguments for " << o.args[0] << "\n" << kUsage;
                return 2;
            }
            return it->second.run(o, out, err);
        }
    }
    // With no command, or with a file as the only word, the user interface
    // starts; any other word is a mistyped command.
    if (o.args.empty()) {
        o.args.insert(o.args.begin(), "show");
    } else if (!commands().count(o.args[0])) {
        if (!looksLikeFile(o.args[0])) {
            err << "tessed: unknown command " << o.args[0] << "\n" << kUsage;
            return 2;
        }
        o.args.insert(o.args.begin(), "show");
    }
    const Command& cmd = commands().at(o.args[0]);
    if ((o.area || o.gateway) && o.args[0] != "device") {
        err << "tessed: --area and --gateway belong to the device command\n" << kUsage;
        return 2;
    }
    size_t n = o.args.size() - 1;
    if (n < cmd.minArgs || n > cmd.maxArgs) {
        err << "tessed: wrong number of arguments for " << o.args[0] << "\n" << kUsage;
        return 2;
    }
    applyEnvironment(o);
    Edit edit;
    applyProperties(o, edit);
    return cmd.run(o, edit, out, err);
}

}  // namespace tessed::cli
