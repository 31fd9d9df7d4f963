#include "model/rowset.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace tessed::rowset {
namespace {

// The shape the Windows data-access library writes, with its habits: tabs,
// single quotes, hexadecimal character references, a row tag wrapped over two
// lines, columns listed out of their number order, omitted Nulls.
constexpr const char* kWindowsRowset =
    "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\n"
    "\txmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882'\n"
    "\txmlns:rs='urn:schemas-microsoft-com:rowset'\n"
    "\txmlns:z='#RowsetSchema'>\n"
    "<s:Schema id='RowsetSchema'>\n"
    "\t<s:ElementType name='row' content='eltOnly' rs:updatable='true'>\n"
    "\t\t<s:AttributeType name='DESCRI' rs:number='4' rs:nullable='true' rs:write='true'>\n"
    "\t\t\t<s:datatype dt:type='string' dt:maxLength='255'/>\n"
    "\t\t</s:AttributeType>\n"
    "\t\t<s:AttributeType name='ID' rs:number='1' rs:write='true'>\n"
    "\t\t\t<s:datatype dt:type='int' dt:maxLength='4' rs:precision='10' "
    "rs:fixedlength='true' rs:maybenull='false'/>\n"
    "\t\t</s:AttributeType>\n"
    "\t\t<s:AttributeType name='CUSTOM' rs:number='18' rs:write='true'>\n"
    "\t\t\t<s:datatype dt:type='boolean' dt:maxLength='2' rs:fixedlength='true' "
    "rs:maybenull='false'/>\n"
    "\t\t</s:AttributeType>\n"
    "\t\t<s:AttributeType name='ORDINE' rs:number='2' rs:write='true'>\n"
    "\t\t\t<s:datatype dt:type='i4' dt:maxLength='4'/>\n"
    "\t\t</s:AttributeType>\n"
    "\t\t<s:Extends type='rs:rowbase'/>\n"
    "\t</s:ElementType>\n"
    "</s:Schema>\n"
    "<rs:data>\n"
    "\t<z:row ID='1' ORDINE='1' DESCRI='&#x27;Sera&#x27; &#x26; &#x3c;notte&#x3e;&#xd;&#xa;"
    "Caff\xC3\xA8' CUSTOM='True'/>\n"
    "\t<z:row DESCRI='' ID='2'\n"
    "\t\t ORDINE='2' CUSTOM='False'/>\n"
    "\t<z:row ID='6'/>\n"
    "</rs:data>\n"
    "</xml>\n";

TEST(RowsetReader, TakesTheWindowsLibraryShape) {
    Rowset rs = ParseRowset(kWindowsRowset);
    std::vector<std::string> names;
    for (const auto& c : rs.columns) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"ID", "ORDINE", "DESCRI", "CUSTOM"}));
    ASSERT_EQ(rs.rows.size(), 3u);
    EXPECT_EQ(rs.rows[0][2].toText(), "'Sera' & <notte>\r\nCaff\xC3\xA8");
    EXPECT_EQ(rs.rows[0][3], db::Value(true));
    EXPECT_EQ(rs.rows[1][2], db::Value(""));
    EXPECT_FALSE(rs.rows[1][2].isNull()) << "an empty text is not Null";
    EXPECT_EQ(rs.rows[1][1], db::Value(2));
    EXPECT_EQ(rs.rows[1][3], db::Value(false));
    // maybenull='false' never rejects an omitted value.
    EXPECT_EQ(rs.rows[2], (std::vector<db::Value>{6, {}, {}, {}}));

    TableRows t = ToTableRows(rs, "tmp_cond_ok");
    ASSERT_EQ(t.size(), 3u);
    ASSERT_EQ(t[0].size(), schema::kElementColumns.size());
    EXPECT_EQ(t[0][0], db::Value(1));
    EXPECT_EQ(t[0][17], db::Value(true));  // CUSTOM
    EXPECT_TRUE(t[0][2].isNull()) << "a column the rowset lacks is Null";
}

