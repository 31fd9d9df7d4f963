#pragma once
// The outcome of one of the core's own operations: success, or the number of
// the text (label table) that tells the user what went wrong, with a detail
// (a file name, the system's own reason) for the message and the log.
//
// The shapes that files, hosts and callers of the host class rely on (True and
// False, the 0/1/2/3 codes of the batch jobs, "" for a successful save, the -1
// status of the compiler, the 10001 project error) stay where they are and are
// made from a Result at that boundary; inside the core an operation that can
// fail says so with a Result and never throws into a caller that cannot catch.
#include <string>
#include <utility>

namespace tessed {

class [[nodiscard]] Result {
  public:
    static Result Ok() { return Result(); }
    static Result Fail(long textId, std::string detail = {}) {
        Result r;
        r.text_ = textId;
        r.detail_ = std::move(detail);
        return r;
    }

    bool ok() const { return text_ == 0; }
    explicit operator bool() const { return ok(); }
    // The number of the text that explains the failure; 0 on success.
    long text() const { return text_; }
    const std::string& detail() const { return detail_; }
    // The text in the current language, a carriage return and the detail when
    // there is one; "" on success.
    std::string message() const;

  private:
    Result() = default;
    long text_ = 0;
    std::string detail_;
};

}  // namespace tessed
