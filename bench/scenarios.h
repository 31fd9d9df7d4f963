#pragma once
// Scenarios for the benchmarks that need real ones: written through the
// editor's document, so they compile with the built-in compiler.
#include <stdexcept>
#include <string>

#include "model/document.h"

namespace tessed::bench {

// One light trigger, one condition and two actions: a scenario that compiles.
inline void WriteCompilableScenario(const std::string& file) {
    auto& doc = Document();
    doc.NewFile();
    ElementValues e;
    e.ID_OBJ = 1;
    e.CHI_KEY = 1;
    e.COSA_KEY = 1;
    e.DOVE_KEY = 2;
    auto add = [&](const char* table, int area, int64_t cosa) {
        e.area = area;
        e.COSA_KEY = cosa;
        int32_t id = 0;
        if (!doc.InsertIntoPRJ(table, e, id)) throw std::runtime_error("insert failed");
    };
    add("TMP_TRIGGER", 3, 1);
    add("TMP_COND_OK", 4, 1);
    add("TMP_STEP_ACT", 5, 2);
    add("TMP_STEP_ACT", 5, 1);
    doc.SaveAs(file);
}

}  // namespace tessed::bench
