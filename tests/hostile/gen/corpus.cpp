#include "corpus.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <functional>
#include <map>
#include <stdexcept>

#include "env/files.h"
#include "project/archive.h"
#include "zip_writer.h"

namespace tessed::hostile {

namespace {

const std::string kPassword{archive::kProjectPassword};

struct File {
    std::string name, bytes;
};
using Files = std::vector<File>;

std::string readFile(const fs::path& p) {
    std::string s;
    if (!files::ReadFile(p, s)) throw std::runtime_error("cannot read " + p.string());
    return s;
}

void writeFile(const fs::path& p, const std::string& bytes) {
    if (!files::WriteFileAtomic(p, bytes)) throw std::runtime_error("cannot write " + p.string());
}

// The demo project's seven scenario files, read once through the project's
// own unpacker.
struct Demo {
    std::vector<std::string> tdx;  // tdx[0] is "1.spt/1.tdx"
};

const Demo& demo(const fs::path& tdj) {
    static std::map<fs::path, Demo> cache;
    auto it = cache.find(tdj);
    if (it != cache.end()) return it->second;
    std::string tmpl = (fs::temp_directory_path() / "tessed-demo-XXXXXX").string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
    const fs::path dir = fs::path(tmpl) / "d";
    Demo d;
    auto r = archive::UnpackProject(tdj, dir);
    if (r.ok()) {
        for (int n = 1; n <= 7; ++n) {
            std::string s = std::to_string(n);
            d.tdx.push_back(readFile(dir / (s + ".spt") / (s + ".tdx")));
        }
    }
    std::error_code ec;
    fs::remove_all(tmpl, ec);
    if (!r.ok()) throw std::runtime_error("cannot unpack the demo project: " + r.detail);
    return cache.emplace(tdj, std::move(d)).first->second;
}

ZipEntry entry(const std::string& name, const std::string& bytes,
               const std::string& password = {}) {
    ZipEntry e;
    e.name = name;
    e.content = bytes;
    e.password = password;
    return e;
}

std::string innerZip(const Files& files) {
    std::vector<ZipEntry> entries;
    for (const File& f : files) entries.push_back(entry(f.name, f.bytes));
    return ZipBytes(entries);
}

std::string hex(const std::string& text) { return files::TextToHex(text); }

// A settings file as this version writes it, listing `entries`.
std::string settingsText(const std::vector<std::string>& entries,
                         const std::string& nome = hex("Hostile house"),
                         const std::string& descrizione = hex("A project made to be refused"),
                         const std::string& autore = hex("Tester")) {
    std::string s =
        "[generale]\r\nkeyfile=Tessaro\r\nAPP_MAJOR=4\r\nAPP_MINOR=0\r\nAPP_REVISION=11\r\n";
    s += "nome=" + nome + "\r\ndescrizione=" + descrizione + "\r\nautore=" + autore +
         "\r\ntastopanico=*15*01*99##\r\n[file]\r\n";
    for (size_t i = 0; i < entries.size(); ++i)
        s += "file" + std::to_string(i + 1) + "=" + entries[i] + "\r\n";
    return s;
}

std::vector<std::string> demoEntries() {
    std::vector<std::string> v;
    for (int n = 1; n <= 7; ++n)
        v.push_back(std::to_string(n) + ".spt\\" + std::to_string(n) + ".tdx");
    return v;
}

const char* kInfo =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<script>\n  <creator_sw>\n    "
    "<name>Tessed40</name>\n    <ver_sw>4.0.11</ver_sw>\n  </creator_sw>\n  "
    "<panic>*15*01*99##</panic>\n</script>\n";

// A project's outer entries: the settings file, one inner zip per folder, the
// information file, all encrypted with the project password.
struct Project {
    std::string stem;  // the project file's base name: the settings file's name
    std::string settings;
    std::vector<std::pair<std::string, Files>> folders;  // "3.spt" and its files

