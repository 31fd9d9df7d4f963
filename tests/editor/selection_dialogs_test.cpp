#include "editor/selection_dialogs.h"

#include <gtest/gtest.h>

#include "editor/property_dialog.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::editor;
using namespace tessed::test;

TEST(SelectionDialogs, OperatorDialog) {
    FixtureEnv env;
    OperatorDialog d;
    ASSERT_EQ(d.cmbOperatore.count(), 2);
    EXPECT_EQ(d.Result(), 1);
    d.Preselect(2);
    EXPECT_EQ(d.Result(), 2);
    d.Preselect(3);  // unknown: no selection
    EXPECT_FALSE(d.Result());
    // Released outside OK (an image of 60 by 20): nothing happens, and the
    // button is released.
    d.PressOk();
    EXPECT_TRUE(d.cmdOK.pressed);
    d.ReleaseOk(61, 5, 60, 20);
    EXPECT_FALSE(d.cmdOK.pressed);
    EXPECT_FALSE(d.Confirmed);
    d.ReleaseOk(10, 5, 60, 20);  // released without a press
    EXPECT_FALSE(d.Confirmed);
    d.PressOk();
    d.ReleaseOk(60, 20, 60, 20);
    EXPECT_TRUE(d.Confirmed);
    OperatorDialog e;
    e.Visible = true;
    e.KeyPress(kKeyEscape);
    EXPECT_FALSE(e.Confirmed || e.Visible);
    OperatorDialog f;
    f.KeyPress(kKeyEnter);
    EXPECT_TRUE(f.Confirmed);
}

TEST(SelectionDialogs, AmbiguityDialogTakesEnterOnly) {
    AmbiguityDialog d;
    d.cmbAmbiguo.add("Light", 1);
    d.cmbAmbiguo.add("Dimmer", 42);
    d.cmbAmbiguo.setIndex(1);
    d.Visible = true;
    d.KeyPress(kKeyEscape);
    EXPECT_TRUE(d.Visible);
    EXPECT_FALSE(d.Confirmed);
    d.KeyPress(kKeyEnter);
    EXPECT_TRUE(d.Confirmed);
    EXPECT_EQ(d.Result(), 42);
    AmbiguityDialog c;
    c.PressCancel();
    c.ReleaseCancel(-1, 0, 60, 20);
    c.PressCancel();
    c.ReleaseCancel(0, 0, 60, 20);
    EXPECT_FALSE(c.Confirmed);
}

TEST(SelectionDialogs, NewNameRefusesOnlyTheEmptyName) {
    FixtureEnv env;
    ScopedMessages msgs;
    NewNameDialog d;
    d.maxLength = 15;
    d.lblOpe = "NEWSCRIPT";
    EXPECT_FALSE(d.Ok());
    ASSERT_EQ(msgs->calls.size(), 1u);
    EXPECT_EQ(msgs->calls[0],
              (ScriptedMessages::Call{"warning", texts::GetText(1002), texts::GetText(1033)}));
    EXPECT_FALSE(d.Confirmed);
    d.SetName("   ");
    d.KeyPress(kKeyEnter);
    EXPECT_TRUE(d.Confirmed);
    EXPECT_EQ(d.Result(), "   ");
    d.SetName("A name much longer than fifteen");
    EXPECT_EQ(d.Result(), "A name much lon");
    d.SetName(
        "\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9"
        "\xC3\xA0\xC3\xA8\xC3\xAC\xC3\xB2\xC3\xB9\xC3\xA0");
    EXPECT_EQ(d.Result().size(), 30u);  // fifteen two-byte letters, none cut in half
}
