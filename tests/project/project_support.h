#pragma once
// Helpers of the project tests: scenario files made through the document, and
// settings files written by hand as other versions of the component wrote them.
#include <filesystem>
#include <fstream>
#include <string>

#include "env/files.h"
#include "model/document.h"
#include "project/validation.h"

namespace tessed::test {

// A scenario file that compiles with the fixture catalogue: one light trigger
// and one light action.
inline void WriteScenario(const std::filesystem::path& file, const std::string& name,
                          const std::string& description = {}) {
    std::filesystem::create_directories(file.parent_path());
    auto& doc = Document();
    doc.NewFile();
    ElementValues t;
    t.ID_OBJ = 1;
    t.CHI_KEY = 1;
    t.COSA_KEY = 1;
    t.DOVE_KEY = 2;
    t.area = 3;
    int32_t id = 0;
    doc.InsertIntoPRJ("TMP_TRIGGER", t, id);
    ElementValues a = t;
    a.COSA_KEY = 2;
    a.area = 5;
    id = 0;
    doc.InsertIntoPRJ("TMP_STEP_ACT", a, id);
    doc.SetDescription(description);
    doc.SaveAs(file.string());
    project::PrintName2Script(file.string(), name);
}

// A scenario file with the given signature and version, written as text.
inline void WriteScenarioHeader(const std::filesystem::path& file, const std::string& key,
                                int major, int minor, int revision,
                                const std::string& name = "Hall") {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n<key>" << key
                        << "</key>\n<app_MAJOR>" << major << "</app_MAJOR>\n<app_Minor>" << minor
                        << "</app_Minor>\n<app_Revision>" << revision
                        << "</app_Revision>\n<descrizione>Hall lights</descrizione>\n<scen_name>"
                        << name << "</scen_name>\n<project/>\n</root>\n";
}

}  // namespace tessed::test
