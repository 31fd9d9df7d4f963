#include "configurator/device_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <pugixml.hpp>

#include "env/strings.h"
#include "env/texts.h"

namespace tessed::configurator {

namespace {

std::string upperName(const pugi::xml_node& n) { return str::ToUpper(n.name()); }

// The text of an element: its character data (CDATA included), without the
// blanks and line ends around it, in characters a document may hold.
std::string textOf(const pugi::xml_node& n) {
    std::string s;
    for (auto c : n.children())
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) s += c.value();
    return str::XmlChars(str::Trim(s));
}

int32_t number(const pugi::xml_node& n) {
    int64_t v = str::LenientInt(textOf(n));
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(v);
}

// Stops the reading with a failure the user is shown.
struct Failure {
    long text;
    std::string detail;
    std::string arg;
};

// The deepest nesting of elements and other nodes, counted without recursion;
// stops counting past `limit`.
int depthOf(const pugi::xml_document& doc, int limit) {
    int depth = 0, deepest = 0;
    pugi::xml_node n = doc.first_child();
    if (n) depth = 1;
    while (n) {
        deepest = std::max(deepest, depth);
        if (deepest > limit) return deepest;
        if (n.first_child()) {
            n = n.first_child();
            ++depth;
            continue;
        }
        while (n && !n.next_sibling()) {
            n = n.parent();
            --depth;
            if (n == doc) n = pugi::xml_node();
        }
        if (n) n = n.next_sibling();
    }
    return deepest;
}

// Adds a configuration value, refusing a name given twice.
void addValue(ConfValues& table, const std::string& name, const std::string& value) {
    if (name.empty()) return;
    if (table.Item(name))
        throw Failure{kTextDuplicateValue, "the configuration value " + name + " is given twice",
                      name};
    if (table.Count() >= kMaxConfValues)
        throw Failure{kTextNotADeviceFile,
                      "more than " + std::to_string(kMaxConfValues) + " configuration values",
                      {}};
    table.AddMember(name, std::make_shared<std::string>(value));
}

void readConfTable(const pugi::xml_node& confTable, ConfValues& table) {
    for (auto conf : confTable.children()) {
        if (conf.type() != pugi::node_element || upperName(conf) != "CONF") continue;
        std::string name;
        for (auto c : conf.children()) {
            if (c.type() != pugi::node_element) continue;
            const std::string n = upperName(c);
            if (n == "KEYCONF") {
                name = str::ToUpper(textOf(c));
            } else if (n == "KEYVALUE") {
                std::string v = textOf(c);
                if (!v.empty()) addValue(table, name, v);
            } else if (n == "KEYPAR") {
                std::string parName;
                for (auto p : c.children()) {
                    if (p.type() != pugi::node_element) continue;
                    const std::string pn = upperName(p);
                    if (pn == "PARCONF")
                        parName = str::ToUpper(textOf(p));
                    else if (pn == "PARVALUE")
                        addValue(table, parName, textOf(p));
                }
            }
        }
    }
}

void readObject(const pugi::xml_node& object, cObjOleDrag& d, bool& keyRead) {
    for (auto c : object.children()) {
        if (c.type() != pugi::node_element) continue;
        const std::string n = upperName(c);
        if (n == "KEYOBJECT") {
            d.ID_KO = number(c);
            keyRead = true;
        } else if (n == "USERDESCRIPTION") {
            d.USERDESCRIPTION = textOf(c);
        } else if (n == "CONFTABLE") {
            d.ConfTable = std::make_shared<ConfValues>();
            readConfTable(c, *d.ConfTable);
        } else if (n == "BUSLEVEL") {
            d.BUS_LEVEL = number(c);
        } else if (n == "SYSTEMTYPE") {
            d.KEY_SYSTEM = str::ToUpper(textOf(c));
        } else if (n == "I1") {
            d.I1 = number(c);
        } else if (n == "I2") {
            d.I2 = number(c);
        }
    }
}

GatewayRecord readGateway(const pugi::xml_node& gateway) {
    GatewayRecord g;
    for (auto device : gateway.children()) {
        if (device.type() != pugi::node_element || upperName(device) != "DEVICE") continue;
        for (auto object : device.children()) {
            if (object.type() != pugi::node_element || upperName(object) != "OBJECT") continue;
            for (auto c : object.children()) {
                if (c.type() != pugi::node_element) continue;
                const std::string n = upperName(c);
                if (n == "KEYOBJECT") g.keyObject = textOf(c);
                if (n != "CONFTABLE") continue;
                for (auto conf : c.children()) {
                    if (conf.type() != pugi::node_element || upperName(conf) != "CONF") continue;
                    std::string name;
                    for (auto kv : conf.children()) {
                        if (kv.type() != pugi::node_element) continue;
                        const std::string kn = upperName(kv);
                        if (kn == "KEYCONF") {
                            name = str::ToUpper(textOf(kv));
                            continue;
                        }
                        if (kn != "KEYVALUE") continue;
                        std::string* field = name == "USERDESCRIPTION"    ? &g.USERDESCRIPTION
                                             : name == "LAN_IP_ADDRESS"   ? &g.LAN_IP_ADDRESS
                                             : name == "SYSADDRESS"       ? &g.SYSADDRESS
                                             : name == "LAN_IP_ADDR_TYPE" ? &g.LAN_IP_ADDR_TYPE
                                                                          : nullptr;
                        if (!field) continue;
                        *field = textOf(kv);
                        ++g.values;
                    }
                }
            }
        }
    }
    return g;
}

}  // namespace

