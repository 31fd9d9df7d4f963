#pragma once
// frmProp on screen: a view of editor::PropertyDialog. The window shows the
// model's rows, captions, lists, enabled states and values, forwards every
// user action to the model's handler and then shows the model again, with its
// own signals blocked so that showing never re-enters a handler. OK and Cancel
// act through the model; the window closes when the model hides.
//
// Layout: the visible rows stacked top to bottom under the WHO caption and
// the description, a hidden row taking no space, the buttons after the last
// row and the window's height following them. The special places: the delay
// box of objects 9 and 45 before the WHAT list, the second delay and second
// unit list of object 45 in the WHERE row, the typed address with its spinner
// in place of the WHERE list, the time picker in place of the WHAT list, the
// value box in the probe row (in the temperature row when the probe row is
// hidden), and the hour, minute and second spinners in the time row (in the
// temperature row when the time row is hidden).
#include <QDialog>
#include <array>

#include "editor/property_dialog.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTimeEdit;
class QToolButton;

namespace tessed::ui {

class PropertyDialogWindow : public QDialog {
    Q_OBJECT
  public:
    explicit PropertyDialogWindow(editor::PropertyDialog& model, QWidget* parent = nullptr);

    editor::PropertyDialog& model() { return model_; }
    // The container of a row (caption and inputs), for the layout checks.
    QWidget* rowWidget(editor::PropRow r) const { return rows_[static_cast<size_t>(r)]; }
    QLabel* rowCaption(editor::PropRow r) const { return captions_[static_cast<size_t>(r)]; }
    // The row the buttons stand in.
    QWidget* buttonRow() const { return buttons_; }
    // Shows the model's state; called after every forwarded action.
    void refresh();

  protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void reject() override;

  private:
    void build();
    // Runs a model handler, shows the model again and closes when it hid.
    template <class F>
    void forward(F&& handler);
    void closeWhenHidden();
    editor::PropertyDialog::Field fieldOf(QObject* o) const;

    editor::PropertyDialog& model_;
    bool closing_ = false;
    std::array<QWidget*, editor::kPropRowCount> rows_{};
    std::array<QLabel*, editor::kPropRowCount> captions_{};
    QWidget* buttons_ = nullptr;
    QLabel* lblChi_ = nullptr;
    QComboBox *cmbCosa_, *cmbCosa2_, *cmbDove_, *cmbLevel_, *cmbADDInt_, *cmbOperatorTemp_,
        *cmbSonda_;
    std::array<QComboBox*, 3> cmbPos_{};
    QLineEdit *txtDOVEPI_, *txtValue_, *txtKey_OPT_, *txtKey_OPT2_, *txtDescri_;
    QWidget* upDownDovePI_ = nullptr;
    QToolButton *dovePIUp_, *dovePIDown_;
    QSpinBox *upDownTemp_, *upDownHour_, *upDownMin_, *upDownSec_;
    QWidget* duration_ = nullptr;  // the three spinners with their unit labels
    QLabel *lblHour_, *lblMin_, *lblSec_;
    QTimeEdit* dtpTime_ = nullptr;
    QWidget *cmdOK_, *cmdAnnulla_;
};

// The modal dialog for `model`, which the caller has loaded (Form_Load,
// LoadData, the description box, Restore). Returns whether the user
// confirmed; the caller then reads the values from the model. It runs a
// modal event loop: the editor calls it from its own slot after a drop has
// ended, never inside a drag.
bool ShowPropertyDialog(QWidget* parent, editor::PropertyDialog& model);

}  // namespace tessed::ui
