#pragma once
// The splash window: the splash picture of the data folder, the application
// name and the version. At start-up it waits for its timer (1000 ms) while the
// user reads it; as the about box it stays until the user closes it.
#include <QDialog>

class QLabel;
class QPushButton;

namespace tessed::ui {

class SplashWindow : public QDialog {
    Q_OBJECT
  public:
    enum class Role { StartUp, About };
    explicit SplashWindow(Role role, QWidget* parent = nullptr);

    // "version 4.0" CR " build     11"
    static QString VersionText();

  private:
    QLabel* picture_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace tessed::ui
