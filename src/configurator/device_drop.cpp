#include "configurator/device_drop.h"

#include <algorithm>
#include <array>
#include <vector>

#include "editor/control_names.h"
#include "env/database.h"
#include "env/state.h"
#include "env/strings.h"
#include "env/texts.h"

namespace tessed::configurator {

namespace {

struct AreaName {
    std::string_view name;
    int area;
};

// clang-format off
constexpr std::array<AreaName, 15> kAreas = {{
    {"IMGTRIGGER", 3}, {"LBLTRIGGER", 3}, {"IMGFRAEVENT", 3},
    {"IMGCONDOK", 4}, {"LBLCONDOK", 4}, {"IMGOPEOK", 4}, {"IMGFRAIF", 4},
    {"IMGICOSTEPACT", 5}, {"LBLSTEPACT", 5}, {"IMGFRAACT", 5}, {"IMGLEFTACT", 5},
    {"IMGRIGHTACT", 5},
    {"IMGTRIGGERSTOP", 6}, {"LBLTRIGGERSTOP", 6}, {"IMGFRAEVENTSTOP", 6},
}};
// clang-format on

// The slot of a strip showing the entry `id`; 0 when none does.
int shownSlot(const editor::Strip& s, int64_t id) {
    const std::string tag = std::to_string(id);
    for (size_t i = 0; i < s.slots.size(); ++i)
        if (s.slots[i].labelTag == tag) return static_cast<int>(i + 1);
    return 0;
}

// Shows the entry `id` of a palette whose entries come in `order`: scrolled
// as far towards it as the palette goes (its last page stays full).
int bringIntoView(editor::Canvas& canvas, editor::StripId strip, int64_t id,
                  const std::vector<int64_t>& order) {
    if (int slot = shownSlot(canvas.strip(strip), id)) return slot;
    auto at = std::find(order.begin(), order.end(), id);
    if (at == order.end()) return 0;
    const int position = static_cast<int>(at - order.begin()) + 1;
    const int count = static_cast<int>(canvas.strip(strip).slots.size());
    const int rows = static_cast<int>(order.size());
    const int start = rows > count ? std::min(position, rows - count + 1) : 1;
    canvas.Load(strip, start);
    return shownSlot(canvas.strip(strip), id);
}

std::vector<int64_t> ids(db::Database& db, std::string_view sql,
                         std::initializer_list<db::Value> params = {}) {
    std::vector<int64_t> v;
    for (const db::Row& r : db.query(sql, params)) v.push_back(r.at(0).toInt());
    return v;
}

}  // namespace

int SlotArea(std::string_view controlName) {
    const std::string upper = str::ToUpper(controlName);
    for (const AreaName& a : kAreas)
        if (a.name == upper) return a.area;
    return 0;
}

int SlotArea(const editor::CanvasControl& control) {
    return SlotArea(editor::ControlName(control));
}

int SelectInPalette(editor::Canvas& canvas, int32_t idFamiglia, int32_t idObj) {
    using editor::StripId;
    db::Database& db = canvas.database();
    try {
        const int family = bringIntoView(
            canvas, StripId::kFamilies, idFamiglia,
            ids(db, "SELECT ID_FAMIGLIA FROM ANA_FAMIGLIA WHERE ATTIVA <> 0 ORDER BY ORDINE"));
        if (family == 0) return 0;
        canvas.imgFam_Click(family);
        if (canvas.CurrentFamily() != idFamiglia) return 0;
        return bringIntoView(canvas, StripId::kObjects, idObj,
                             ids(db,
                                 "SELECT ID_OBJ FROM ANA_OGGETTI WHERE ID_FAMIGLIA = ? ORDER BY "
                                 "ORDINE",
                                 {idFamiglia}));
    } catch (const db::Error&) {
        return 0;
    }
}

void InstallDeviceApplier(editor::Placement& placement, editor::Canvas& canvas) {
    // The canvas's connection at the time of the drop (the master connection
    // may have been opened again since the hook was installed).
    placement.ApplyPayload = [&canvas](editor::PropertyDialog& dialog, cObjOleDrag& device) {
        ApplyParameters(canvas.database(), dialog, device);
    };
}

DeviceDrop DeviceDrop::Begin(std::string_view dropText, const editor::CanvasControl& target,
                             editor::Canvas& canvas, std::optional<int64_t> hostGateway) {
    DeviceDrop d;
    d.target_ = target;
    auto path = ParseDropText(dropText);
    if (!path) {
        d.detail_ = "not a device drop";
        return d;
    }
    DeviceFile file = ReadDeviceFile(*path, hostGateway.value_or(Host().SysAddressGateway));
    d.detail_ = file.detail;
    if (file.status == DeviceFile::Status::kNotAFile) return d;
    if (file.status == DeviceFile::Status::kRefused) {
        d.stage_ = Stage::kRefused;
        d.message_ = texts::GetText(kTextDropUnreadable) + "\r" + file.errorText;
        return d;
    }
    d.device_ = file.device;
    d.device_->ID_AREA = SlotArea(target);
    db::Database& db = canvas.database();
    d.resolution_ = KeyObjectResolution::Begin(db, *d.device_);
    if (d.resolution_.NeedsChoice()) {
        d.stage_ = Stage::kChoose;
        return d;
    }
    d.stage_ = d.resolution_.Finish(db, *d.device_) ? Stage::kResolved : Stage::kNoObject;
    return d;
}

void DeviceDrop::Continue(editor::Canvas& canvas, editor::Placement& placement) {
    if (stage_ == Stage::kChoose) {
        if (!resolution_.Choice()->Confirmed) {
            stage_ = Stage::kCancelled;
            return;
        }
        if (!resolution_.Finish(canvas.database(), *device_)) {
            stage_ = Stage::kNoObject;
            return;
        }
        stage_ = Stage::kResolved;
    }
    if (stage_ != Stage::kResolved) return;
    objectSlot_ = SelectInPalette(canvas, device_->ID_FAMIGLIA, device_->ID_OBJ);
    if (objectSlot_ == 0) {
        stage_ = Stage::kNotInPalette;
        return;
    }
    InstallDeviceApplier(placement, canvas);
    placement.pending = device_;
    plan_ = placement.PlanDrop({editor::StripId::kObjects, editor::Part::kPicture, objectSlot_},
                               target_);
    stage_ = Stage::kPlanned;
}

}  // namespace tessed::configurator
