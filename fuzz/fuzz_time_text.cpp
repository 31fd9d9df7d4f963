// Any text as the time text of a time element splits, describes and opens in
// either time dialog without failing, and confirming a dialog opened on the
// text that dialog itself wrote writes the same text again: opening and
// confirming never changes a stored time.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "editor/time_dialogs.h"
#include "model/time_text.h"

namespace {

using namespace tessed;

// A fixed "now", so that the checks of past dates do not depend on the day.
const model::Moment kNow{2026, 6, 15, 10, 30};

void Fail(const char* what, std::string_view input, const std::string& a, const std::string& b) {
    std::fprintf(stderr, "%s\ninput: [%.*s]\nfirst:  [%s]\nsecond: [%s]\n", what, int(input.size()),
                 input.data(), a.c_str(), b.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    model::TimeTextParts parts = model::SplitTimeText(text);
    if (parts.valid != (text.find('|') != std::string_view::npos)) std::abort();
    for (const auto* part :
         {&parts.oraFrom, &parts.oraTo, &parts.sett, &parts.dataFrom, &parts.dataTo})
        if (*part && (*part)->size() > text.size()) std::abort();
    if (parts.sett)
        if (auto mask = model::ParseWeekMask(*parts.sett); mask && (*mask < 0 || *mask > 0xFF))
            std::abort();
    model::FormatMomentText(text);
    model::FormatRangeText(text);

    {
        editor::TimeSingleDialog first(kNow);
        first.Restore(text);
        editor::MomentBuild a = first.Build();
        editor::TimeSingleDialog second(kNow);
        second.Restore(a.text);
        editor::MomentBuild b = second.Build();
        if (a.text != b.text) Fail("single moment: text changed", text, a.text, b.text);
        if (a.description != b.description)
            Fail("single moment: description changed", text, a.description, b.description);
        if (a.error != b.error) Fail("single moment: check changed", text, a.text, b.text);
    }
    {
        editor::TimeRangeDialog first(kNow);
        first.Restore(text);
        editor::RangeBuild a = first.Build();
        // A failing check stops the text half-way; only a text that passes is stored.
        if (a.error == 0) {
            editor::TimeRangeDialog second(kNow);
            second.Restore(a.text);
            editor::RangeBuild b = second.Build();
            if (b.error != 0) Fail("range: stored text now fails", text, a.text, b.text);
            if (a.text != b.text) Fail("range: text changed", text, a.text, b.text);
            if (a.description != b.description)
                Fail("range: description changed", text, a.description, b.description);
            if (a.criteria != b.criteria)
                Fail("range: criteria changed", text, a.criteria, b.criteria);
        }
    }
    return 0;
}
