#include "editor/control_names.h"

#include <gtest/gtest.h>

#include "env/database.h"

using namespace tessed;
using namespace tessed::editor;

namespace {

using S = StripId;
using P = Part;

// The editor window's controls as the design names them, and what each one is.
struct Row {
    const char* name;
    StripId strip;
    Part part;
};
const Row kDesign[] = {
    {"imgTrigger", S::kTrigger, P::kPicture},
    {"lblTrigger", S::kTrigger, P::kLabel},
    {"imgfraEvent", S::kTrigger, P::kFrame},
    {"imgUpTrigger", S::kTrigger, P::kScrollBack},
    {"imgDWNTrigger", S::kTrigger, P::kScrollForward},
    {"imgTriggerSTOP", S::kTriggerStop, P::kPicture},
    {"lblTriggerSTOP", S::kTriggerStop, P::kLabel},
    {"imgfraEventSTOP", S::kTriggerStop, P::kFrame},
    {"imgUpTriggerSTOP", S::kTriggerStop, P::kScrollBack},
    {"imgDWNTriggerSTOP", S::kTriggerStop, P::kScrollForward},
    {"imgCondOK", S::kCondOk, P::kPicture},
    {"lblCondOK", S::kCondOk, P::kLabel},
    {"imgfraIF", S::kCondOk, P::kFrame},
    {"imgUpCondOK", S::kCondOk, P::kScrollBack},
    {"imgDWNCondOK", S::kCondOk, P::kScrollForward},
    {"imgOPEOK", S::kCondOk, P::kMark},
    {"imgCondKO", S::kCondKo, P::kPicture},
    {"lblCondKO", S::kCondKo, P::kLabel},
    {"imgfraNOTIF", S::kCondKo, P::kFrame},
    {"imgUpCondKO", S::kCondKo, P::kScrollBack},
    {"imgDWNCondKO", S::kCondKo, P::kScrollForward},
    {"imgOPEKO", S::kCondKo, P::kMark},
    {"imgICOStepACT", S::kStepAct, P::kPicture},
    {"lblStepACT", S::kStepAct, P::kLabel},
    {"imgfraACT", S::kStepAct, P::kFrame},
    {"imgLeftACT", S::kStepAct, P::kScrollBack},
    {"imgRightACT", S::kStepAct, P::kScrollForward},
    {"imgICOStepACTELSE", S::kStepActElse, P::kPicture},
    {"lblStepACTElse", S::kStepActElse, P::kLabel},
    {"imgfraACTELSE", S::kStepActElse, P::kFrame},
    {"imgLeftACTELSE", S::kStepActElse, P::kScrollBack},
    {"imgRightACTELSE", S::kStepActElse, P::kScrollForward},
    {"imgFam", S::kFamilies, P::kPicture},
    {"lblFam", S::kFamilies, P::kLabel},
    {"imgLeftFAM", S::kFamilies, P::kScrollBack},
    {"imgRightFAM", S::kFamilies, P::kScrollForward},
    {"imgObj", S::kObjects, P::kPicture},
    {"lblObj", S::kObjects, P::kLabel},
    {"imgfraOBJ", S::kObjects, P::kFrame},
    {"imgLeftObj", S::kObjects, P::kScrollBack},
    {"imgRightObj", S::kObjects, P::kScrollForward},
    {"imgOpe", S::kOperators, P::kPicture},
    {"lblOpe", S::kOperators, P::kLabel},
    {"imgfraOPE", S::kOperators, P::kFrame},
    {"imgUpOpe", S::kOperators, P::kScrollBack},
    {"imgDWNOpe", S::kOperators, P::kScrollForward},
};

}  // namespace

TEST(ControlNames, EveryDesignNameStandsForItsControlAndBack) {
    for (const Row& r : kDesign) {
        const auto c = ControlFromName(r.name, 3);
        ASSERT_TRUE(c) << r.name;
        EXPECT_EQ(*c, (CanvasControl{r.strip, r.part, 3})) << r.name;
        EXPECT_EQ(ControlName(*c), r.name);
    }
    // The upper-cased names of drag sources, as the design writes them.
    for (const char* upper : {"IMGOBJ", "IMGOPE", "IMGTRIGGER", "IMGTRIGGERSTOP", "IMGCONDOK",
                              "IMGCONDKO", "IMGICOSTEPACT", "IMGICOSTEPACTELSE", "IMGOPEOK",
                              "IMGOPEKO"}) {
        const auto c = ControlFromName(upper, 1);
        ASSERT_TRUE(c) << upper;
        EXPECT_TRUE(db::iequals(ControlName(*c), upper)) << upper;
    }
}

TEST(ControlNames, TheTrashIsOneControlAndOtherNamesAreNone) {
    EXPECT_EQ(ControlFromName("imgCestino", 2), CanvasControl::Trash());
    EXPECT_EQ(ControlFromName("IMGFRACESTINO"), CanvasControl::Trash());
    EXPECT_EQ(ControlName(CanvasControl::Trash()), "imgCestino");
    // Controls of the window that are no canvas controls, and parts a strip lacks.
    for (const char* other : {"imgDrag", "imgStop", "imgNoImg", "chkRepeatACT", "lblCaption",
                              "imgfraFAM", "", "imgTrigger2"})
        EXPECT_FALSE(ControlFromName(other)) << other;
    EXPECT_EQ(ControlName({S::kFamilies, P::kFrame, 0}), "");
    EXPECT_EQ(ControlName({S::kStepAct, P::kMark, 1}), "");
}