TEST(RowsetReader, ResolvesByNamespaceNotPrefix) {
    // Other prefixes, double quotes, the rowset namespace as the default one,
    // and an element in a look-alike namespace that must be ignored.
    const char* text =
        "<x:xml xmlns:x=\"urn:anything\" xmlns:a=\"uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882\" "
        "xmlns:b=\"uuid:C2F41010-65B3-11d1-A29F-00AA00C14882\" "
        "xmlns=\"urn:schemas-microsoft-com:rowset\" xmlns:rs=\"urn:other\">"
        "<a:Schema><a:ElementType name=\"rec\"><a:AttributeType name=\"ID_OPE\" number=\"9\">"
        "<a:datatype b:type=\"int\"/></a:AttributeType>"
        "<a:AttributeType name=\"ID1\"/></a:ElementType></a:Schema>"
        "<data><rec xmlns=\"#RowsetSchema\" ID_OPE=\"3\" ID1=\"x\"/><rs:data/>"
        "<delete><rec xmlns=\"#RowsetSchema\" ID_OPE=\"4\"/></delete></data></x:xml>";
    Rowset rs = ParseRowset(text);
    ASSERT_EQ(rs.rows.size(), 1u);
    EXPECT_EQ(rs.rows[0][rs.columnIndex("ID_OPE")], db::Value(3));
    EXPECT_EQ(rs.rows[0][rs.columnIndex("ID1")], db::Value("x"))
        << "a column without a type is a text";
}

TEST(RowsetReader, UpdateInsertDeleteSectionsAndAliases) {
    const char* text =
        "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' "
        "xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882' "
        "xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'>"
        "<s:Schema id='RowsetSchema'><s:ElementType name='row' content='eltOnly'>"
        "<s:AttributeType name='ID' rs:number='1'><s:datatype dt:type='int'/></s:AttributeType>"
        "<s:AttributeType name='c1' rs:name='KEY OPT' rs:number='2'/>"
        "<s:AttributeType name='DESCRI' rs:number='3'/>"
        "<s:extends type='rs:rowbase'/></s:ElementType></s:Schema>"
        "<rs:data>"
        "<z:row ID='1' c1='a' DESCRI='one'/>"
        "<rs:update><rs:original><z:row ID='2' c1='b' DESCRI='two'/></rs:original>"
        "<z:row DESCRI='TWO' rs:forcenull='c1'/></rs:update>"
        "<rs:insert><z:row ID='3' DESCRI='three'/></rs:insert>"
        "<rs:delete><z:row ID='4'/></rs:delete>"
        "</rs:data></xml>";
    Rowset rs = ParseRowset(text);
    ASSERT_EQ(rs.rows.size(), 3u);
    EXPECT_EQ(rs.columns[1].name, "KEY OPT");
    EXPECT_EQ(rs.rows[0][1], db::Value("a"));
    EXPECT_EQ(rs.rows[1][0], db::Value(2));
    EXPECT_TRUE(rs.rows[1][1].isNull()) << "forced Null";
    EXPECT_EQ(rs.rows[1][2], db::Value("TWO"));
    EXPECT_EQ(rs.rows[2][0], db::Value(3));
}

TEST(RowsetReader, NumericKeysArriveAsIntFloatOrText) {
    const char* text =
        "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' "
        "xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882' "
        "xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'><s:Schema>"
        "<s:ElementType name='row'>"
        "<s:AttributeType name='CHI_KEY'><s:datatype dt:type='float'/></s:AttributeType>"
        "<s:AttributeType name='COSA_KEY'><s:datatype dt:type='string'/></s:AttributeType>"
        "<s:AttributeType name='DOVE_KEY'><s:datatype dt:type='i2'/></s:AttributeType>"
        "<s:AttributeType name='REPEAT'><s:datatype dt:type='int'/></s:AttributeType>"
        "</s:ElementType></s:Schema><rs:data>"
        "<z:row CHI_KEY='1.0' COSA_KEY=' 12 ' DOVE_KEY='7' REPEAT='-1'/>"
        "<z:row CHI_KEY='2.6E1' COSA_KEY='' DOVE_KEY='0' REPEAT='0'/>"
        "</rs:data></xml>";
    TableRows t = ToTableRows(ParseRowset(text), "TMP_STEP_ACT");
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(t[0][5].isInt());
    EXPECT_EQ((std::vector{t[0][5], t[0][6], t[0][7], t[0][19]}),
              (std::vector<db::Value>{1, 12, 7, true}));
    EXPECT_EQ(t[1][5], db::Value(26));
    EXPECT_TRUE(t[1][6].isNull()) << "an empty text in a number column is no number";
    EXPECT_EQ(t[1][19], db::Value(false));
}

