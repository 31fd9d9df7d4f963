#pragma once
// The three small choice dialogs without widgets: the operator between two
// conditions, a choice among ambiguous candidates, and a new name. They share
// the image buttons OK and Cancel and the public Confirmed flag.
#include <optional>
#include <string>
#include <string_view>

#include "editor/time_dialogs.h"

namespace tessed::editor {

// An image button with its label: pressing shifts both one pixel right and
// down, releasing shifts them back and acts only over the image.
struct ImageButton {
    int width = 60;
    int height = 20;
    bool pressed = false;
    int offset() const { return pressed ? 1 : 0; }
    void Press() { pressed = true; }
    // Releases at (x, y) in the image's own coordinates; true when the button
    // acts (the pointer is over the image: 0 <= x <= width, 0 <= y <= height).
    bool Release(int x, int y);
};

// `text` cut to at most `maxChars` characters (UTF-8); 0 means no limit.
std::string LimitLength(std::string_view text, int maxChars);

// Shared by the three: the buttons, the result flag and the shown state.
class ChoiceDialog {
  public:
    virtual ~ChoiceDialog() = default;
    bool Confirmed = false;
    bool Visible = false;
    ImageButton cmdOK, cmdAnnulla;
    // The mouse on the buttons (or their labels).
    void PressOk() { cmdOK.Press(); }
    void ReleaseOk(int x, int y);
    void PressCancel() { cmdAnnulla.Press(); }
    void ReleaseCancel(int x, int y);
    // The actions of the buttons.
    virtual bool Ok();
    void Cancel();
    // A key typed in the dialog; Enter and Escape as each dialog defines.
    virtual void KeyPress(int key);
};

// frmOpe: the logical operator linking two conditions.
class OperatorDialog : public ChoiceDialog {
  public:
    // Form_Load: the two operators (texts 1559 and 1560, item data 1 and 2),
    // the first one selected.
    OperatorDialog();
    // Selects the operator a mark already has; an unknown number leaves no
    // selection.
    void Preselect(int idOpe);
    std::optional<int> Result() const { return cmbOperatore.data(); }
    ChoiceList cmbOperatore;
};

// frmSelectAmbiguo: the caller fills and preselects the list. Escape does
// nothing here.
class AmbiguityDialog : public ChoiceDialog {
  public:
    void KeyPress(int key) override;
    std::optional<int> Result() const { return cmbAmbiguo.data(); }
    ChoiceList cmbAmbiguo;
};

// frmNewName: a name; only the empty text is refused (text 1033).
class NewNameDialog : public ChoiceDialog {
  public:
    // Typing or pasting: the text is kept within the maximum length.
    void SetName(std::string_view text) { txtNome = LimitLength(text, maxLength); }
    bool Ok() override;
    const std::string& Result() const { return txtNome; }
    std::string txtNome;
    int maxLength = 0;
    std::string lblTesta, lblText;
    std::string lblOpe;  // the purpose, set by the caller ("NEWSCRIPT")
    std::string tag;     // the caller's tag ("DESCRI")
};

}  // namespace tessed::editor
