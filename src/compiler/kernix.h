#pragma once
// The core compiler: turns the scenario loaded in the working tables into the
// controller's compiled scenario file (".spt"), reporting its progress through
// the Operation event. A fresh compiler is created for every scenario.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/commands.h"

namespace tessed::db {
class Database;
}

namespace tessed::compiler {

// Colours of the Operation event, as the log window maps them to its icons.
inline constexpr uint32_t kColourBlue = 0xFF0000;
inline constexpr uint32_t kColourRed = 255;
inline constexpr uint32_t kColourBlack = 0;

// "vbblue", "vbred", "vbblack", or "" for any other colour.
std::string IconKeyForColour(uint32_t colour);

class Kernix {
  public:
    using OperationHandler = std::function<void(const std::string& text, uint32_t colour)>;

    virtual ~Kernix() = default;

    // Compiles the scenario held in the working tables of `connection` into
    // `sptPath`. `status` is -1 on success; otherwise `errorText` says why.
    virtual void Compile(db::Database& connection, const std::string& sptPath,
                         const std::string& text1, const std::string& text2, std::string& errorText,
                         int32_t& status) = 0;

    void setOperationHandler(OperationHandler handler) { operation_ = std::move(handler); }

    // The enable and disable commands of the scenario to compile: they belong
    // to the project's record of it, not to the working tables. Set before
    // Compile; empty records when never set.
    void setCommands(const Abilita& enable, const Disabilita& disable) {
        enable_ = enable;
        disable_ = disable;
    }

  protected:
    // Raises the Operation event.
    void Operation(const std::string& text, uint32_t colour) {
        if (operation_) operation_(text, colour);
    }
    const Abilita& enableCommand() const { return enable_; }
    const Disabilita& disableCommand() const { return disable_; }

  private:
    OperationHandler operation_;
    Abilita enable_;
    Disabilita disable_;
};

// Creates the compiler in use: the program configured in the configuration file
// (section "KERNIX", key "Program"), else the built-in one.
std::unique_ptr<Kernix> CreateKernix();

}  // namespace tessed::compiler
