#include "env/result.h"

#include "env/texts.h"

namespace tessed {

std::string Result::message() const {
    if (ok()) return {};
    std::string text = texts::GetText(text_);
    if (!detail_.empty()) text += "\r" + detail_;
    return text;
}

}  // namespace tessed
