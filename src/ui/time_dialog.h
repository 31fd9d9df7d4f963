#pragma once
// frmTime and frmTimeSingle on screen: views of editor::TimeRangeDialog and
// editor::TimeSingleDialog. Every click and choice goes to the model, which
// the window then shows again (its own signals blocked meanwhile); OK asks the
// model, which shows its messages and decides whether the window closes.
#include <QDialog>
#include <array>

#include "editor/time_dialogs.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QTimeEdit;

namespace tessed::db {
class Database;
}

namespace tessed::ui {

// What both time windows share: OK asks the model, which shows its messages
// and decides; Enter is OK and Escape Cancel wherever the focus is.
class TimeWindowBase : public QDialog {
  public:
    using QDialog::QDialog;

  protected:
    // The model's OK; true when it confirmed.
    virtual bool confirm() = 0;
    void ok();
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

  private:
    void key(int code);
};

class TimeRangeWindow : public TimeWindowBase {
    Q_OBJECT
  public:
    TimeRangeWindow(editor::TimeRangeDialog& model, db::Database& db, QWidget* parent = nullptr);
    editor::TimeRangeDialog& model() { return model_; }
    void refresh();

  protected:
    bool confirm() override;

  private:
    editor::TimeRangeDialog& model_;
    db::Database& db_;
    QLabel* lblChi_ = nullptr;
    std::array<QRadioButton*, 3> optOra_{};
    std::array<QRadioButton*, 2> optDay_{};
    std::array<QCheckBox*, 7> chkSett_{};
    QTimeEdit *dtpDaOra_, *dtpAOra_;
    std::array<QComboBox*, 6> dates_{};  // from day, month, year; to day, month, year
};

class TimeSingleWindow : public TimeWindowBase {
    Q_OBJECT
  public:
    TimeSingleWindow(editor::TimeSingleDialog& model, db::Database& db, QWidget* parent = nullptr);
    editor::TimeSingleDialog& model() { return model_; }
    void refresh();

  protected:
    bool confirm() override;

  private:
    editor::TimeSingleDialog& model_;
    db::Database& db_;
    QLabel* lblChi_ = nullptr;
    std::array<QComboBox*, 5> lists_{};  // hour, minute, day, month, year
};

// The modal dialogs for a loaded model; true when the user confirmed (the
// outputs are then in the model). `db` is the connection the model's OK
// looks the icon up in. Called by the editor from its own slot after a drop.
bool ShowTimeRangeDialog(QWidget* parent, editor::TimeRangeDialog& model, db::Database& db);
bool ShowTimeSingleDialog(QWidget* parent, editor::TimeSingleDialog& model, db::Database& db);

}  // namespace tessed::ui
