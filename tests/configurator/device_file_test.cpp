// Device files and drop texts: what is read, what is refused with which text,
// and which files are never read at all.
#include "configurator/device_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "env/texts.h"
#include "support/test_env.h"

using namespace tessed;
using namespace tessed::configurator;
using namespace tessed::test;

namespace {

// A device file: `object` inside DRAGGEDELEMENTS/DEVICE/OBJECT, `before`
// ahead of the device (a gateway).
std::string Device(const std::string& object, const std::string& before = {}) {
    return "<?xml version=\"1.0\"?>\n<DRAGGEDELEMENTS>" + before + "<DEVICE><OBJECT>" + object +
           "</OBJECT></DEVICE></DRAGGEDELEMENTS>\n";
}

std::string Gateway(const std::string& keyObject, const std::string& sysAddress) {
    std::string conf = "<CONF><KEYCONF>USERDESCRIPTION</KEYCONF><KEYVALUE>Home</KEYVALUE></CONF>";
    if (!sysAddress.empty())
        conf += "<CONF><KEYCONF>SYSADDRESS</KEYCONF><KEYVALUE>" + sysAddress + "</KEYVALUE></CONF>";
    return "<GATEWAY><DEVICE><OBJECT><KEYOBJECT>" + keyObject + "</KEYOBJECT><CONFTABLE>" + conf +
           "</CONFTABLE></OBJECT></DEVICE></GATEWAY>";
}

std::string Value(const DeviceFile& f, const char* name) {
    if (!f.device->ConfTable) return "<no table>";
    auto v = f.device->ConfTable->Item(name);
    return v ? *v : "<missing>";
}

}  // namespace

TEST(DeviceFile, ReadsEveryElementInAnyCase) {
    FixtureEnv env;
    DeviceFile f = ParseDeviceFile(
        "<draggedElements><Device><object>"
        "<KeyObject> 12abc </KeyObject><userdescription> Kitchen </userdescription>"
        "<BUSLEVEL>4</BUSLEVEL><systemtype>automation</systemtype><i1>3</i1><I2>x</I2>"
        "<CONFTABLE><CONF><KEYCONF>stale</KEYCONF><KEYVALUE>1</KEYVALUE></CONF></CONFTABLE>"
        "<conftable>"
        "<conf><keyconf>a</keyconf><keyvalue>1</keyvalue></conf>"
        "<CONF><KEYCONF>PL</KEYCONF><KEYVALUE></KEYVALUE></CONF>"
        "<CONF><KEYCONF>MODO</KEYCONF><KEYVALUE><![CDATA[POSIZIONE]]></KEYVALUE>"
        "<KEYPAR><PARCONF>sla</PARCONF><PARVALUE>2</PARVALUE>"
        "<PARCONF></PARCONF><PARVALUE>9</PARVALUE>"
        "<PARCONF>EMPTY</PARCONF><PARVALUE></PARVALUE></KEYPAR></CONF>"
        "<CONF><KEYVALUE>nameless</KEYVALUE></CONF>"
        "</conftable><UNKNOWN>ignored</UNKNOWN>"
        "</object></Device></draggedElements>",
        0);
    ASSERT_TRUE(f.ok()) << f.detail;
    const cObjOleDrag& d = *f.device;
    EXPECT_EQ(d.ID_KO, 12);
    EXPECT_EQ(d.USERDESCRIPTION, "Kitchen");
    EXPECT_EQ(d.BUS_LEVEL, 4);
    EXPECT_EQ(d.KEY_SYSTEM, "AUTOMATION");
    EXPECT_EQ(d.I1, 3);
    EXPECT_EQ(d.I2, 0);
    // A CONFTABLE starts afresh; an empty KEYVALUE and a nameless value add
    // nothing; a named empty PARVALUE is a value.
    ASSERT_TRUE(d.ConfTable);
    EXPECT_EQ(d.ConfTable->Count(), 4);
    EXPECT_EQ(d.ConfTable->KeyAt(1), "A");
    EXPECT_EQ(Value(f, "A"), "1");
    EXPECT_EQ(Value(f, "PL"), "<missing>");
    EXPECT_EQ(Value(f, "MODO"), "POSIZIONE");
    EXPECT_EQ(Value(f, "SLA"), "2");
    EXPECT_EQ(Value(f, "EMPTY"), "");
    EXPECT_EQ(Value(f, "STALE"), "<missing>");
}

TEST(DeviceFile, GatewayIsCheckedAgainstTheHost) {
    FixtureEnv env;
    const std::string object = "<KEYOBJECT>1</KEYOBJECT>";
    DeviceFile same = ParseDeviceFile(Device(object, Gateway("150", "7")), 7);
    ASSERT_TRUE(same.ok()) << same.detail;
    ASSERT_EQ(same.gateways.size(), 1u);
    EXPECT_EQ(same.gateways[0].USERDESCRIPTION, "Home");
    EXPECT_EQ(same.gateways[0].Address(), 7);

    struct {
        std::string bytes;
        int64_t host;
        long text;
    } refused[] = {
        {Device(object, Gateway("150", "7")), 0, kTextOtherGateway},
        {Device(object, Gateway("150", "")), 3, kTextOtherGateway},  // no address reads as 0
        {Device(object, Gateway("151", "7")), 7, kTextGatewayUnreadable},
        {Device(object,
                "<GATEWAY><DEVICE><OBJECT><KEYOBJECT>150</KEYOBJECT></OBJECT></DEVICE>"
                "</GATEWAY>"),
         0, kTextGatewayUnreadable},
        // A gateway after the device still refuses it.
        {"<DRAGGEDELEMENTS><DEVICE><OBJECT>" + object + "</OBJECT></DEVICE>" + Gateway("150", "2") +
             "</DRAGGEDELEMENTS>",
         0, kTextOtherGateway},
    };
    for (const auto& c : refused) {
        DeviceFile f = ParseDeviceFile(c.bytes, c.host);
        EXPECT_EQ(f.status, DeviceFile::Status::kRefused) << c.bytes;
        EXPECT_EQ(f.errorText, texts::GetText(c.text)) << c.bytes;
        EXPECT_EQ(f.device->ID_KO, 0) << "nothing read is kept";
    }
}

