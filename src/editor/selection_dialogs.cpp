#include "editor/selection_dialogs.h"

#include "editor/canvas.h"
#include "editor/property_dialog.h"
#include "env/messages.h"
#include "env/strings.h"
#include "env/texts.h"

namespace tessed::editor {

namespace {
constexpr int kTitle = 1002;
constexpr int kAnd = 1559;
constexpr int kOr = 1560;
constexpr int kEmptyName = 1033;
}  // namespace

bool ImageButton::Release(int x, int y, int width, int height) {
    const bool wasPressed = pressed;
    pressed = false;
    return wasPressed && x >= 0 && x <= width && y >= 0 && y <= height;
}

std::string LimitLength(std::string_view text, int maxChars) {
    if (maxChars <= 0) return std::string(text);
    return str::CutUtf8(text, static_cast<size_t>(maxChars));
}

void ChoiceDialog::ReleaseOk(int x, int y, int width, int height) {
    if (cmdOK.Release(x, y, width, height)) Ok();
}

void ChoiceDialog::ReleaseCancel(int x, int y, int width, int height) {
    if (cmdAnnulla.Release(x, y, width, height)) Cancel();
}

bool ChoiceDialog::Ok() {
    Confirmed = true;
    Visible = false;
    return true;
}

void ChoiceDialog::Cancel() { Visible = false; }

void ChoiceDialog::KeyPress(int key) {
    // A key presses and releases the button where it stands.
    if (key == kKeyEnter) {
        PressOk();
        ReleaseOk(0, 0, 0, 0);
    } else if (key == kKeyEscape) {
        PressCancel();
        ReleaseCancel(0, 0, 0, 0);
    }
}

OperatorDialog::OperatorDialog() {
    cmbOperatore.add(texts::GetText(kAnd), 1);
    cmbOperatore.add(texts::GetText(kOr), 2);
    cmbOperatore.setIndex(0);
}

void OperatorDialog::Preselect(int idOpe) {
    cmbOperatore.setIndex(FindItemIndex(cmbOperatore, idOpe));
}

void AmbiguityDialog::KeyPress(int key) {
    if (key == kKeyEnter) Ok();
}

bool NewNameDialog::Ok() {
    if (txtNome.empty()) {
        Messages().warning(texts::GetText(kTitle), texts::GetText(kEmptyName));
        return false;
    }
    return ChoiceDialog::Ok();
}

}  // namespace tessed::editor