    std::vector<ZipEntry> entries(const std::string& password = kPassword) const {
        std::vector<ZipEntry> e;
        e.push_back(entry(stem + ".prj", settings, password));
        for (const auto& [folder, files] : folders)
            e.push_back(entry(folder + ".zip", innerZip(files), password));
        e.push_back(entry("info.xml", kInfo, password));
        return e;
    }
};

Project demoProject(const Demo& d, const std::string& stem) {
    Project p;
    p.stem = stem;
    p.settings = settingsText(demoEntries());
    for (int n = 1; n <= 7; ++n) {
        std::string s = std::to_string(n);
        p.folders.push_back({s + ".spt", {{s + ".tdx", d.tdx[size_t(n - 1)]}}});
    }
    return p;
}

// A scenario file of this version with the given description and body.
std::string scenarioFile(const std::string& description, const std::string& name,
                         const std::string& project = "<project/>") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<key>Tessaro</key>\n"
           "<app_MAJOR>4</app_MAJOR>\n<app_Minor>0</app_Minor>\n<app_Revision>11</app_Revision>\n"
           "<descrizione>" +
           description + "</descrizione>\n<scen_name>" + name + "</scen_name>\n" + project +
           "\n</root>\n";
}

const char* kRowsetOpen =
    "<project>\n<TMP_TRIGGERrecordset><xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\n"
    "\txmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\n"
    "\txmlns:rs='urn:schemas-microsoft-com:rowset'\n\txmlns:z='#RowsetSchema'>\n"
    "<s:Schema id='RowsetSchema'>\n\t<s:ElementType name='row' content='eltOnly'>\n";

// Rowsets far beyond any real file: the reader must stay linear in them.
std::string hugeColumns(int columns) {
    std::string s = kRowsetOpen;
    for (int i = 1; i <= columns; ++i)
        s += "\t\t<s:AttributeType name='C" + std::to_string(i) + "' rs:number='" +
             std::to_string(i) + "'><s:datatype dt:type='int'/></s:AttributeType>\n";
    s += "\t</s:ElementType>\n</s:Schema>\n<rs:data>\n\t<z:row C1='1'/>\n</rs:data>\n</xml>"
         "</TMP_TRIGGERrecordset>\n</project>";
    return scenarioFile("Wide", "Wide", s);
}

std::string manyNamespaces(int rows) {
    std::string s = kRowsetOpen;
    s += "\t\t<s:AttributeType name='ID' rs:number='1'><s:datatype dt:type='int'/>"
         "</s:AttributeType>\n\t</s:ElementType>\n</s:Schema>\n<rs:data>\n";
    for (int i = 0; i < rows; ++i)
        s += "\t<z:row xmlns:n" + std::to_string(i) + "='urn:x" + std::to_string(i) + "' ID='" +
             std::to_string(i) + "'/>\n";
    s += "</rs:data>\n</xml></TMP_TRIGGERrecordset>\n</project>";
    return scenarioFile("Namespaces", "Namespaces", s);
}

std::string deepNesting(int depth) {
    std::string s = "<project>";
    s.reserve(size_t(depth) * 8 + 32);
    for (int i = 0; i < depth; ++i) s += "<a>";
    for (int i = 0; i < depth; ++i) s += "</a>";
    s += "</project>";
    return scenarioFile("Deep", "Deep", s);
}

// A settings file padded with junk keys up to `bytes`.
std::string paddedSettings(size_t bytes) {
    std::string s = settingsText(demoEntries());
    std::string pad = "[junk]\r\n";
    for (size_t i = 0; s.size() + pad.size() < bytes; ++i)
        pad += "k" + std::to_string(i) + "=" + std::string(40, 'x') + "\r\n";
    return s + pad;
}

using Recipe = std::function<void(const Demo&, const Sources&, const fs::path& out)>;

void writeProject(const fs::path& out, const std::vector<ZipEntry>& entries) {
    if (!WriteZip(out, entries)) throw std::runtime_error("cannot write " + out.string());
}

// Replaces the outer entry `name` of a demo project.
std::vector<ZipEntry> withExtra(const Project& p, std::vector<ZipEntry> extra) {
    std::vector<ZipEntry> e = p.entries();
    for (auto& x : extra) {
        if (x.password.empty()) x.password = kPassword;
        e.push_back(std::move(x));
    }
    return e;
}

std::string stem(const fs::path& out) { return out.stem().string(); }

const std::map<std::string, Recipe>& recipes() {
    static const std::map<std::string, Recipe> table = [] {
        std::map<std::string, Recipe> t;
        // The control: the demo project as this writer packs it opens and saves.
        t["good.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, demoProject(d, stem(out)).entries());
        };
        t["unencrypted.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, demoProject(d, stem(out)).entries(""));
        };
        t["wrong-password.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, demoProject(d, stem(out)).entries("KORVASNO"));
        };
        t["mixed-password.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            e[3].password = "OTHER";
            writeProject(out, e);
        };
        t["inner-encrypted.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            e[2].content = ZipBytes({entry("2.tdx", d.tdx[1], "SECRET")});
            writeProject(out, e);
        };
        // Entries that would leave their folder.
        auto escape = [&t](const std::string& file, const std::string& name) {
            t[file] = [name](const Demo& d, const Sources&, const fs::path& out) {
                writeProject(out, withExtra(demoProject(d, stem(out)), {entry(name, "escaped")}));
            };
        };
        escape("escape-dotdot.tdj", "../escape.txt");
        escape("escape-absolute.tdj", "/tessed-hostile-escape.txt");
        escape("escape-backslash.tdj", "..\\..\\escape.txt");
        escape("escape-drive.tdj", "C:escape.txt");
        escape("escape-dot-segments.tdj", "1.spt/./../../escape.txt");
        escape("escape-nul.tdj", std::string("info.xml\0/../../escape.txt", 26));
        t["escape-inner.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            p.folders[0].second.push_back({"../../escape.txt", "escaped"});
            writeProject(out, p.entries());
        };
        t["escape-inner-name.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, withExtra(demoProject(d, stem(out)),
                                        {entry("...zip", innerZip({{"escape.txt", "escaped"}}))}));
        };
        // Links, devices and pipes.
        auto special = [&t](const std::string& file, uint32_t mode, const std::string& name,
                            const std::string& target, bool inner) {
            t[file] = [=](const Demo& d, const Sources&, const fs::path& out) {
                Project p = demoProject(d, stem(out));
                ZipEntry e = entry(name, target);
                e.mode = mode;
                e.deflate = false;
                if (inner) {
                    auto entries = p.entries();
                    std::vector<ZipEntry> files{entry("1.tdx", d.tdx[0])};
                    files.push_back(e);
                    entries[1].content = ZipBytes(files);
                    writeProject(out, entries);
                } else {
                    writeProject(out, withExtra(p, {e}));
                }
            };
        };
        special("link-outer.tdj", 0120777, "evil.prj", "/etc/passwd", false);
        special("link-inner.tdj", 0120777, "notes.txt", "/etc/hostname", true);
        special("link-folder.tdj", 0120777, "2.spt", "/tmp", false);
        special("device.tdj", 0020644, "null", "", false);
        special("fifo.tdj", 0010644, "pipe", "", false);
        t["link-then-file.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            ZipEntry link = entry("up", "/tmp");
            link.mode = 0120777;
            link.deflate = false;
            writeProject(out, withExtra(demoProject(d, stem(out)),
                                        {link, entry("up/tessed-hostile-through-link.txt", "x")}));
        };
        // Damaged and odd archives.
        t["truncated-half.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            std::string b = ZipBytes(demoProject(d, stem(out)).entries());
            writeFile(out, b.substr(0, b.size() / 2));
        };
        t["truncated-end.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            std::string b = ZipBytes(demoProject(d, stem(out)).entries());
            writeFile(out, b.substr(0, b.size() - 7));
        };
        t["empty-file.tdj"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeFile(out, "");
        };
        t["not-zip.tdj"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeFile(out, "[generale]\r\nkeyfile=Tessaro\r\nThis is not an archive.\r\n");
        };
        t["empty-zip.tdj"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeProject(out, {});
        };
        t["no-settings.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            e.erase(e.begin());
            writeProject(out, e);
        };
        t["settings-only.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            writeProject(out, {e.front()});
        };
        t["bad-crc.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            std::string b = ZipBytes(e);
            // A byte in the middle of the first inner zip's data.
            size_t at = b.find("1.spt.zip") + 9 + 9 + 40;
            b[at] = char(b[at] ^ 0x55);
            writeFile(out, b);
        };
        t["inner-not-zip.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            e[3].content = "PK\x03\x04 but nothing after it";
            writeProject(out, e);
        };
        t["inner-truncated.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            auto e = demoProject(d, stem(out)).entries();
            e[3].content = e[3].content.substr(0, e[3].content.size() - 30);
            writeProject(out, e);
        };
        t["clash.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, withExtra(demoProject(d, stem(out)), {entry("1.spt", "a file")}));
        };
        t["duplicate-settings.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            writeProject(out,
                         withExtra(p, {entry(p.stem + ".prj", settingsText({"1.spt\\1.tdx"}))}));
        };
        t["duplicate-inner.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, withExtra(demoProject(d, stem(out)),
                                        {entry("1.spt.zip", innerZip({{"other.txt", "x"}}))}));
        };
        // Letter case as archives made on Windows have it.
        t["case-inner-zips.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            for (auto& [folder, files] : p.folders) folder = folder.substr(0, 2) + "SPT";
            writeProject(out, p.entries());
        };
        t["case-windows.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            for (auto& [folder, files] : p.folders) {
                folder = folder.substr(0, 2) + "SPT";
                for (auto& f : files) f.name = f.name.substr(0, 2) + "TDX";
            }
            writeProject(out, p.entries());
        };
        t["case-settings.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            std::vector<std::string> v;
            for (int n = 1; n <= 7; ++n)
                v.push_back(std::to_string(n) + ".SPT\\" + std::to_string(n) + ".TDX");
            p.settings = settingsText(v);
            writeProject(out, p.entries());
        };
        t["codepage-names.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            // "Caffè.tdx" in Windows-1252, no UTF-8 flag, in the archive and
            // in the settings file alike.
            Project p = demoProject(d, stem(out));
            p.folders[0].second[0].name = "Caff\xE8.tdx";
            auto v = demoEntries();
            v[0] = "1.spt\\Caff\xE8.tdx";
            p.settings = settingsText(v);
            writeProject(out, p.entries());
        };
        t["shared-file-name.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            p.folders.resize(2);
            p.folders[0].second[0].name = "scene.tdx";
            p.folders[1].second[0].name = "scene.tdx";
            p.settings = settingsText({"1.spt\\scene.tdx", "2.spt\\scene.tdx"});
            writeProject(out, p.entries());
        };
        t["second-settings.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            // The own settings file is missing; the first "*.prj" by name lists one scenario,
            // a later one all seven.
            Project p = demoProject(d, "zz-all");
            writeProject(out, withExtra(p, {entry("aa-one.prj", settingsText({"1.spt\\1.tdx"}))}));
        };
        t["scenarios-301.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p;
            p.stem = stem(out);
            std::vector<std::string> v;
            for (int n = 1; n <= 301; ++n) {
                std::string s = std::to_string(n);
                p.folders.push_back({s + ".spt", {{s + ".tdx", d.tdx[size_t(n % 7)]}}});
                v.push_back(s + ".spt\\" + s + ".tdx");
            }
            p.settings = settingsText(v);
            writeProject(out, p.entries());
        };
        t["many-entries.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            std::vector<ZipEntry> extra;
            for (int i = 0; i < 60000; ++i) {
                ZipEntry e = entry("j" + std::to_string(i), "");
                e.deflate = false;
                extra.push_back(std::move(e));
            }
            writeProject(out, withExtra(demoProject(d, stem(out)), std::move(extra)));
        };
        t["many-inner-entries.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            for (int i = 0; i < 60000; ++i)
                p.folders[0].second.push_back({"j" + std::to_string(i), ""});
            writeProject(out, p.entries());
        };
        t["long-path.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            std::string path;
            while (path.size() < 6000) path += "deeper/";
            writeProject(out, withExtra(demoProject(d, stem(out)), {entry(path + "x.txt", "x")}));
        };
        t["long-name.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out, withExtra(demoProject(d, stem(out)),
                                        {entry(std::string(300, 'n') + ".txt", "x")}));
        };
        t["invalid-utf8-name.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            writeProject(out,
                         withExtra(demoProject(d, stem(out)), {entry("\xFF\xFE\xC3(.txt", "x")}));
        };
        t["nested-junk.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            std::string nested = innerZip({{"zeros.bin", std::string(1 << 20, '\0')}});
            for (int i = 0; i < 3; ++i) nested = innerZip({{"nested.zip", nested}});
            p.folders[0].second.push_back({"nested.zip", nested});
            p.folders[1].second.push_back({"sub/deeper/", ""});
            p.folders[1].second.push_back({"sub/deeper/notes.txt", "notes"});
            writeProject(out, p.entries());
        };
        // Zip bombs: deflated zeros cost a thousandth of what they unpack to.
        t["bomb-entry.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            auto e = p.entries();
            ZipEntry bomb;
            bomb.name = "junk.bin";
            bomb.precompressed = true;
            bomb.deflated = DeflatedZeros(4096);
            e[1].content = ZipBytes({entry("1.tdx", d.tdx[0]), bomb});
            writeProject(out, e);
        };
        t["bomb-total.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            auto e = p.entries();
            ZipEntry part;
            part.precompressed = true;
            part.deflated = DeflatedZeros(40);
            for (int n = 1; n <= 7; ++n) {
                std::vector<ZipEntry> files{
                    entry(std::to_string(n) + ".tdx", d.tdx[size_t(n - 1)])};
                for (int i = 0; i < 8; ++i) {
                    part.name = "junk" + std::to_string(i) + ".bin";
                    files.push_back(part);
                }
                e[size_t(n)].content = ZipBytes(files);
            }
            writeProject(out, e);
        };
        t["bomb-lying-size.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            auto e = p.entries();
            ZipEntry liar;
            liar.name = "small.bin";
            liar.precompressed = true;
            liar.deflated = DeflatedZeros(200);
            liar.lieAboutSize = true;
            liar.claimedSize = 100;
            e[1].content = ZipBytes({entry("1.tdx", d.tdx[0]), liar});
            writeProject(out, e);
        };
        t["bomb-scenario.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            p.folders[0].second[0].bytes = scenarioFile(std::string(40 << 20, 'x'), "Huge");
            writeProject(out, p.entries());
        };
        t["bomb-settings.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            p.settings = paddedSettings(16800000);
            writeProject(out, p.entries());
        };
        // Archives with DOS times only, written 14 hours east of the reader:
        // every file unpacks with a time in the future.
        t["dos-times.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            const int64_t now = time(nullptr);
            auto dosOnly = [now](std::vector<ZipEntry> v) {
                for (auto& e : v) {
                    SetTime(e, now, 14 * 3600);
                    e.unixTime = false;
                }
                return v;
            };
            std::vector<ZipEntry> e;
            e.push_back(entry(p.stem + ".prj", p.settings, kPassword));
            for (const auto& [folder, files] : p.folders) {
                std::vector<ZipEntry> inner;
                for (const auto& f : files) inner.push_back(entry(f.name, f.bytes));
                e.push_back(entry(folder + ".zip", ZipBytes(dosOnly(inner)), kPassword));
            }
            e.push_back(entry("info.xml", kInfo, kPassword));
            writeProject(out, dosOnly(e));
        };
        t["control-chars.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            std::string& tdx = p.folders[0].second[0].bytes;
            const std::string open = "<descrizione>", close = "</descrizione>";
            size_t a = tdx.find(open) + open.size(), b = tdx.find(close);
            tdx.replace(a, b - a, "Bell\x07 escape\x1B form feed\x0C end");
            size_t n = tdx.find("<scen_name>") + 11, m = tdx.find("</scen_name>");
            tdx.replace(n, m - n, "Ctl\x01name");
            writeProject(out, p.entries());
        };
        // Inputs far larger than any real file.
        t["huge-columns.tdx"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeFile(out, hugeColumns(150000));
        };
        t["many-namespaces.tdx"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeFile(out, manyNamespaces(60000));
        };
        t["deep-nesting.tdx"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeFile(out, deepNesting(200000));
        };
        t["wide-scenario.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            p.folders[0].second[0].bytes = hugeColumns(150000);
            writeProject(out, p.entries());
        };
        t["namespaces-scenario.tdj"] = [](const Demo& d, const Sources&, const fs::path& out) {
            Project p = demoProject(d, stem(out));
            p.folders[0].second[0].bytes = manyNamespaces(60000);
            writeProject(out, p.entries());
        };
        t["huge-scenario.tdx"] = [](const Demo&, const Sources&, const fs::path& out) {
            writeFile(out, scenarioFile(std::string(40 << 20, 'x'), "Huge"));
        };
        // Configurator device files far larger, deeper or wider than any real one.
        t["device-deep-nesting.xml"] = [](const Demo&, const Sources&, const fs::path& out) {
            std::string s = "<DRAGGEDELEMENTS><DEVICE><OBJECT><KEYOBJECT>1</KEYOBJECT>";
            for (int i = 0; i < 100000; ++i) s += "<a>";
            for (int i = 0; i < 100000; ++i) s += "</a>";
            writeFile(out, s + "</OBJECT></DEVICE></DRAGGEDELEMENTS>");
        };
        t["device-huge.xml"] = [](const Demo&, const Sources&, const fs::path& out) {
            std::string s =
                "<DRAGGEDELEMENTS><DEVICE><OBJECT><KEYOBJECT>1</KEYOBJECT>"
                "<USERDESCRIPTION>";
            s += std::string(40 << 20, 'x');
            writeFile(out, s + "</USERDESCRIPTION></OBJECT></DEVICE></DRAGGEDELEMENTS>");
        };
        t["device-wide.xml"] = [](const Demo&, const Sources&, const fs::path& out) {
            std::string s = "<DRAGGEDELEMENTS><DEVICE><OBJECT><KEYOBJECT>1</KEYOBJECT><CONFTABLE>";
            for (int i = 0; s.size() < 1000000; ++i)
                s += "<CONF><KEYCONF>K" + std::to_string(i) + "</KEYCONF><KEYVALUE>" +
                     std::to_string(i) + "</KEYVALUE></CONF>";
            writeFile(out, s + "</CONFTABLE></OBJECT></DEVICE></DRAGGEDELEMENTS>");
        };
        t["huge.ini"] = [](const Demo&, const Sources&, const fs::path& out) {
            std::string s = "[GENERALE]\r\nLINGUA=ITA\r\n[FileCfg]\r\n";
            for (int i = 0; s.size() < 30000000; ++i)
                s += "Key" + std::to_string(i) + "=" + std::string(60, 'v') + "\r\n";
            writeFile(out, s);
        };
        return t;
    }();
    return table;
}

