#include "env/messages.h"

#include <iostream>

namespace tessed {

namespace {
void print(const char* kind, const std::string& title, const std::string& text) {
    std::cerr << kind << (title.empty() ? "" : " (" + title + ")") << ": " << text << "\n";
}

std::shared_ptr<MessageBoxes>& current() {
    static std::shared_ptr<MessageBoxes> boxes = std::make_shared<BatchMessageBoxes>();
    return boxes;
}
}  // namespace

void BatchMessageBoxes::warning(const std::string& t, const std::string& s) {
    print("warning", t, s);
}
void BatchMessageBoxes::critical(const std::string& t, const std::string& s) {
    print("error", t, s);
}
void BatchMessageBoxes::information(const std::string& t, const std::string& s) {
    print("note", t, s);
}
Answer BatchMessageBoxes::yesNo(const std::string& t, const std::string& s) {
    print("question answered No", t, s);
    return Answer::No;
}
Answer BatchMessageBoxes::yesNoCancel(const std::string& t, const std::string& s) {
    print("question answered Cancel", t, s);
    return Answer::Cancel;
}

MessageBoxes& Messages() { return *current(); }

void SetMessages(std::shared_ptr<MessageBoxes> boxes) {
    current() = boxes ? std::move(boxes) : std::make_shared<BatchMessageBoxes>();
}

}  // namespace tessed
