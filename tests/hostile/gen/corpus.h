#pragma once
// The generated part of the hostile-input corpus: project archives (binary,
// built from the demo project's scenarios with hostile twists) and inputs far
// larger than any real file. Each input is made on demand into a folder, so a
// test makes only what it runs and nothing big is kept in the tree. Inputs
// named "prj-<stem>.tdj" wrap the committed settings file settings/<stem>.prj
// around the demo's scenario folders; "tdx-<stem>.tdj" puts the committed
// scenario file scenario/<stem>.tdx into the demo project as its first scenario.
#include <filesystem>
#include <string>
#include <vector>

namespace tessed::hostile {

namespace fs = std::filesystem;

struct Sources {
    fs::path corpus;  // tests/hostile/corpus
    fs::path demo;    // examples/demo.tdj
};

// Every input the generator can make, sorted.
std::vector<std::string> GeneratedInputs(const Sources& src);

// Writes the input `name` as folder/name. False with `error` when the name is
// unknown or the demo project cannot be read.
bool MakeInput(const std::string& name, const Sources& src, const fs::path& folder,
               std::string& error);

}  // namespace tessed::hostile
