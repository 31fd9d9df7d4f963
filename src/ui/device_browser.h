#pragma once
// The device browser: a panel of the scenario editor that lists the device
// files of a folder (the configurator's drag folder at first, any folder the
// user chooses) with what each stands for in the catalogue, and hands a
// device to the editor as the configurator would: dragged with the same drop
// text, or chosen with the keyboard for insertion.
//
// - The folder is read on a worker thread with a connection of its own on
//   the master database; the list fills as the files are read, the progress
//   bar counts them, and Stop, another folder or closing ends the reading
//   between two files. The window never waits for more than one file.
// - A row is one file: its name, description, key object, families and
//   objects (configurator::DeviceListEntry); a file a drop would refuse says
//   why in place of its objects, one a drop would ignore is greyed. The tool
//   tip says, group by group, what a drop places there.
// - Keys on the list: Enter, Ctrl+I, the Menu key or Shift+F10 (and a
//   double-click) hand the device to the editor (`insert`), which offers the
//   slot groups; F5 reads the folder again.
// - Nothing here decides what a device does: the drop does, in the editor.
#include "configurator/device_list.h"

#include <QDockWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QLabel;
class QMimeData;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tessed::ui {

class DeviceBrowser : public QDockWidget {
    Q_OBJECT
  public:
    explicit DeviceBrowser(QWidget* parent = nullptr);
    ~DeviceBrowser() override;

    // Lists the device files of `folder`, replacing the list (a reading under
    // way stops first).
    void ShowFolder(const std::string& folder);
    // Reads the folder shown again.
    void Reload();
    // Asks for a folder (the file chooser) and lists it.
    void ChooseFolder();
    // Ends a reading under way; what was read stays listed.
    void Stop();

    const std::string& Folder() const { return folder_; }
    bool Reading() const { return reading_; }
    const std::vector<configurator::DeviceListEntry>& Entries() const { return entries_; }
    QTreeWidget* List() const { return list_; }
    // What dragging row `row` carries: its drop text as plain text; null for
    // a row without one. The caller owns it.
    QMimeData* DragData(int row) const;
    // Hands the current row to `insert` with its menu at `pos` (global).
    void InsertCurrent(const QPoint& pos);

    // The editor's insertion of a device chosen with the keyboard; its menu
    // opens at `pos` (global).
    std::function<void(const configurator::DeviceListEntry& entry, const QPoint& pos)> insert;

  protected:
    void showEvent(QShowEvent* e) override;

  private:
    // Results of the worker, on the window's thread; stale ones (of a reading
    // that was replaced) are dropped by their generation.
    void received(uint64_t generation, std::vector<configurator::DeviceListEntry> batch,
                  size_t done, size_t total);
    void finished(uint64_t generation);
    void addRow(const configurator::DeviceListEntry& e);
    void showReading(bool on);

    std::string folder_;
    std::vector<configurator::DeviceListEntry> entries_;
    std::thread worker_;
    std::shared_ptr<std::atomic<bool>> stop_;
    uint64_t generation_ = 0;
    bool reading_ = false;
    bool resized_ = false;

    QLabel* folderLabel_ = nullptr;
    QPushButton* folderButton_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* stopButton_ = nullptr;
};

}  // namespace tessed::ui
