// Any text read as a command frame gives a record that builds back to a frame
// reading as the same record, or is refused with the empty record.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "compiler/frames.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tessed;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CommandRecord r;
    if (!compiler::ParseCommandFrame(text, r)) {
        if (!(r == CommandRecord{})) std::abort();
        return 0;
    }
    CommandRecord again;
    if (!compiler::ParseCommandFrame(compiler::BuildCommandFrame(r), again) || !(again == r))
        std::abort();
    return 0;
}
