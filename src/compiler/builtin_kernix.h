#pragma once
// The built-in core compiler. It checks the scenario the way a controller would
// reject it and, when nothing is wrong, writes the compiled scenario file: a
// deterministic, versioned text format (docs/compiled-scenario.md) holding
// everything the controller needs to run the scenario.
#include <string>
#include <vector>

#include "compiler/kernix.h"

namespace tessed::compiler {

// The most elements a trigger, stop-trigger or condition group may hold.
inline constexpr int kGroupLimit = 20;
// The version written in the "format" line of the compiled file.
inline constexpr int kSptFormatVersion = 1;

class BuiltinKernix : public Kernix {
  public:
    void Compile(db::Database& connection, const std::string& sptPath, const std::string& text1,
                 const std::string& text2, std::string& errorText, int32_t& status) override;

    // The findings of the last compile, in the order they were reported.
    const std::vector<std::string>& findings() const { return findings_; }

    // The compiled text for the scenario loaded in `connection`, without
    // checks; exposed so that tests can compare runs.
    static std::string Render(db::Database& connection, const Abilita& enable,
                              const Disabilita& disable, const std::string& text1,
                              const std::string& text2);

  private:
    void check(db::Database& connection);
    void report(const std::string& text);

    std::vector<std::string> findings_;
};

}  // namespace tessed::compiler
