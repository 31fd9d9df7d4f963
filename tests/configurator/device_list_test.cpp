// The device browser's list: which files of a folder it reads, what each
// resolves to in every area, and the drop text it drags.
#include "configurator/device_list.h"

#include "configurator/device_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "env/environment.h"
#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::configurator;
using namespace tessed::test;
using Status = DeviceListEntry::Status;

namespace {

std::string Device(const std::string& object, const std::string& gateway = {}) {
    return "<DRAGGEDELEMENTS>" + gateway + "<DEVICE><OBJECT>" + object +
           "</OBJECT></DEVICE></DRAGGEDELEMENTS>";
}

const char* kLight =
    "<KEYOBJECT>90</KEYOBJECT><SYSTEMTYPE>automation</SYSTEMTYPE>"
    "<USERDESCRIPTION>Kitchen</USERDESCRIPTION><CONFTABLE>"
    "<CONF><KEYCONF>A</KEYCONF><KEYVALUE>1</KEYVALUE></CONF></CONFTABLE>";

std::vector<std::string> Names(const std::vector<std::string>& paths) {
    std::vector<std::string> out;
    for (const auto& p : paths) out.push_back(fs::path(p).filename().string());
    return out;
}

}  // namespace

TEST(DeviceList, ListsTheRegularXmlFilesOfTheFolderByName) {
    TempDir dir;
    for (const char* name : {"b.xml", "A.XML", "c.Xml", "notes.txt", "xml"})
        WriteText(dir / name, "x");
    fs::create_directory(dir / "folder.xml");
    ASSERT_EQ(::mkfifo((dir / "pipe.xml").c_str(), 0600), 0);
    fs::create_symlink(dir / "b.xml", dir / "link.xml");
    // A pipe is never opened (it would block the reader), a folder never read.
    EXPECT_EQ(Names(DeviceFilesIn(dir.path())),
              (std::vector<std::string>{"A.XML", "b.xml", "c.Xml", "link.xml"}));
    EXPECT_TRUE(DeviceFilesIn(dir / "missing").empty());
    EXPECT_TRUE(DeviceFilesIn(dir / "b.xml").empty());
}

TEST(DeviceList, DropTextNamesTheFileOnlyWhenTheDropReadsItBack) {
    EXPECT_EQ(DropTextFor("/data/LX/Drag/light.xml"), "LX,/data/LX/Drag/light.xml");
    EXPECT_EQ(DropTextFor("/data/my devices/light.xml"), "LX,/data/my devices/light.xml");
    // A comma makes three items, blanks at the ends are trimmed by the drop.
    EXPECT_EQ(DropTextFor("/data/a,b.xml"), std::nullopt);
    EXPECT_EQ(DropTextFor("/data/light.xml "), std::nullopt);
    EXPECT_EQ(DropTextFor(""), std::nullopt);
}

TEST(DeviceList, EntriesSayWhatADropWouldDoInEachArea) {
    FixtureEnv env(true, "ENG");
    TempDir dir;
    WriteText(dir / "light.xml", Device(kLight));
    DeviceListEntry light =
        DescribeDeviceFile((dir / "light.xml").string(), env::Env().master(), 0);
    EXPECT_EQ(light.status, Status::kRead);
    EXPECT_EQ(light.name, "light.xml");
    EXPECT_EQ(light.description, "Kitchen");
    EXPECT_EQ(light.keyObject, 90);
    EXPECT_EQ(light.keySystem, "AUTOMATION");
    EXPECT_EQ(light.dropText, "LX," + (dir / "light.xml").string());
    // Associations 901 (events) and 900 (actions), nothing in the conditions.
    EXPECT_TRUE(light.ResolvesIn(3));
    EXPECT_TRUE(light.ResolvesIn(5));
    EXPECT_FALSE(light.ResolvesIn(4));
    EXPECT_FALSE(light.ResolvesIn(0));
    EXPECT_EQ(light.Objects(), "Light");
    EXPECT_EQ(light.Families(), "Lights");
    EXPECT_EQ(light.AreaSummary(),
              texts::GetText(1016) + ": Light\n" + texts::GetText(1021) + ": Light");

    // Two objects without a condition: both offered, as the choice would.
    WriteText(dir / "dimmer.xml",
              Device("<KEYOBJECT>92</KEYOBJECT><SYSTEMTYPE>AUTOMATION</SYSTEMTYPE>"));
    DeviceListEntry dimmer =
        DescribeDeviceFile((dir / "dimmer.xml").string(), env::Env().master(), 0);
    ASSERT_EQ(dimmer.areas.size(), 1u);
    EXPECT_TRUE(dimmer.areas[0].ambiguous);
    EXPECT_EQ(dimmer.Objects(), "Light, Dimmer");
    EXPECT_EQ(dimmer.Families(), "Lights");
    EXPECT_EQ(dimmer.AreaSummary(), texts::GetText(1021) + ": Light / Dimmer");

    // A key object of no association: read, but it resolves nowhere.
    WriteText(dir / "none.xml",
              Device("<KEYOBJECT>7</KEYOBJECT><SYSTEMTYPE>AUTOMATION</SYSTEMTYPE>"));
    DeviceListEntry none = DescribeDeviceFile((dir / "none.xml").string(), env::Env().master(), 0);
    EXPECT_EQ(none.status, Status::kRead);
    EXPECT_TRUE(none.areas.empty());
    EXPECT_EQ(none.Objects(), "");
    EXPECT_EQ(none.AreaSummary(), "");
}

TEST(DeviceList, RefusedAndUnreadFilesSayWhy) {
    FixtureEnv env(true, "ENG");
    TempDir dir;
    const std::string gateway =
        "<GATEWAY><DEVICE><OBJECT><KEYOBJECT>150</KEYOBJECT><CONFTABLE><CONF><KEYCONF>"
        "SYSADDRESS</KEYCONF><KEYVALUE>7</KEYVALUE></CONF></CONFTABLE></OBJECT></DEVICE>"
        "</GATEWAY>";
    WriteText(dir / "other.xml", Device(kLight, gateway));
    db::Database& db = env::Env().master();
    DeviceListEntry other = DescribeDeviceFile((dir / "other.xml").string(), db, 0);
    EXPECT_EQ(other.status, Status::kRefused);
    EXPECT_EQ(other.message, texts::GetText(1116));
    EXPECT_TRUE(other.areas.empty());
    EXPECT_EQ(other.description, "");
    // The host's own gateway reads it.
    EXPECT_EQ(DescribeDeviceFile((dir / "other.xml").string(), db, 7).status, Status::kRead);

    WriteText(dir / "junk.xml", "<DRAGGEDELEMENTS>");
    DeviceListEntry junk = DescribeDeviceFile((dir / "junk.xml").string(), db, 0);
    EXPECT_EQ(junk.status, Status::kRefused);
    EXPECT_EQ(junk.message, texts::GetText(1930));

    // Larger than any device file: a drop would ignore it, so it is not read.
    WriteText(dir / "huge.xml", std::string(kMaxDeviceFileSize + 1, ' '));
    DeviceListEntry huge = DescribeDeviceFile((dir / "huge.xml").string(), db, 0);
    EXPECT_EQ(huge.status, Status::kNotRead);
    EXPECT_EQ(huge.message, texts::GetText(1930));
    EXPECT_EQ(DescribeDeviceFile((dir / "gone.xml").string(), db, 0).status, Status::kNotRead);
}