std::vector<std::string> committed(const fs::path& folder, const std::string& ext) {
    std::vector<std::string> v;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().extension() == ext) v.push_back(e.path().stem().string());
    std::sort(v.begin(), v.end());
    return v;
}

}  // namespace

std::vector<std::string> GeneratedInputs(const Sources& src) {
    std::vector<std::string> v;
    for (const auto& [name, recipe] : recipes()) v.push_back(name);
    for (const auto& s : committed(src.corpus / "settings", ".prj"))
        v.push_back("prj-" + s + ".tdj");
    for (const auto& s : committed(src.corpus / "scenario", ".tdx"))
        v.push_back("tdx-" + s + ".tdj");
    std::sort(v.begin(), v.end());
    return v;
}

bool MakeInput(const std::string& name, const Sources& src, const fs::path& folder,
               std::string& error) {
    try {
        const Demo& d = demo(src.demo);
        const fs::path out = folder / name;
        fs::create_directories(folder);
        auto it = recipes().find(name);
        if (it != recipes().end()) {
            it->second(d, src, out);
            return true;
        }
        auto wrapped = [&](const char* prefix, const char* sub, const char* ext) -> fs::path {
            if (name.rfind(prefix, 0) != 0 || !name.ends_with(".tdj")) return {};
            std::string s = name.substr(std::string(prefix).size());
            return src.corpus / sub / (s.substr(0, s.size() - 4) + ext);
        };
        if (fs::path f = wrapped("prj-", "settings", ".prj"); !f.empty() && fs::exists(f)) {
            Project p = demoProject(d, stem(out));
            p.settings = readFile(f);
            writeProject(out, p.entries());
            return true;
        }
        if (fs::path f = wrapped("tdx-", "scenario", ".tdx"); !f.empty() && fs::exists(f)) {
            Project p = demoProject(d, stem(out));
            p.folders[0].second[0].bytes = readFile(f);
            writeProject(out, p.entries());
            return true;
        }
        error = "no generated input named " + name;
        return false;
    } catch (const std::exception& e) {
        error = name + ": " + e.what();
        return false;
    }
}

}  // namespace tessed::hostile