TEST(DeviceFile, RefusesWhatIsNoDeviceFile) {
    FixtureEnv env;
    std::string deep = "<DRAGGEDELEMENTS>";
    for (int i = 0; i < 5000; ++i) deep += "<a>";
    for (int i = 0; i < 5000; ++i) deep += "</a>";
    deep += "</DRAGGEDELEMENTS>";
    struct {
        std::string bytes;
        std::string text;
    } cases[] = {
        {"not xml at all", texts::GetText(kTextNotADeviceFile)},
        {"<DRAGGEDELEMENTS><DEVICE>", texts::GetText(kTextNotADeviceFile)},
        {"<?xml version=\"1.0\"?><!DOCTYPE d [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>" +
             Device("<KEYOBJECT>1</KEYOBJECT><USERDESCRIPTION>&x;</USERDESCRIPTION>"),
         texts::GetText(kTextNotADeviceFile)},
        {deep, texts::GetText(kTextNotADeviceFile)},
        {std::string(kMaxDeviceFileSize + 1, ' '), texts::GetText(kTextNotADeviceFile)},
        {"<OTHER><DEVICE><OBJECT><KEYOBJECT>1</KEYOBJECT></OBJECT></DEVICE></OTHER>",
         texts::GetText(kTextNoKeyObject)},
        {Device("<USERDESCRIPTION>x</USERDESCRIPTION>"), texts::GetText(kTextNoKeyObject)},
        {Device("<KEYOBJECT>1</KEYOBJECT><CONFTABLE><CONF><KEYCONF>a</KEYCONF><KEYVALUE>1"
                "</KEYVALUE></CONF><CONF><KEYCONF>A</KEYCONF><KEYVALUE>2</KEYVALUE></CONF>"
                "</CONFTABLE>"),
         texts::Format(texts::GetText(kTextDuplicateValue), {"A"})},
    };
    for (const auto& c : cases) {
        DeviceFile f = ParseDeviceFile(c.bytes, 0);
        EXPECT_EQ(f.status, DeviceFile::Status::kRefused) << c.bytes.substr(0, 80);
        EXPECT_EQ(f.errorText, c.text) << c.bytes.substr(0, 80);
        EXPECT_FALSE(f.detail.empty());
    }
}

TEST(DeviceFile, DropTextNamesExactlyTwoItems) {
    struct {
        const char* text;
        std::optional<std::string> path;
    } cases[] = {
        {"LX,/data/LX/Drag/d1.xml", "/data/LX/Drag/d1.xml"},
        {"x,/a b/d.xml\r\n", "/a b/d.xml"},
        {",/d.xml", "/d.xml"},
        {"x,/a,b.xml", std::nullopt},  // three items
        {"a,b,c", std::nullopt},
        {"/d.xml", std::nullopt},
        {"x,", std::nullopt},
        {"x,  \t", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseDropText(c.text), c.path) << c.text;
    EXPECT_EQ(ParseDropText(std::string("x,/d.xml\0\0", 10)), "/d.xml");
}

TEST(DeviceFile, OnlyBoundedRegularFilesAreRead) {
    FixtureEnv env;
    TempDir dir;
    const std::string good = Device("<KEYOBJECT>5</KEYOBJECT>");
    WriteText(dir / "d.xml", good);
    EXPECT_TRUE(ReadDeviceFile((dir / "d.xml").string(), 0).ok());
    // A link to a device file is read; a link to anything else is not.
    fs::create_symlink(dir / "d.xml", dir / "link.xml");
    EXPECT_TRUE(ReadDeviceFile((dir / "link.xml").string(), 0).ok());

    ASSERT_EQ(::mkfifo((dir / "fifo.xml").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", dir / "zero.xml");
    fs::create_directories(dir / "folder.xml");
    {
        // Larger than any device file, without writing its bytes.
        int fd = ::open((dir / "huge.xml").c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, off_t(kMaxDeviceFileSize) + 1), 0);
        ::close(fd);
    }
    const std::string never[] = {
        (dir / "fifo.xml").string(),
        (dir / "zero.xml").string(),
        (dir / "folder.xml").string(),
        (dir / "huge.xml").string(),
        (dir / "missing.xml").string(),
        "/dev/null",
        "d.xml",  // relative
        "//server/share/d.xml",
        "\\\\server\\share\\d.xml",
        "smb://server/share/d.xml",
        "",
    };
    for (const std::string& path : never) {
        DeviceFile f = ReadDeviceFile(path, 0);
        EXPECT_EQ(f.status, DeviceFile::Status::kNotAFile) << path;
        EXPECT_TRUE(f.errorText.empty()) << path;
        EXPECT_FALSE(f.detail.empty()) << path;
    }
}
