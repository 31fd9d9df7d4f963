#include "model/scenario_file.h"

#include <algorithm>
#include <cstdio>
#include <pugixml.hpp>
#include <tuple>

#include "env/files.h"
#include "env/strings.h"
#include "env/texts.h"
#include "env/version.h"
#include "model/schema.h"

namespace tessed::scenario {

namespace {

// The text of an element: its character data, CDATA included.
std::string innerText(const pugi::xml_node& n) {
    std::string s;
    for (auto c : n.children())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) s += c.value();
    return s;
}

// A number as a numeric conversion reads it: leading number, else 0.
int64_t number(const pugi::xml_node& n) { return db::Value(innerText(n)).toInt(); }

std::string unreadableText(const std::string& path) {
    std::string t = texts::GetText(kTextUnreadable);
    if (!path.empty()) t += ": " + path;
    return t;
}

CommandFields readCommand(const pugi::xml_node& n) {
    CommandFields f;
    for (auto c : n.children()) {
        if (c.type() != pugi::node_element) continue;
        std::string name = str::ToUpper(c.name());
        for (size_t i = 0; i < kCommandFields.size(); ++i)
            if (name == kCommandFields[i]) f.values[i] = number(c);
    }
    return f;
}

}  // namespace

CommandFields CommandFields::From(const CommandRecord& r) {
    CommandFields f;
    f.values = {r.Conf_A,   r.Conf_PL, r.Interfaccia,  r.Livello,
                r.Pulsante, r.TypeCMD, r.PULSANTE_CEN, r.Indirizzo_CEN};
    return f;
}

void CommandFields::ApplyTo(CommandRecord& r) const {
    auto v = [&](size_t i) { return static_cast<int32_t>(values[i].value_or(0)); };
    r.Conf_A = v(0);
    r.Conf_PL = v(1);
    r.Interfaccia = v(2);
    r.Livello = v(3);
    r.Pulsante = v(4);
    r.TypeCMD = v(5);
    r.PULSANTE_CEN = v(6);
    r.Indirizzo_CEN = v(7);
}

const rowset::TableRows* ScenarioFile::table(std::string_view name) const {
    for (const auto& t : tables)
        if (db::iequals(t.first, name)) return &t.second;
    return nullptr;
}

bool ScenarioFile::KeyAccepted() const { return key && db::iequals(*key, kSignature); }

namespace {

std::string tooLarge(uintmax_t size) {
    return "the file holds " + std::to_string(size) + " bytes, more than the " +
           std::to_string(kMaxFileSize) + " of any scenario file";
}

}  // namespace

ScenarioFile ParseScenarioFile(std::string_view bytes, const std::string& path) {
    if (bytes.size() > kMaxFileSize)
        throw ScenarioFileError(unreadableText(path), tooLarge(bytes.size()));
    pugi::xml_document doc;
    auto result =
        doc.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!result)
        throw ScenarioFileError(unreadableText(path), std::string("not XML (") +
                                                          result.description() + " at byte " +
                                                          std::to_string(result.offset) + ")");
    // The parser takes a sequence of elements; a document has exactly one.
    pugi::xml_node root;
    int elements = 0;
    for (auto n : doc.children())
        if (n.type() == pugi::node_element) {
            if (++elements > 1)
                throw ScenarioFileError(unreadableText(path), "not XML (a second root element \"" +
                                                                  std::string(n.name()) + "\")");
            if (str::ToUpper(n.name()) == "ROOT") root = n;
        }
    if (!root)
        throw ScenarioFileError(unreadableText(path), "the document has no root element \"root\"");

    ScenarioFile f;
    for (auto n : root.children()) {
        if (n.type() != pugi::node_element) continue;
        std::string name = str::ToUpper(n.name());
        if (name == "KEY") {
            f.key = innerText(n);
        } else if (name == "DESCRIZIONE") {
            f.descrizione = innerText(n);
        } else if (name == "SCEN_NAME") {
            f.scenName = innerText(n);
        } else if (name == "APP_MAJOR") {
            f.appMajor = number(n);
        } else if (name == "APP_MINOR") {
            f.appMinor = number(n);
        } else if (name == "APP_REVISION") {
            f.appRevision = number(n);
        } else if (name == "ABILITA") {
            f.abilita = readCommand(n);
        } else if (name == "DISABILITA") {
            f.disabilita = readCommand(n);
        } else if (name == "PROJECT") {
            for (auto t : n.children()) {
                if (t.type() != pugi::node_element) continue;
                std::string tname = str::ToUpper(t.name());
                std::string_view table;
                for (auto candidate : schema::kWorkingTables)
                    if (tname == str::ToUpper(candidate) + "RECORDSET") table = candidate;
                if (table.empty()) continue;  // not one of ours: ignored
                if (f.table(table))
                    throw ScenarioFileError(unreadableText(path),
                                            "the table " + std::string(table) + " is given twice");
                pugi::xml_node xml;
                for (auto c : t.children())
                    if (c.type() == pugi::node_element) {
                        std::string_view cname = c.name();
                        auto colon = cname.find(':');
                        if (colon != std::string_view::npos) cname = cname.substr(colon + 1);
                        if (str::ToUpper(cname) == "XML") {
                            xml = c;
                            break;
                        }
                    }
                try {
                    if (!xml) throw rowset::RowsetError("the rowset is missing");
                    auto rs = rowset::ReadRowset(xml);
                    f.tables.emplace_back(std::string(table), rowset::ToTableRows(rs, table));
                } catch (const rowset::RowsetError& e) {
                    throw ScenarioFileError(unreadableText(path),
                                            std::string(table) + ": " + e.what());
                }
            }
        }
    }
    return f;
}

