// `tessed device` on every shipped example device file: what each resolves
// to against the shipped catalogue, as a table.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/test_env.h"

using namespace tessed::test;
using Json = nlohmann::json;

namespace {

const fs::path kExamples = TESSED_EXAMPLES_DIR;

// Runs `tessed device` on a scratch data folder seeded from the build's catalogue.
CommandResult Device(const std::string& args) {
    static TempDir dir;
    return RunCommand("TESSED_DATA_DIR='" + (dir / "data").string() + "' TESSED_DOCUMENTS_DIR='" +
                      (dir / "docs").string() + "' TESSED_SHARE_DIR='" TESSED_BINARY_DIR "' '" +
                      TESSED_EXE "' device " + args + " 2>&1");
}

struct Expected {
    const char* file;
    int area;
    std::vector<int> objects;  // more than one: the user chooses
    // Of the first object; 0 for nothing found.
    int what, where, level;
    const char* description;
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.file << " in area " << e.area; }

int Id(const Json& j) { return j.is_null() ? 0 : j["id"].get<int>(); }

// clang-format off
const Expected kExpected[] = {
    {"light.xml",            5, {1},      0,   23,  1, "Kitchen ceiling"},
    {"light.xml",            3, {1},      0,   23,  1, "Kitchen ceiling"},
    {"dimmer.xml",           3, {42},     7,   31,  1, "Living dimmer"},
    {"dimmer.xml",           4, {42},     7,   31,  1, "Living dimmer"},
    {"dimmer.xml",           5, {1, 42},  0,   31,  1, "Living dimmer"},
    {"shutter.xml",          5, {103},    191, 42,  1, "Bedroom shutter"},
    {"shutter-position.xml", 5, {51},     0,   115, 0, "Studio blind"},
    {"thermostat-probe.xml", 4, {38},     0,   123, 0, "Zone 3 probe"},
    {"thermostat-probe.xml", 5, {37},     0,   123, 0, "Zone 3 probe"},
    {"ambiguous.xml",        5, {1, 42},  0,   15,  1, "Hall dimmer"},
};
// clang-format on

class Example : public ::testing::TestWithParam<Expected> {};

TEST_P(Example, Resolves) {
    const Expected& e = GetParam();
    CommandResult r =
        Device("'" + (kExamples / e.file).string() + "' --area " + std::to_string(e.area));
    ASSERT_EQ(r.code, 0) << r.out;
    Json j = Json::parse(r.out);
    ASSERT_EQ(j["areas"].size(), 1u);
    const Json& area = j["areas"][0];
    EXPECT_EQ(area["area"], e.area);
    EXPECT_EQ(area["ambiguous"], e.objects.size() > 1);
    std::vector<int> objects;
    for (const Json& o : area["objects"]) objects.push_back(o["object"]);
    ASSERT_EQ(objects, e.objects);
    const Json& first = area["objects"][0];
    EXPECT_EQ(Id(first["what"]), e.what);
    EXPECT_EQ(Id(first["where"]), e.where);
    EXPECT_EQ(Id(first["level"]), e.level);
    EXPECT_EQ(first["description"], e.description);
}

INSTANTIATE_TEST_SUITE_P(Shipped, Example, ::testing::ValuesIn(kExpected));

}  // namespace

TEST(ExampleDevices, EveryAreaItResolvesInIsListed) {
    CommandResult r = Device("'" + (kExamples / "light.xml").string() + "'");
    ASSERT_EQ(r.code, 0) << r.out;
    Json j = Json::parse(r.out);
    std::vector<int> areas;
    for (const Json& a : j["areas"]) areas.push_back(a["area"]);
    EXPECT_EQ(areas, (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(j["device"]["key_object"], 1);
    EXPECT_EQ(j["device"]["configuration"], (Json{{"A", "2"}, {"PL", "3"}}));
    EXPECT_EQ(j["gateways"][0]["sys_address"], "0");

    Json probe =
        Json::parse(Device("'" + (kExamples / "thermostat-probe.xml").string() + "' --area 4").out);
    EXPECT_EQ(probe["areas"][0]["objects"][0]["probe"], 2);
}

TEST(ExampleDevices, AnotherGatewaysDeviceIsRefused) {
    const std::string file = "'" + (kExamples / "other-gateway.xml").string() + "'";
    CommandResult refused = Device(file);
    EXPECT_EQ(refused.code, 2);
    EXPECT_NE(refused.out.find("not a usable device file: the gateway's address 7 is not the "
                               "host's 0"),
              std::string::npos)
        << refused.out;
    CommandResult accepted = Device(file + " --gateway 7 --area 5");
    ASSERT_EQ(accepted.code, 0) << accepted.out;
    EXPECT_EQ(Json::parse(accepted.out)["areas"][0]["objects"][0]["where"]["id"], 61);
}

TEST(ExampleDevices, MalformedLinesAreUsageErrors) {
    const std::string file = "'" + (kExamples / "light.xml").string() + "'";
    for (const std::string& args : {file + " --area 7", file + " --area x", file + " --gateway",
                                    file + " --gateway 1e3", std::string()})
        EXPECT_EQ(Device(args).code, 2) << args;
    EXPECT_EQ(RunCommand("'" TESSED_EXE "' canrun --area 5 2>&1").code, 2);
}
