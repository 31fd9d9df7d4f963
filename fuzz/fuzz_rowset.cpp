// Any bytes read as a stand-alone rowset either are refused with a RowsetError
// or give rows that, mapped onto a working table, written and read again, come
// back as the same rows: a table that opens also saves and reopens unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/rowset.h"

namespace {

std::string Show(const tessed::rowset::TableRows& rows) {
    std::string out;
    for (const auto& row : rows) {
        for (const auto& v : row) out += (v.isNull() ? std::string("<null>") : v.toText()) + "|";
        out += "\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessed::rowset;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Rowset rs;
    try {
        rs = ParseRowset(text);
    } catch (const RowsetError&) {
        return 0;
    }
    for (const auto& row : rs.rows)
        if (row.size() > rs.columns.size()) std::abort();
    // One element table and one operator table: the two column layouts.
    for (std::string_view table : {"TMP_TRIGGER", "TMP_OPE_OK"}) {
        TableRows rows;
        try {
            rows = ToTableRows(rs, table);
        } catch (const RowsetError&) {
            continue;
        }
        const size_t width = ColumnsOf(table).size();
        for (const auto& row : rows)
            if (row.size() != width) std::abort();
        std::string written = WriteRowset(table, rows, "\t");
        TableRows again;
        try {
            again = ToTableRows(ParseRowset(written), table);
        } catch (const RowsetError& e) {
            std::fprintf(stderr, "written rowset refused: %s\n%s\n", e.what(), written.c_str());
            std::abort();
        }
        if (again != rows) {
            std::fprintf(stderr, "first reading:\n%s\nsecond reading:\n%s\nwritten:\n%s\n",
                         Show(rows).c_str(), Show(again).c_str(), written.c_str());
            std::abort();
        }
    }
    return 0;
}
