#include "editor/control_names.h"

#include <array>

#include "env/database.h"

namespace tessed::editor {

namespace {

struct Named {
    std::string_view name;
    StripId strip;
    Part part;
};

// clang-format off
constexpr std::array<Named, 48> kNames = {{
    {"imgTrigger", StripId::kTrigger, Part::kPicture},
    {"lblTrigger", StripId::kTrigger, Part::kLabel},
    {"imgfraEvent", StripId::kTrigger, Part::kFrame},
    {"imgUpTrigger", StripId::kTrigger, Part::kScrollBack},
    {"imgDWNTrigger", StripId::kTrigger, Part::kScrollForward},

    {"imgTriggerSTOP", StripId::kTriggerStop, Part::kPicture},
    {"lblTriggerSTOP", StripId::kTriggerStop, Part::kLabel},
    {"imgfraEventSTOP", StripId::kTriggerStop, Part::kFrame},
    {"imgUpTriggerSTOP", StripId::kTriggerStop, Part::kScrollBack},
    {"imgDWNTriggerSTOP", StripId::kTriggerStop, Part::kScrollForward},

    {"imgCondOK", StripId::kCondOk, Part::kPicture},
    {"lblCondOK", StripId::kCondOk, Part::kLabel},
    {"imgfraIF", StripId::kCondOk, Part::kFrame},
    {"imgUpCondOK", StripId::kCondOk, Part::kScrollBack},
    {"imgDWNCondOK", StripId::kCondOk, Part::kScrollForward},
    {"imgOPEOK", StripId::kCondOk, Part::kMark},

    {"imgCondKO", StripId::kCondKo, Part::kPicture},
    {"lblCondKO", StripId::kCondKo, Part::kLabel},
    {"imgfraNOTIF", StripId::kCondKo, Part::kFrame},
    {"imgUpCondKO", StripId::kCondKo, Part::kScrollBack},
    {"imgDWNCondKO", StripId::kCondKo, Part::kScrollForward},
    {"imgOPEKO", StripId::kCondKo, Part::kMark},

    {"imgICOStepACT", StripId::kStepAct, Part::kPicture},
    {"lblStepACT", StripId::kStepAct, Part::kLabel},
    {"imgfraACT", StripId::kStepAct, Part::kFrame},
    {"imgLeftACT", StripId::kStepAct, Part::kScrollBack},
    {"imgRightACT", StripId::kStepAct, Part::kScrollForward},

    {"imgICOStepACTELSE", StripId::kStepActElse, Part::kPicture},
    {"lblStepACTElse", StripId::kStepActElse, Part::kLabel},
    {"imgfraACTELSE", StripId::kStepActElse, Part::kFrame},
    {"imgLeftACTELSE", StripId::kStepActElse, Part::kScrollBack},
    {"imgRightACTELSE", StripId::kStepActElse, Part::kScrollForward},

    {"imgFam", StripId::kFamilies, Part::kPicture},
    {"lblFam", StripId::kFamilies, Part::kLabel},
    {"imgLeftFAM", StripId::kFamilies, Part::kScrollBack},
    {"imgRightFAM", StripId::kFamilies, Part::kScrollForward},

    {"imgObj", StripId::kObjects, Part::kPicture},
    {"lblObj", StripId::kObjects, Part::kLabel},
    {"imgfraOBJ", StripId::kObjects, Part::kFrame},
    {"imgLeftObj", StripId::kObjects, Part::kScrollBack},
    {"imgRightObj", StripId::kObjects, Part::kScrollForward},

    {"imgOpe", StripId::kOperators, Part::kPicture},
    {"lblOpe", StripId::kOperators, Part::kLabel},
    {"imgfraOPE", StripId::kOperators, Part::kFrame},
    {"imgUpOpe", StripId::kOperators, Part::kScrollBack},
    {"imgDWNOpe", StripId::kOperators, Part::kScrollForward},

    // The trash: the first name is the one ControlName gives.
    {"imgCestino", StripId::kObjects, Part::kTrash},
    {"imgfraCestino", StripId::kObjects, Part::kTrash},
}};
// clang-format on

}  // namespace

std::optional<CanvasControl> ControlFromName(std::string_view name, int index) {
    for (const Named& n : kNames)
        if (db::iequals(n.name, name)) {
            if (n.part == Part::kTrash) return CanvasControl::Trash();
            return CanvasControl{n.strip, n.part, index};
        }
    return std::nullopt;
}

std::string_view ControlName(const CanvasControl& c) {
    for (const Named& n : kNames) {
        if (n.part != c.part) continue;
        if (c.part == Part::kTrash || n.strip == c.strip) return n.name;
    }
    return {};
}

}  // namespace tessed::editor
