#pragma once
// frmOpe and frmSelectAmbiguo on screen: views of editor::OperatorDialog and
// editor::AmbiguityDialog. The image buttons report the mouse's press and
// release to the model, which decides whether they act; keys go to the
// model's KeyPress (Escape does nothing in frmSelectAmbiguo because its
// model says so). The window closes when the model hides.
#include <QDialog>
#include <QRect>

#include "editor/selection_dialogs.h"

class QComboBox;
class QLabel;

namespace tessed::ui {

class ImageButtonWidget;

class ChoiceWindow : public QDialog {
    Q_OBJECT
  public:
    ChoiceWindow(editor::ChoiceDialog& model, editor::ChoiceList& list, const char* name,
                 const char* listName, QWidget* parent);
    QComboBox* list() const { return list_; }
    void refresh();

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;
    QLabel* lblTesta_ = nullptr;
    QLabel* lblText_ = nullptr;

  private:
    template <class F>
    void forward(F&& handler);

    editor::ChoiceDialog& model_;
    editor::ChoiceList& choices_;
    QComboBox* list_ = nullptr;
    ImageButtonWidget *ok_, *cancel_;
    bool closing_ = false;
};

class OperatorWindow : public ChoiceWindow {
    Q_OBJECT
  public:
    explicit OperatorWindow(editor::OperatorDialog& model, QWidget* parent = nullptr);
    // Places the window next to the operator mark (global coordinates):
    // beside its right edge, or its left one when the screen ends there, and
    // always on the screen.
    void placeBeside(const QRect& mark);
};

class AmbiguityWindow : public ChoiceWindow {
    Q_OBJECT
  public:
    explicit AmbiguityWindow(editor::AmbiguityDialog& model, QWidget* parent = nullptr);
};

// The modal dialogs; true when confirmed (the choice is then the model's
// Result()). `mark` is the operator mark's rectangle in global coordinates.
// Called by the editor from its own slot after a double-click or a drop.
bool ShowOperatorDialog(QWidget* parent, editor::OperatorDialog& model, const QRect& mark);
bool ShowAmbiguityDialog(QWidget* parent, editor::AmbiguityDialog& model);

}  // namespace tessed::ui
