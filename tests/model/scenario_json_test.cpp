// The JSON form of scenario files: the documented shape, and valid JSON
// whatever bytes the file's texts hold.
#include "model/scenario_json.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "env/files.h"
#include "env/profile.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::scenario;

TEST(ScenarioJson, KeepsTheDocumentedShape) {
    const auto dir = test::SourceFixtures() / "scenarios";
    std::string expected;
    ASSERT_TRUE(files::ReadFile(dir / "windows_shape.json", expected));
    EXPECT_EQ(ScenarioJson(ReadScenarioFile(dir / "windows_shape.tdx")), expected);
}

TEST(ScenarioJson, TextsThatAreNotUtf8BecomeReplacementCharacters) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        {"caf\xE8", "caf" + fffd},
        {"\xFF\xFE", fffd + fffd},
        {"a\xE2\x82", "a" + fffd},
        {"\xED\xA0\x80", fffd + fffd + fffd},
        {"ok \xE2\x82\xAC", "ok \xE2\x82\xAC"},
        {"bell\x07 \"q\" \\", "bell\x07 \"q\" \\"},
    };
    for (const auto& [bytes, text] : cases) {
        SCOPED_TRACE(bytes);
        ScenarioFile f;
        f.key = bytes;
        f.descrizione = bytes;
        f.scenName = bytes;
        // ID, ORDINE, ID_OBJ, DESCRI of an element table.
        f.tables.push_back(
            {"TMP_TRIGGER", {{db::Value(1), db::Value(1), db::Value(8), db::Value(bytes)}}});
        std::string out = ScenarioJson(f);
        ASSERT_TRUE(profile::IsValidUtf8(out));
        nlohmann::json j = nlohmann::json::parse(out);
        EXPECT_EQ(j["key"], text);
        EXPECT_EQ(j["descrizione"], text);
        EXPECT_EQ(j["scen_name"], text);
        EXPECT_EQ(j["tables"]["TMP_TRIGGER"][0]["DESCRI"], text);
        EXPECT_EQ(j["tables"]["TMP_TRIGGER"][0]["IMG"], nullptr);
        EXPECT_EQ(j["abilita"], nullptr);
    }
}
