#pragma once
// The device files of a folder as the editor's device browser lists them:
// each file read as a drop of it would read it and resolved in every area of
// the canvas, without asking the user anything.
//
// Contract:
// - Only what a drop would read is read: regular files named "*.xml" (any
//   letter case) directly in the folder, in file-name order, each under the
//   bounds of ReadDeviceFile (regular, local, at most kMaxDeviceFileSize). At
//   most kMaxListedDevices files are listed; a folder that cannot be read
//   lists nothing.
// - An entry's drop text is the text a configurator drags for its file; a
//   path that a drop text cannot carry (a comma, blanks at either end) has
//   none, and the file cannot be dragged or inserted.
// - The objects of an area are those a drop there would place: the one it
//   resolves to, or every candidate the user would choose among.
// - Nothing here writes: the browser shows what a drop would do, the drop
//   itself (DeviceDrop) decides.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tessed::db {
class Database;
}

namespace tessed::configurator {

namespace fs = std::filesystem;

// A configurator's drag folder holds the few devices of one drag; a folder
// of more is listed up to here.
inline constexpr size_t kMaxListedDevices = 5000;

struct DeviceObject {
    int32_t idObj = 0;
    std::string object;  // DESCRI_OBJ
    int32_t idFamiglia = 0;
    std::string family;  // DESCRI_FAM
};

struct DeviceArea {
    int area = 0;
    bool ambiguous = false;  // the user chooses among `objects`
    std::vector<DeviceObject> objects;
};

struct DeviceListEntry {
    enum class Status {
        kRead,     // read: `areas` says where it resolves (maybe nowhere)
        kRefused,  // a drop would show text 1118 and `message`
        kNotRead,  // a drop would ignore it: `message` is text 1930
    };
    std::string path;
    std::string name;  // the file name
    Status status = Status::kNotRead;
    std::string message;
    std::string description;  // USERDESCRIPTION
    int32_t keyObject = 0;
    std::string keySystem;
    std::vector<DeviceArea> areas;  // the areas it resolves in (kReportAreas order)
    std::optional<std::string> dropText;

    bool ResolvesIn(int area) const;
    // The distinct families and objects of every area, in area order, joined
    // by ", ".
    std::string Families() const;
    std::string Objects() const;
    // One line per area it resolves in: the titles of the slot groups of that
    // area, ": ", and its objects (joined by " / " when the user chooses).
    std::string AreaSummary() const;
};

// The text a configurator drags for a device file ("LX,<path>"); none when
// the path would not come back whole out of the text.
std::optional<std::string> DropTextFor(const std::string& path);

// The device files of a folder, by file name. `stopped`, asked between two
// entries of the folder, ends the listing early (with what was found).
std::vector<std::string> DeviceFilesIn(const fs::path& folder,
                                       const std::function<bool()>& stopped = {});

// One file read against the host's gateway address and resolved in `db`.
DeviceListEntry DescribeDeviceFile(const std::string& path, db::Database& db, int64_t hostGateway);

// The folder the browser lists first: the configurator's drag folder.
fs::path DefaultDeviceFolder();

}  // namespace tessed::configurator
