// Any bytes pasted as copied elements either read as nothing or give a copy
// of one element table whose rows have the table's width, whose links join
// two different copied rows, and which, written and read again, comes back
// as the same copy: what the editor accepts from the clipboard it can also
// put there.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/element_clipboard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessed;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const auto copy = editor::ReadElements(bytes);
    if (!copy) return 0;
    if (!editor::IsSlotGroup(copy->group) || copy->rows.empty() ||
        copy->rows.size() > editor::kMaxCopiedElements)
        std::abort();
    const size_t width = rowset::ColumnsOf(editor::Info(copy->group).table).size();
    for (const auto& row : copy->rows)
        if (row.size() != width || !row[0].isNull() || !row[1].isNull()) std::abort();
    for (const auto& link : copy->links)
        if (link.upper >= copy->rows.size() || link.lower >= copy->rows.size() ||
            link.upper == link.lower || link.idOpe < 1)
            std::abort();
    const std::string written = editor::WriteElements(*copy);
    const auto again = editor::ReadElements(written);
    if (!again || *again != *copy) {
        std::fprintf(stderr, "written copy reads differently:\n%s\n", written.c_str());
        std::abort();
    }
    return 0;
}
