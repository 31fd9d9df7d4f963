#pragma once
// The tessed command: the reference host of the Edit class.
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace tessed::cli {

struct Options {
    std::string dataDir, documentsDir, lang, host;
    bool modal = false;
    // `device` only: the slot area and the host's gateway address.
    std::optional<std::string> area, gateway;
    std::vector<std::string> args;  // the command word and its arguments
};

// Parses the global options wherever they stand; false with a message in
// `error` for a malformed line.
bool Parse(const std::vector<std::string>& argv, Options& out, std::string& error);

int Run(const std::vector<std::string>& argv, std::ostream& out, std::ostream& err);

}  // namespace tessed::cli