bool GatewayRecord::Valid() const { return str::LenientInt(keyObject) == 150 && values > 0; }

int64_t GatewayRecord::Address() const { return str::LenientInt(SYSADDRESS); }

std::optional<std::string> ParseDropText(std::string_view text) {
    const size_t comma = text.find(',');
    if (comma == std::string_view::npos || text.find(',', comma + 1) != std::string_view::npos)
        return std::nullopt;
    std::string_view path = text.substr(comma + 1);
    // A text taken from the clipboard of another system may end in NULs.
    while (!path.empty() && path.back() == '\0') path.remove_suffix(1);
    path = str::Trim(path);
    if (path.empty()) return std::nullopt;
    return std::string(path);
}

bool IsLocalAbsolutePath(std::string_view path) {
    return path.size() >= 2 && path[0] == '/' && path[1] != '/' &&
           path.find('\0') == std::string_view::npos;
}

bool ReadBoundedRegularFile(const std::string& path, std::uintmax_t maxBytes, std::string& out,
                            std::string& why) {
    out.clear();
    auto regular = [&](const struct stat& st) {
        if (!S_ISREG(st.st_mode)) {
            why = "not a regular file";
            return false;
        }
        if (static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
            why = "the file holds " + std::to_string(st.st_size) + " bytes, more than the " +
                  std::to_string(maxBytes) + " of any device file";
            return false;
        }
        return true;
    };
    struct stat st {};
    // Refused before it is opened: opening a device may already act on it.
    if (::stat(path.c_str(), &st) != 0) {
        why = errno == ENOENT ? "the file does not exist" : std::strerror(errno);
        return false;
    }
    if (!regular(st)) return false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    // What was opened is what counts: the name may have been replaced since.
    bool ok = ::fstat(fd, &st) == 0 && regular(st);
    if (ok) {
        char buf[16384];
        for (;;) {
            ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                why = std::strerror(errno);
                ok = false;
                break;
            }
            if (n == 0) break;
            out.append(buf, static_cast<size_t>(n));
            if (out.size() > maxBytes) {
                why = "the file grew beyond " + std::to_string(maxBytes) + " bytes while read";
                ok = false;
                break;
            }
        }
    }
    ::close(fd);
    if (!ok) out.clear();
    return ok;
}

DeviceFile ParseDeviceFile(std::string_view bytes, int64_t hostGateway) {
    DeviceFile f;
    auto refuse = [&](long text, std::string detail, const std::string& arg = {}) {
        f.status = DeviceFile::Status::kRefused;
        f.errorText =
            arg.empty() ? texts::GetText(text) : texts::Format(texts::GetText(text), {arg});
        f.detail = std::move(detail);
        f.device = std::make_shared<cObjOleDrag>();
        f.gateways.clear();
        return f;
    };
    if (bytes.size() > kMaxDeviceFileSize)
        return refuse(kTextNotADeviceFile,
                      "the file holds " + std::to_string(bytes.size()) + " bytes, more than the " +
                          std::to_string(kMaxDeviceFileSize) + " of any device file");
    pugi::xml_document doc;
    auto parsed = doc.load_buffer(bytes.data(), bytes.size(),
                                  pugi::parse_default | pugi::parse_doctype, pugi::encoding_auto);
    if (!parsed)
        return refuse(kTextNotADeviceFile, std::string("not XML (") + parsed.description() +
                                               " at byte " + std::to_string(parsed.offset) + ")");
    for (auto n : doc.children())
        if (n.type() == pugi::node_doctype)
            return refuse(kTextNotADeviceFile,
                          "the file declares a document type; device files have none");
    if (depthOf(doc, kMaxDepth) > kMaxDepth)
        return refuse(kTextNotADeviceFile,
                      "elements nested more than " + std::to_string(kMaxDepth) + " deep");

    bool keyRead = false;
    try {
        for (auto root : doc.children()) {
            if (root.type() != pugi::node_element || upperName(root) != "DRAGGEDELEMENTS") continue;
            for (auto c : root.children()) {
                if (c.type() != pugi::node_element) continue;
                const std::string n = upperName(c);
                if (n == "GATEWAY") {
                    GatewayRecord g = readGateway(c);
                    f.gateways.push_back(g);
                    if (!g.Valid())
                        throw Failure{kTextGatewayUnreadable,
                                      "the gateway has no key object 150 or none of its values",
                                      {}};
                    if (g.Address() != hostGateway)
                        throw Failure{kTextOtherGateway,
                                      "the gateway's address " + std::to_string(g.Address()) +
                                          " is not the host's " + std::to_string(hostGateway),
                                      {}};
                } else if (n == "DEVICE") {
                    for (auto o : c.children())
                        if (o.type() == pugi::node_element && upperName(o) == "OBJECT")
                            readObject(o, *f.device, keyRead);
                }
            }
        }
    } catch (const Failure& e) {
        return refuse(e.text, e.detail, e.arg);
    }
    if (!keyRead) return refuse(kTextNoKeyObject, "the file names no key object (KEYOBJECT)");
    f.status = DeviceFile::Status::kRead;
    return f;
}

DeviceFile ReadDeviceFile(const std::string& path, int64_t hostGateway) {
    DeviceFile f;
    if (!IsLocalAbsolutePath(path)) {
        f.detail = "not an absolute local path";
        return f;
    }
    std::string bytes;
    if (!ReadBoundedRegularFile(path, kMaxDeviceFileSize, bytes, f.detail)) return f;
    return ParseDeviceFile(bytes, hostGateway);
}

}  // namespace tessed::configurator