TEST(RowsetReader, MalformedRowsetsFailWithAClearMessage) {
    std::string good = kWindowsRowset;
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        auto at = s.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return s.replace(at, from.size(), to);
    };
    auto message = [](const std::string& text) {
        try {
            ParseRowset(text);
        } catch (const RowsetError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    EXPECT_NE(message(good.substr(0, good.size() / 2)).find("not XML"), std::string::npos);
    EXPECT_NE(message(replaced("ID='2'", "ID='two'")).find("row 2, column ID"), std::string::npos);
    EXPECT_NE(message(replaced("CUSTOM='True'", "CUSTOM='yes'")).find("CUSTOM"), std::string::npos);
    EXPECT_NE(message(replaced("ID='2'", "ID='2' ID='3'")).find("twice"), std::string::npos);
    std::string noData = good;
    for (auto at = noData.find("rs:data>"); at != std::string::npos; at = noData.find("rs:data>"))
        noData.replace(at, 8, "rs:rows>");
    EXPECT_NE(message(noData).find("data section"), std::string::npos);
    EXPECT_NE(message("<xml><rs:data/></xml>").find("schema"), std::string::npos);
    EXPECT_NE(message(replaced("name='ORDINE'", "name='ID'")).find("twice"), std::string::npos);
    EXPECT_NE(message("<other/>").find("not a rowset"), std::string::npos);

    // A value in a column of the wrong kind for the table.
    std::string text =
        replaced("<s:datatype dt:type='i4' dt:maxLength='4'/>", "<s:datatype dt:type='string'/>");
    text.replace(text.find("ORDINE='1'"), 10, "ORDINE='first'");
    Rowset rs = ParseRowset(text);
    try {
        ToTableRows(rs, "TMP_TRIGGER");
        ADD_FAILURE() << "a text in ORDINE must be refused";
    } catch (const RowsetError& e) {
        EXPECT_NE(std::string(e.what()).find("row 1, column ORDINE"), std::string::npos);
    }
    EXPECT_THROW(ToTableRows(rs, "ANA_LABELS"), RowsetError);
}

TEST(RowsetWriter, WritesTheLibraryShapeAndReadsBack) {
    TableRows rows(3, std::vector<db::Value>(schema::kElementColumns.size()));
    rows[0][0] = 1;
    rows[0][1] = 1;
    rows[0][3] = "\"Luce\" 'A' & <B>\r\n\tn\xC3\xBCmero \xE2\x82\xAC";
    rows[0][17] = true;
    rows[1][0] = 2;
    rows[1][3] = "";
    rows[1][17] = false;
    rows[2][0] = 3;
    rows[2][16] = std::string(300, 'x');  // longer than a text column holds
    std::string xml = WriteRowset("tmp_step_act", rows);

    EXPECT_EQ(xml.rfind("<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882'\n", 0), 0u);
    // In the last row Nulls are omitted, an empty text is not.
    test::ExpectContains(
        xml,
        {"\t\t<s:AttributeType name='ID' rs:number='1' rs:nullable='true' rs:maydefer='true' "
         "rs:write='true' rs:basetable='TMP_STEP_ACT' rs:basecolumn='ID'>\n\t\t\t"
         "<s:datatype dt:type='int' dt:maxLength='4' rs:precision='10' rs:fixedlength='true'/>",
         "name='CUSTOM' rs:number='18' rs:maydefer",
         "dt:type='boolean' dt:maxLength='2' rs:fixedlength='true'/>",
         "name='DESCRI' rs:number='4' rs:nullable='true'", "dt:type='string' dt:maxLength='255'/>",
         "dt:maxLength='536870910' rs:long='true'",
         "\t\t<s:extends type='rs:rowbase'/>\n\t</s:ElementType>",
         "\t<z:row ID='1' ORDINE='1' DESCRI='&#x22;Luce&#x22; &#x27;A&#x27; &#x26; "
         "&#x3c;B&#x3e;&#xd;&#xa;&#x9;n\xC3\xBCmero \xE2\x82\xAC' CUSTOM='True'/>",
         "<z:row ID='2' DESCRI='' CUSTOM='False'/>"});

    Rowset back = ParseRowset(xml);
    EXPECT_EQ(ToTableRows(back, "TMP_STEP_ACT"), rows);
}

// Rowsets far beyond any real file, built here: reading must stay linear in
// them, and rows and values beyond any scenario are refused, not stored.
std::string rowsetWith(const std::string& dataAttributes, int columns, const std::string& rows) {
    std::string s =
        "<xml xmlns:s='uuid:BDC6E3F0-6DA3-11d1-A2A3-00AA00C14882' "
        "xmlns:dt='uuid:C2F41010-65B3-11d1-A29F-00AA00C14882' "
        "xmlns:rs='urn:schemas-microsoft-com:rowset' xmlns:z='#RowsetSchema'>\n"
        "<s:Schema id='RowsetSchema'><s:ElementType name='row' content='eltOnly'>\n";
    for (int i = 1; i <= columns; ++i)
        s += "<s:AttributeType name='C" + std::to_string(i) + "' rs:number='" + std::to_string(i) +
             "'><s:datatype dt:type='int'/></s:AttributeType>\n";
    return s + "</s:ElementType></s:Schema>\n<rs:data" + dataAttributes + ">\n" + rows +
           "</rs:data></xml>\n";
}

double secondsToParse(const std::string& text, Rowset& out) {
    const double start = test::ProcessSeconds();
    out = ParseRowset(text);
    return test::ProcessSeconds() - start;
}

TEST(RowsetReader, StaysLinearInWideSchemasAndManyDeclarations) {
    constexpr int kWide = 100'000;
    // Every column given by the one row, in reverse order and in lower case
    // for half of them (found without regard to case).
    std::string row = "<z:row";
    for (int i = kWide; i >= 1; --i)
        row += std::string(" ") + (i % 2 ? "c" : "C") + std::to_string(i) + "='" +
               std::to_string(i) + "'";
    row += "/>\n";
    Rowset wide;
    double seconds = secondsToParse(rowsetWith("", kWide, row), wide);
    EXPECT_LT(seconds, 5.0);
    ASSERT_EQ(wide.columns.size(), size_t(kWide));
    ASSERT_EQ(wide.rows.size(), 1u);
    EXPECT_EQ(wide.rows[0][0].toInt(), 1);
    EXPECT_EQ(wide.rows[0][kWide - 1].toInt(), kWide);

    // A data section declaring many prefixes, each of many rows declaring one
    // more: a row's prefixes resolve through its own and its parents'.
    constexpr int kDecls = 30'000, kRows = 4'000;
    std::string declarations, rows;
    for (int i = 0; i < kDecls; ++i)
        declarations += " xmlns:p" + std::to_string(i) + "='urn:p" + std::to_string(i) + "'";
    for (int i = 0; i < kRows; ++i) {
        const std::string n = std::to_string(i);
        rows += "<z:row xmlns:q" + n + "='urn:q' C1='" + n + "'/>\n<q" + n + ":row C1='" + n +
                "' xmlns:q" + n + "='#RowsetSchema'/>\n";
    }
    Rowset many;
    seconds = secondsToParse(rowsetWith(declarations, 1, rows), many);
    EXPECT_LT(seconds, 5.0);
    ASSERT_EQ(many.rows.size(), size_t(2 * kRows));
    EXPECT_EQ(many.rows.back()[0].toInt(), kRows - 1);
}

TEST(RowsetReader, DuplicateColumnsAndOversizedRowsetsAreRefused) {
    auto message = [](const std::string& text) {
        try {
            ParseRowset(text);
        } catch (const RowsetError& e) {
            return std::string(e.what());
        }
        return std::string("(no error)");
    };
    auto rows = [](size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i) s += "<z:row C1='" + std::to_string(i) + "'/>\n";
        return s;
    };
    std::string duplicate = rowsetWith("", 50'000, "");
    duplicate.insert(duplicate.find("</s:ElementType>"),
                     "<s:AttributeType name='X' rs:name='c17'/>");
    const size_t cellRows = kMaxCells / 2'000 + 1;
    struct Case {
        const char* what;
        std::string text;
        std::string fragment;
    };
    const std::vector<Case> cases{
        {"a real name twice, in another case, among many", duplicate,
         "declares the column c17 twice"},
        {"rows at the limit", rowsetWith("", 1, rows(kMaxRows)), "(no error)"},
        {"one row more", rowsetWith("", 1, rows(kMaxRows + 1)), "more than 10000 rows"},
        {"values beyond the limit", rowsetWith("", 2'000, rows(cellRows)),
         "more than 1000000 values"},
        {"two documents", std::string(kWindowsRowset) + kWindowsRowset, "more than one root"},
    };
    for (const auto& c : cases)
        EXPECT_NE(message(c.text).find(c.fragment), std::string::npos)
            << c.what << ": " << message(c.text);
}

}  // namespace
}  // namespace tessed::rowset
