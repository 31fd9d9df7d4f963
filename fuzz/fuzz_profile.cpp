// Any bytes as a settings file read without failing, and a value written into
// them reads back exactly.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "env/files.h"
#include "env/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessed;
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("tessed-fuzz-" + std::to_string(getpid()) + ".ini");
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (!files::WriteFileAtomic(file, bytes)) return 0;
    profile::GetString(file, "GENERALE", "LINGUA", "ITA");
    profile::Keys(file, "FileCfg");
    if (!profile::WriteString(file, "FileCfg", "File1", "/home/u/Villa Rossi.tdj")) std::abort();
    if (profile::GetString(file, "filecfg", "FILE1") != "/home/u/Villa Rossi.tdj") std::abort();
    files::HexToText(bytes);
    return 0;
}