ScenarioFile ReadScenarioFile(const std::filesystem::path& file) {
    std::string bytes;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        throw ScenarioFileError(unreadableText(file.string()), "the file does not exist");
    if (!std::filesystem::is_regular_file(file, ec))
        throw ScenarioFileError(unreadableText(file.string()), "the file cannot be read");
    // Refused before a byte of it is read.
    if (auto size = std::filesystem::file_size(file, ec); !ec && size > kMaxFileSize)
        throw ScenarioFileError(unreadableText(file.string()), tooLarge(size));
    if (!files::ReadFile(file, bytes))
        throw ScenarioFileError(unreadableText(file.string()), "the file cannot be read");
    return ParseScenarioFile(bytes, file.string());
}

namespace {

void element(std::string& out, std::string_view name, std::string_view text) {
    rowset::AppendTextElement(out, name, text);
}

void commandElement(std::string& out, std::string_view name, const CommandFields& f) {
    out += "<";
    out += name;
    out += ">";
    for (size_t i = 0; i < kCommandFields.size(); ++i) {
        out += "<";
        out += kCommandFields[i];
        out += ">" + std::to_string(f.values[i].value_or(0)) + "</";
        out += kCommandFields[i];
        out += ">";
    }
    out += "</";
    out += name;
    out += ">\n";
}

}  // namespace

std::string FormatScenarioFile(const ScenarioFile& f) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
    element(out, "key", f.key.value_or(std::string(kSignature)));
    element(out, "app_MAJOR", std::to_string(f.appMajor.value_or(kVersionMajor)));
    element(out, "app_Minor", std::to_string(f.appMinor.value_or(kVersionMinor)));
    element(out, "app_Revision", std::to_string(f.appRevision.value_or(kVersionRevision)));
    element(out, "descrizione", f.descrizione.value_or(""));
    element(out, "scen_name", f.scenName.value_or(""));
    commandElement(out, "ABILITA", f.abilita.value_or(CommandFields{}));
    commandElement(out, "DISABILITA", f.disabilita.value_or(CommandFields{}));
    bool any = false;
    std::string project;
    for (auto table : kFileTableOrder) {
        const auto* rows = f.table(table);
        if (!rows || rows->empty()) continue;
        any = true;
        project += "<" + std::string(table) + "recordset>";
        project += rowset::WriteRowset(table, *rows);
        project += "</" + std::string(table) + "recordset>\n";
    }
    out += any ? "<project>\n" + project + "</project>\n" : "<project/>\n";
    out += "</root>\n";
    return out;
}

bool CheckVersion(const ScenarioFile& f) {
    if (!f.appRevision) return false;
    int64_t major = f.appMajor.value_or(0), minor = f.appMinor.value_or(0),
            revision = *f.appRevision;
    auto mine =
        std::make_tuple<int64_t, int64_t, int64_t>(kVersionMajor, kVersionMinor, kVersionRevision);
    if (std::make_tuple(major, minor, revision) > mine) {
        auto v = [](int64_t a, int64_t b, int64_t c) {
            return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c);
        };
        throw ProjectError(texts::GetText(kTextNewerFile) + " (" + v(major, minor, revision) +
                           ") " + texts::GetText(kTextOwnVersion) + " (" +
                           v(kVersionMajor, kVersionMinor, kVersionRevision) + ")");
    }
    return true;
}

}  // namespace tessed::scenario
