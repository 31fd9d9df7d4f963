// Any bytes as a device file, and as the drop text naming one, read without
// failing: a device that is read has only upper-cased, distinct, non-empty
// configuration names and texts in characters a document may hold; a refused
// file keeps nothing of what was read before the refusal and says why; the
// same bytes always give the same answer; and the device's values converted
// by every formula and custom where format never fail either.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "configurator/conversion.h"
#include "configurator/device_file.h"
#include "env/profile.h"
#include "env/strings.h"

namespace {

using namespace tessed;
using namespace tessed::configurator;

void Fail(const char* what, const std::string& detail) {
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

std::string Summary(const DeviceFile& f) {
    const cObjOleDrag& d = *f.device;
    std::string s = std::to_string(int(f.status)) + "|" + f.errorText + "|" + f.detail + "|" +
                    std::to_string(d.ID_KO) + "|" + d.KEY_SYSTEM + "|" + d.USERDESCRIPTION + "|" +
                    std::to_string(d.BUS_LEVEL) + "|" + std::to_string(d.I1) + "|" +
                    std::to_string(d.I2) + "|" + std::to_string(f.gateways.size());
    if (d.ConfTable)
        for (long i = 1; i <= d.ConfTable->Count(); ++i)
            s += "|" + d.ConfTable->KeyAt(i) + "=" + *d.ConfTable->Item(i);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    if (auto path = ParseDropText(bytes)) {
        if (path->empty() || bytes.find(',') == std::string_view::npos) Fail("drop path", *path);
        if (IsLocalAbsolutePath(*path) && (*path)[0] != '/') Fail("local path", *path);
    }

    for (int64_t host : {int64_t{0}, int64_t{7}}) {
        DeviceFile f = ParseDeviceFile(bytes, host);
        const cObjOleDrag& d = *f.device;
        if (f.ok()) {
            if (!f.errorText.empty()) Fail("read with an error text", f.errorText);
            for (const auto& g : f.gateways) {
                if (!g.Valid()) Fail("invalid gateway accepted", g.keyObject);
                if (g.Address() != host) Fail("other gateway accepted", g.SYSADDRESS);
            }
        } else {
            if (f.detail.empty()) Fail("refused without a reason", Summary(f));
            if (d.ID_KO != 0 || d.ConfTable || !d.USERDESCRIPTION.empty() || !f.gateways.empty())
                Fail("refused file kept values", Summary(f));
        }
        if (!profile::IsValidUtf8(d.USERDESCRIPTION) || !profile::IsValidUtf8(d.KEY_SYSTEM))
            Fail("text not UTF-8", Summary(f));
        if (d.ConfTable) {
            std::set<std::string> names;
            for (long i = 1; i <= d.ConfTable->Count(); ++i) {
                const std::string key = d.ConfTable->KeyAt(i);
                if (key.empty() || str::ToUpper(key) != key || !names.insert(key).second)
                    Fail("configuration name", key);
                if (!profile::IsValidUtf8(*d.ConfTable->Item(i))) Fail("value not UTF-8", key);
            }
            // Every rule a catalogue could hold over these values.
            const ConfValues* t = d.ConfTable.get();
            for (long i = 1; i <= d.ConfTable->Count() && i <= 4; ++i) {
                const std::string a = d.ConfTable->KeyAt(i);
                const std::string b = d.ConfTable->KeyAt(i % d.ConfTable->Count() + 1);
                for (std::string_view formula : kFormulas) {
                    RuleValue(t, false, a + "+" + b, formula);
                    CustomWhereValue(t, "A+PL", formula);
                    CustomWhereValue(t, "A-PF", formula);
                    CustomWhereValue(t, "Z-N_AI", formula);
                }
            }
        }
        if (Summary(ParseDeviceFile(bytes, host)) != Summary(f)) Fail("not repeatable", Summary(f));
    }
    return 0;
}
