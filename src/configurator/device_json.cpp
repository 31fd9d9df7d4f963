#include "configurator/device_json.h"

#include <nlohmann/json.hpp>

#include "configurator/key_objects.h"
#include "env/database.h"

namespace tessed::configurator {

namespace {

using Json = nlohmann::ordered_json;

Json found(const Found& f, bool withCode) {
    if (f.key == 0) return nullptr;
    Json j = {{"id", f.key}};
    if (withCode) j["code"] = f.code;
    j["description"] = f.description;
    return j;
}

std::string text(db::Database& db, std::string_view sql, int64_t id) {
    try {
        auto row = db.queryOne(sql, {id});
        return row ? row->at(0).toText() : std::string();
    } catch (const db::Error&) {
        return {};
    }
}

// One object the device stands for in its area, with what its rules give.
Json object(db::Database& db, const cObjOleDrag& d) {
    using P = AppliedRule::Property;
    Json j = {
        {"object", d.ID_OBJ},
        {"object_description",
         text(db, "SELECT DESCRI_OBJ FROM ANA_OGGETTI WHERE ID_OBJ = ?", d.ID_OBJ)},
        {"family", d.ID_FAMIGLIA},
        {"family_description",
         text(db, "SELECT DESCRI_FAM FROM ANA_FAMIGLIA WHERE ID_FAMIGLIA = ?", d.ID_FAMIGLIA)},
        {"association", d.ID_ASS},
        {"what", nullptr},
        {"where", nullptr},
        {"level", nullptr},
        {"interface", nullptr},
        {"probe", nullptr},
        {"description", nullptr},
    };
    Json rules = Json::array();
    for (const AppliedRule& a : ComputeParameters(db, d)) {
        rules.push_back({{"property", a.name}, {"order", a.order}});
        switch (a.property) {
            case P::kWhere:
                j["where"] = found(a.found, true);
                break;
            case P::kLevel:
                j["level"] = found(a.found, false);
                break;
            case P::kWhat:
                j["what"] = found(a.found, true);
                break;
            case P::kInterface:
                if (a.number) j["interface"] = *a.number;
                break;
            case P::kProbe:
                if (a.number) j["probe"] = *a.number;
                break;
            case P::kDescription:
                j["description"] = a.text;
                break;
            case P::kOther:
                break;
        }
    }
    j["rules"] = std::move(rules);
    return j;
}

Json area(db::Database& db, const cObjOleDrag& device, int idArea) {
    cObjOleDrag d = device;
    d.ID_AREA = idArea;
    Json objects = Json::array();
    const std::vector<Candidate> candidates = AmbiguousCandidates(db, d);
    if (candidates.empty()) {
        if (ResolveKeyObject(db, d)) objects.push_back(object(db, d));
    } else {
        for (const Candidate& c : candidates) {
            cObjOleDrag one = d;
            if (ResolveKeyObject(db, one, c.idObj)) objects.push_back(object(db, one));
        }
    }
    return {{"area", idArea}, {"ambiguous", !candidates.empty()}, {"objects", std::move(objects)}};
}

}  // namespace

std::string DeviceReportJson(const std::string& path, const DeviceFile& file, db::Database& db,
                             std::optional<int> onlyArea) {
    const cObjOleDrag& d = *file.device;
    Json configuration = Json::object();
    if (d.ConfTable)
        for (long i = 1; i <= d.ConfTable->Count(); ++i)
            configuration[d.ConfTable->KeyAt(i)] = *d.ConfTable->Item(i);
    Json j = {
        {"file", path},
        {"device",
         {{"key_object", d.ID_KO},
          {"key_system", d.KEY_SYSTEM},
          {"bus_level", d.BUS_LEVEL},
          {"i1", d.I1},
          {"i2", d.I2},
          {"description", d.USERDESCRIPTION},
          {"configuration", std::move(configuration)}}},
    };
    Json gateways = Json::array();
    for (const GatewayRecord& g : file.gateways)
        gateways.push_back({{"key_object", g.keyObject},
                            {"description", g.USERDESCRIPTION},
                            {"lan_ip_address", g.LAN_IP_ADDRESS},
                            {"sys_address", g.SYSADDRESS},
                            {"lan_ip_addr_type", g.LAN_IP_ADDR_TYPE}});
    j["gateways"] = std::move(gateways);
    Json areas = Json::array();
    if (onlyArea) {
        areas.push_back(area(db, d, *onlyArea));
    } else {
        for (int a : kReportAreas) {
            Json one = area(db, d, a);
            if (!one["objects"].empty()) areas.push_back(std::move(one));
        }
    }
    j["areas"] = std::move(areas);
    return j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

}  // namespace tessed::configurator
