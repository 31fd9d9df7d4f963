#pragma once
// Pieces the element dialogs share: a list shown from a core list, the
// white/grey look of usable and unusable inputs, a validator for digits-only
// boxes, the core's code of Enter and Escape, and the image buttons whose
// press and release the core decides.
#include <QPushButton>
#include <QValidator>
#include <cstdint>
#include <functional>

#include "editor/time_dialogs.h"

class QComboBox;
class QKeyEvent;
class QWidget;

namespace tessed::ui {

// Shows `list` in `box`: its items (refilled only when they differ, so a
// long list is not rebuilt on every refresh), its selection (none for -1)
// and whether it is enabled. Signals of `box` stay blocked meanwhile.
void ShowList(QComboBox* box, const editor::ChoiceList& list);

// Paints the input's background in a 0xRRGGBB colour; InputBackground reads
// it back.
void PaintInput(QWidget* w, uint32_t rgb);
uint32_t InputBackground(const QWidget* w);

// Accepts digits only. A QLineEdit applies it to typing, pasting and
// dropping alike: a change that would put anything else in is refused whole.
QValidator* DigitsValidator(QObject* parent);

// editor::kKeyEnter or kKeyEscape for Return, Enter and Escape; 0 otherwise.
int ModelKey(const QKeyEvent* e);

// An OK or Cancel image button: it shows itself pressed between the mouse's
// press and release and reports them; whether the release acts is the
// core's business. The space bar presses and releases it in place.
class ImageButtonWidget : public QPushButton {
    Q_OBJECT
  public:
    explicit ImageButtonWidget(QWidget* parent = nullptr);
    std::function<void()> onPress;
    // In the button's own coordinates, with its width and height.
    std::function<void(int x, int y, int width, int height)> onRelease;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
};

}  // namespace tessed::ui
