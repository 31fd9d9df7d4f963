#pragma once
// Project-level failures carry the number 10001 and a numbered text as their
// description; their callers catch them and show the text.
#include <stdexcept>
#include <string>

namespace tessed {

inline constexpr int kProjectErrorNumber = 10001;

class ProjectError : public std::runtime_error {
  public:
    explicit ProjectError(const std::string& text) : std::runtime_error(text) {}
    int number() const { return kProjectErrorNumber; }
};

}  // namespace tessed
