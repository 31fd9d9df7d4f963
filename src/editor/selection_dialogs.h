#pragma once
// The three small choice dialogs without widgets: the operator between two
// conditions, a choice among ambiguous candidates, and a new name. They share
// the image buttons OK and Cancel and the public Confirmed flag.
#include <optional>
#include <string>
#include <string_view>

#include "editor/time_dialogs.h"

namespace tessed::editor {

// An image button with its label: pressed while the mouse is down on it (the
// window draws it shifted one pixel right and down), acting only when
// released over the image.
struct ImageButton {
    bool pressed = false;
    void Press() { pressed = true; }
    // Releases at (x, y) in the image's own coordinates, for an image of
    // `width` by `height` as the window shows it; true when the button acts
    // (it was pressed, and 0 <= x <= width, 0 <= y <= height).
    bool Release(int x, int y, int width, int height);
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
    void ReleaseOk(int x, int y, int width, int height);
    void PressCancel() { cmdAnnulla.Press(); }
    void ReleaseCancel(int x, int y, int width, int height);
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
