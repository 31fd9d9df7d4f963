#pragma once
// What every window shares: numbered texts on widgets, message boxes, a file
// chooser that tests can script, the busy pointer, icons from the catalogue's
// resources folder, and menu mnemonics.
//
// Captions. A widget, action or menu that shows a numbered text carries the
// number in its dynamic property "textId" (and "toolTipId" for a tool tip);
// ApplyCaptions walks a whole window and sets every text from the current
// label table, so a language switch or TEXTID only needs one call. Every
// control that gets a caption also gets it as its accessible name (without
// the mnemonic mark), so screen readers say what sighted users read.
// Controls without a caption of their own (a tree, a list) get their
// accessible name through "accessibleId".
//
// Windows never format texts themselves: the core composes messages, the
// window passes them to Messages().
#include <QIcon>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "env/messages.h"

class QWidget;
class QMenu;
class QMenuBar;
class QAction;

namespace tessed::ui {

QString Q(const std::string& utf8);
std::string U(const QString& text);
// The numbered text as a QString.
QString Text(long id);

// Gives `o` a numbered caption (and tool tip) for ApplyCaptions.
void SetTextId(QObject* o, long textId, long toolTipId = 0);
// Gives a control without a caption of its own a numbered accessible name.
void SetAccessibleId(QWidget* w, long textId);
// Sets every numbered text of `root`, its children and their actions.
void ApplyCaptions(QWidget* root);
// Marks one letter of each action's text in a menu bar or menu (and its
// sub-menus) as its mnemonic: the first letter not yet taken among its
// siblings, so every entry can be reached with the keyboard in any language.
void AssignMnemonics(QMenuBar* bar);
void AssignMnemonics(QMenu* menu);

// A 16-pixel picture of the catalogue's resources folder ("scriptok" or
// "scriptok.gif"); a null icon when it is missing.
QIcon ResourceIcon(const std::string& name);

// The message boxes of the windows: title, icon and buttons as the core asks;
// the parent is the active window.
class QtMessageBoxes : public MessageBoxes {
  public:
    void warning(const std::string& title, const std::string& text) override;
    void critical(const std::string& title, const std::string& text) override;
    void information(const std::string& title, const std::string& text) override;
    Answer yesNo(const std::string& title, const std::string& text) override;
    Answer yesNoCancel(const std::string& title, const std::string& text) override;
};

// File dialogs behind an interface, so tests answer them. `filterName` is the
// visible name of the filter ("Project file"), `pattern` its pattern
// ("*.tdj"). An empty answer is a cancelled dialog.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    virtual std::optional<std::string> openFile(QWidget* parent, const QString& title,
                                                const QString& filterName, const QString& pattern,
                                                const std::string& startFolder) = 0;
    virtual std::optional<std::string> saveFile(QWidget* parent, const QString& title,
                                                const QString& filterName, const QString& pattern,
                                                const std::string& proposed) = 0;
    // An existing folder. A chooser that offers none (a script without
    // folders) answers as a cancelled dialog.
    virtual std::optional<std::string> openFolder(QWidget* parent, const QString& title,
                                                  const std::string& startFolder);
};

class QtFileChooser : public FileChooser {
  public:
    std::optional<std::string> openFile(QWidget* parent, const QString& title,
                                        const QString& filterName, const QString& pattern,
                                        const std::string& startFolder) override;
    std::optional<std::string> saveFile(QWidget* parent, const QString& title,
                                        const QString& filterName, const QString& pattern,
                                        const std::string& proposed) override;
    std::optional<std::string> openFolder(QWidget* parent, const QString& title,
                                          const std::string& startFolder) override;
};

FileChooser& Files();
// Installs the chooser in use; null restores the Qt one.
void SetFiles(std::shared_ptr<FileChooser> chooser);

// The busy pointer for the life of the object.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// `path` with `extension` (".tdj") added unless it already ends with it in
// any letter case.
std::string WithExtension(const std::string& path, const std::string& extension);

}  // namespace tessed::ui
