#pragma once
// Message boxes go through this one interface: the Qt layer shows them, tests
// script the answers, batch jobs answer without showing anything.
#include <memory>
#include <string>

namespace tessed {

enum class Answer { Ok, Yes, No, Cancel };

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    virtual void warning(const std::string& title, const std::string& text) = 0;
    virtual void critical(const std::string& title, const std::string& text) = 0;
    virtual void information(const std::string& title, const std::string& text) = 0;
    virtual Answer yesNo(const std::string& title, const std::string& text) = 0;
    virtual Answer yesNoCancel(const std::string& title, const std::string& text) = 0;
};

// Shows nothing interactive: warnings and errors go to standard error, questions
// are answered No (and Cancel where that is offered), so a batch job never
// changes anything on a guess.
class BatchMessageBoxes : public MessageBoxes {
  public:
    void warning(const std::string& title, const std::string& text) override;
    void critical(const std::string& title, const std::string& text) override;
    void information(const std::string& title, const std::string& text) override;
    Answer yesNo(const std::string& title, const std::string& text) override;
    Answer yesNoCancel(const std::string& title, const std::string& text) override;
};

MessageBoxes& Messages();
// Installs the implementation in use; null restores the batch one.
void SetMessages(std::shared_ptr<MessageBoxes> boxes);

}  // namespace tessed
