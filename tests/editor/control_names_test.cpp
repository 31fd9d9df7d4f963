#include "editor/control_names.h"

#include <gtest/gtest.h>

#include <array>

#include "env/database.h"

using namespace tessed;
using namespace tessed::editor;

namespace {

using S = StripId;

// The editor window's controls as the design names them, strip by strip, in
// the order of kParts; "" where the strip has no such part.
constexpr std::array kParts = {Part::kPicture,    Part::kLabel,         Part::kFrame,
                               Part::kScrollBack, Part::kScrollForward, Part::kMark};
struct Row {
    StripId strip;
    std::array<const char*, kParts.size()> names;
};
// clang-format off
const Row kDesign[] = {
    {S::kTrigger,     {"imgTrigger", "lblTrigger", "imgfraEvent", "imgUpTrigger", "imgDWNTrigger", ""}},
    {S::kTriggerStop, {"imgTriggerSTOP", "lblTriggerSTOP", "imgfraEventSTOP", "imgUpTriggerSTOP",
                       "imgDWNTriggerSTOP", ""}},
    {S::kCondOk,      {"imgCondOK", "lblCondOK", "imgfraIF", "imgUpCondOK", "imgDWNCondOK", "imgOPEOK"}},
    {S::kCondKo,      {"imgCondKO", "lblCondKO", "imgfraNOTIF", "imgUpCondKO", "imgDWNCondKO", "imgOPEKO"}},
    {S::kStepAct,     {"imgICOStepACT", "lblStepACT", "imgfraACT", "imgLeftACT", "imgRightACT", ""}},
    {S::kStepActElse, {"imgICOStepACTELSE", "lblStepACTElse", "imgfraACTELSE", "imgLeftACTELSE",
                       "imgRightACTELSE", ""}},
    {S::kFamilies,    {"imgFam", "lblFam", "", "imgLeftFAM", "imgRightFAM", ""}},
    {S::kObjects,     {"imgObj", "lblObj", "imgfraOBJ", "imgLeftObj", "imgRightObj", ""}},
    {S::kOperators,   {"imgOpe", "lblOpe", "imgfraOPE", "imgUpOpe", "imgDWNOpe", ""}},
};
// clang-format on

}  // namespace

TEST(ControlNames, EveryDesignNameStandsForItsControlAndBack) {
    for (const Row& r : kDesign)
        for (size_t i = 0; i < kParts.size(); ++i) {
            const CanvasControl expected{r.strip, kParts[i], 3};
            const std::string name = r.names[i];
            EXPECT_EQ(ControlName(expected), name) << "part " << i << " of " << r.names[0];
            if (name.empty()) continue;
            EXPECT_EQ(ControlFromName(name, 3), expected) << name;
        }
    // The upper-cased names of drag sources, as the design writes them.
    for (const char* upper :
         {"IMGOBJ", "IMGOPE", "IMGTRIGGER", "IMGTRIGGERSTOP", "IMGCONDOK", "IMGCONDKO",
          "IMGICOSTEPACT", "IMGICOSTEPACTELSE", "IMGOPEOK", "IMGOPEKO"}) {
        const auto c = ControlFromName(upper, 1);
        ASSERT_TRUE(c) << upper;
        EXPECT_TRUE(db::iequals(ControlName(*c), upper)) << upper;
    }
}

TEST(ControlNames, TheTrashIsOneControlAndOtherNamesAreNone) {
    EXPECT_EQ(ControlFromName("imgCestino", 2), CanvasControl::Trash());
    EXPECT_EQ(ControlFromName("IMGFRACESTINO"), CanvasControl::Trash());
    EXPECT_EQ(ControlName(CanvasControl::Trash()), "imgCestino");
    // Controls of the window that are no canvas controls.
    for (const char* other : {"imgDrag", "imgStop", "imgNoImg", "chkRepeatACT", "lblCaption",
                              "imgfraFAM", "", "imgTrigger2"})
        EXPECT_FALSE(ControlFromName(other)) << other;
}
