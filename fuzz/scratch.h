#pragma once
// A folder of the fuzz target's own under the temporary folder, made at the
// first use and removed with everything in it when the process ends, so that
// millions of inputs leave nothing behind and two targets never share files.
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace tessed::fuzz {

inline const std::filesystem::path& ScratchRoot() {
    // Never destroyed, so that the removal at exit still finds it.
    static const std::filesystem::path* root = [] {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tessed-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        auto* p = new std::filesystem::path(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(*root, ec);
        });
        return p;
    }();
    return *root;
}

// Removes what a folder holds and keeps the folder itself.
inline void EmptyFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
        std::error_code ec2;
        std::filesystem::remove_all(e.path(), ec2);
    }
}

}  // namespace tessed::fuzz
