#pragma once
// Message boxes for the picture and smoke tools, which run unattended: a
// warning or an error goes to standard error, every question is answered No.
#include <iostream>
#include <string>

#include "env/messages.h"

namespace tessed::tools {

struct SilentMessages : MessageBoxes {
    void warning(const std::string&, const std::string& t) override { std::cerr << t << "\n"; }
    void critical(const std::string&, const std::string& t) override { std::cerr << t << "\n"; }
    void information(const std::string&, const std::string&) override {}
    Answer yesNo(const std::string&, const std::string&) override { return Answer::No; }
    Answer yesNoCancel(const std::string&, const std::string&) override { return Answer::No; }
};

}  // namespace tessed::tools
