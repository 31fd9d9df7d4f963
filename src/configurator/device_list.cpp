#include "configurator/device_list.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <utility>

#include "configurator/device_file.h"
#include "configurator/device_json.h"
#include "configurator/key_objects.h"
#include "configurator/preparation.h"
#include "env/database.h"
#include "env/environment.h"
#include "env/strings.h"
#include "env/texts.h"

namespace tessed::configurator {

namespace {

// The titles of the slot groups a drop in an area lands in (area 0: the
// excluded conditions and the alternative actions).
std::vector<long> groupTitles(int area) {
    switch (area) {
        case 3:
            return {1016};
        case 6:
            return {1017};
        case 4:
            return {1018};
        case 5:
            return {1021};
        case 0:
            return {1019, 1022};
        default:
            return {};
    }
}

std::string description(db::Database& db, std::string_view sql, int64_t id) {
    try {
        auto row = db.queryOne(sql, {id});
        return row ? row->at(0).toText() : std::string();
    } catch (const db::Error&) {
        return {};
    }
}

DeviceObject objectOf(db::Database& db, const cObjOleDrag& d) {
    return {d.ID_OBJ,
            description(db, "SELECT DESCRI_OBJ FROM ANA_OGGETTI WHERE ID_OBJ = ?", d.ID_OBJ),
            d.ID_FAMIGLIA,
            description(db, "SELECT DESCRI_FAM FROM ANA_FAMIGLIA WHERE ID_FAMIGLIA = ?",
                        d.ID_FAMIGLIA)};
}

// The objects a drop in `area` would place, as the drop resolves them.
DeviceArea resolveIn(db::Database& db, const cObjOleDrag& device, int area) {
    DeviceArea a;
    a.area = area;
    cObjOleDrag d = device;
    d.ID_AREA = area;
    const std::vector<Candidate> candidates = AmbiguousCandidates(db, d);
    if (candidates.empty()) {
        if (ResolveKeyObject(db, d)) a.objects.push_back(objectOf(db, d));
        return a;
    }
    a.ambiguous = true;
    for (const Candidate& c : candidates) {
        cObjOleDrag one = d;
        if (ResolveKeyObject(db, one, c.idObj)) a.objects.push_back(objectOf(db, one));
    }
    return a;
}

std::string joinDistinct(const std::vector<DeviceArea>& areas,
                         const std::string DeviceObject::*field) {
    std::vector<std::string> seen;
    for (const DeviceArea& a : areas)
        for (const DeviceObject& o : a.objects)
            if (std::find(seen.begin(), seen.end(), o.*field) == seen.end())
                seen.push_back(o.*field);
    std::string out;
    for (const std::string& s : seen) out += (out.empty() ? "" : ", ") + s;
    return out;
}

}  // namespace

bool DeviceListEntry::ResolvesIn(int area) const {
    return std::any_of(areas.begin(), areas.end(), [area](const DeviceArea& a) {
        return a.area == area && !a.objects.empty();
    });
}

std::string DeviceListEntry::Families() const { return joinDistinct(areas, &DeviceObject::family); }

std::string DeviceListEntry::Objects() const { return joinDistinct(areas, &DeviceObject::object); }

std::string DeviceListEntry::AreaSummary() const {
    std::string out;
    for (const DeviceArea& a : areas) {
        if (a.objects.empty()) continue;
        std::string line;
        for (long title : groupTitles(a.area))
            line += (line.empty() ? "" : ", ") + texts::GetText(title);
        line += ": ";
        for (size_t i = 0; i < a.objects.size(); ++i)
            line += (i ? " / " : "") + a.objects[i].object;
        out += (out.empty() ? "" : "\n") + line;
    }
    return out;
}

std::optional<std::string> DropTextFor(const std::string& path) {
    std::string text = "LX," + path;
    // The drop reads the path back out of the text: only a path that comes
    // back whole names the same file.
    if (ParseDropText(text) != path) return std::nullopt;
    return text;
}

std::vector<std::string> DeviceFilesIn(const fs::path& folder,
                                       const std::function<bool()>& stopped) {
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::directory_iterator() && out.size() < kMaxListedDevices;
         it.increment(ec)) {
        if (stopped && stopped()) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        if (!str::IEquals(it->path().extension().string(), ".xml")) continue;
        out.push_back(it->path().string());
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) {
        return fs::path(a).filename() < fs::path(b).filename();
    });
    return out;
}

DeviceListEntry DescribeDeviceFile(const std::string& path, db::Database& db, int64_t hostGateway) {
    DeviceListEntry e;
    e.path = path;
    e.name = fs::path(path).filename().string();
    e.dropText = DropTextFor(path);
    const DeviceFile file = ReadDeviceFile(path, hostGateway);
    switch (file.status) {
        case DeviceFile::Status::kNotAFile:
            e.status = DeviceListEntry::Status::kNotRead;
            e.message = texts::GetText(kTextNotADeviceFile);
            return e;
        case DeviceFile::Status::kRefused:
            e.status = DeviceListEntry::Status::kRefused;
            e.message = file.errorText;
            return e;
        case DeviceFile::Status::kRead:
            break;
    }
    e.status = DeviceListEntry::Status::kRead;
    const cObjOleDrag& d = *file.device;
    e.description = d.USERDESCRIPTION;
    e.keyObject = d.ID_KO;
    e.keySystem = d.KEY_SYSTEM;
    for (int area : kReportAreas) {
        DeviceArea a = resolveIn(db, d, area);
        if (!a.objects.empty()) e.areas.push_back(std::move(a));
    }
    return e;
}

fs::path DefaultDeviceFolder() { return ConfiguratorFolders::Under(env::Env().dataFolder()).drag; }

}  // namespace tessed::configurator
