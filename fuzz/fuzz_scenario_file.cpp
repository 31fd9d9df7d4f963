// Any bytes given as a scenario file either parse into tables that format and
// parse again to the same tables, or are refused with a ProjectError. (Writing
// stamps the file with this version's key and version, so only the tables are
// compared.)
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "env/errors.h"
#include "model/scenario_file.h"
#include "model/scenario_json.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessed::scenario;
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        ScenarioFile f = ParseScenarioFile(bytes, "fuzz.tdx");
        std::string again = FormatScenarioFile(f);
        ScenarioFile g = ParseScenarioFile(again, "again.tdx");
        auto tables = [](const ScenarioFile& x) {
            std::string d = ScenarioJson(x);
            return d.substr(d.find("\"tables\""));
        };
        if (tables(f) != tables(g)) {
            std::fprintf(stderr, "first reading:\n%s\nsecond reading:\n%s\n",
                         ScenarioJson(f).c_str(), ScenarioJson(g).c_str());
            std::abort();
        }
    } catch (const tessed::ProjectError&) {
    }
    return 0;
}
