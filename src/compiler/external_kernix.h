#pragma once
// A core compiler that is a separate program, configured in the configuration
// file (section "KERNIX", key "Program"). It is started without a shell as
//   PROGRAM SCENARIO.tdx OUTPUT.spt TEXT1 TEXT2
// where SCENARIO.tdx is the scenario file beside OUTPUT.spt that holds the
// loaded scenario. Each line it prints becomes an Operation event (red when it
// starts with "error:", black otherwise); exit status 0 with OUTPUT.spt
// written during the run means compiled; status 0 without it, or any other
// status, failed, with the first "error:" line (or the last line) as the
// error text.
#include <string>

#include "compiler/kernix.h"

namespace tessed::compiler {

class ExternalKernix : public Kernix {
  public:
    explicit ExternalKernix(std::string program) : program_(std::move(program)) {}

    void Compile(db::Database& connection, const std::string& sptPath, const std::string& text1,
                 const std::string& text2, std::string& errorText, int32_t& status) override;

    const std::string& program() const { return program_; }

  private:
    std::string program_;
};

// The configured program, "" when the built-in compiler is in use.
std::string ConfiguredKernixProgram();

}  // namespace tessed::compiler
