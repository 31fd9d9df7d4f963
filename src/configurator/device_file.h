#pragma once
// Device files: the XML file a configurator writes for a device dragged from
// it, and the drop text that names the file.
//
// Contract:
// - The drop text holds exactly two items separated by ","; the second is
//   the full path of the device file. Any other text is not a drop.
// - Only a regular file of at most kMaxDeviceFileSize bytes, named by an
//   absolute local path, is read; devices, pipes, sockets, folders, network
//   paths ("//host/share", "\\host\share", "smb://...") and larger files are
//   never opened for reading or never read, and a drop naming one is ignored
//   like a malformed drop. The file is opened without blocking and checked
//   on the open descriptor, so it cannot be swapped for a pipe in between.
// - A device file is XML without a document type (no DTD, so no entities of
//   any kind), nested at most kMaxDepth elements deep. Element names compare
//   without letter case; elements not listed in docs/configurator.md are
//   ignored. A file that fails these rules is reported with text 1930 (its
//   parser's own description goes to `detail`, for the command line only).
// - A GATEWAY is checked as it is met: it must carry key object 150 and at
//   least one of its four values (else text 1117), and the number at the start
//   of its SYSADDRESS must be the host's gateway address (else text 1116).
//   Any failure ends the reading; nothing read before it is kept.
// - Configuration names are upper-cased; an empty KEYVALUE, and a PARVALUE or
//   KEYVALUE without a name, add nothing; a name given twice in one table is a
//   failure (text 1932), never a silent choice between the two values. A
//   table of more than kMaxConfValues values is refused (text 1930).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/project.h"

namespace tessed::configurator {

namespace fs = std::filesystem;

// Device files are a few kilobytes.
inline constexpr std::uintmax_t kMaxDeviceFileSize = 1 << 20;
// The device file's own nesting is eight elements deep.
inline constexpr int kMaxDepth = 64;
// A device has tens of configuration values; a table of more is refused.
inline constexpr long kMaxConfValues = 1000;

// The texts of the failures.
inline constexpr long kTextDropUnreadable = 1118;  // the dragged device cannot be read:
inline constexpr long kTextOtherGateway = 1116;
inline constexpr long kTextGatewayUnreadable = 1117;
inline constexpr long kTextNotADeviceFile = 1930;
inline constexpr long kTextNoKeyObject = 1931;
inline constexpr long kTextDuplicateValue = 1932;  // %1: the configuration name

// The path the drop text names; nothing when it is not exactly two items.
std::optional<std::string> ParseDropText(std::string_view text);

// The gateway a device belongs to, from the KEYCONF/KEYVALUE pairs of the
// gateway's DEVICE/OBJECT/CONFTABLE/CONF elements.
struct GatewayRecord {
    std::string USERDESCRIPTION, LAN_IP_ADDRESS, SYSADDRESS, LAN_IP_ADDR_TYPE;
    std::string keyObject;  // the gateway's KEYOBJECT text
    int values = 0;         // how many of the four were read
    // Key object 150 and at least one value.
    bool Valid() const;
    // The number at the start of SYSADDRESS.
    int64_t Address() const;
};

struct DeviceFile {
    enum class Status {
        kRead,      // a key object was read
        kNotAFile,  // missing, not a regular file, too large, unreadable: ignored
        kRefused,   // read, but not acceptable: `errorText` says why
    };
    Status status = Status::kNotAFile;
    // The text shown after text 1118 (1116, 1117, 1930, 1931, 1932).
    std::string errorText;
    // What exactly was wrong, in English, for the command line and logs.
    std::string detail;
    // The device; its ConfTable is set (possibly empty) once a CONFTABLE was read.
    std::shared_ptr<cObjOleDrag> device = std::make_shared<cObjOleDrag>();
    std::vector<GatewayRecord> gateways;
    bool ok() const { return status == Status::kRead; }
};

// Reads a device file's bytes against the host's gateway address.
DeviceFile ParseDeviceFile(std::string_view bytes, int64_t hostGateway);
// Reads the file a path names, under the rules above.
DeviceFile ReadDeviceFile(const std::string& path, int64_t hostGateway);

// Reads at most `maxBytes` of a regular file, opened without blocking;
// false with `why` for anything else (not there, not a regular file, larger).
bool ReadBoundedRegularFile(const std::string& path, std::uintmax_t maxBytes, std::string& out,
                            std::string& why);
// An absolute local path: starts with one "/", holds no NUL, is no URL.
bool IsLocalAbsolutePath(std::string_view path);

}  // namespace tessed::configurator
