#include "env/texts.h"

#include <optional>
#include <unordered_map>

#include "env/database.h"
#include "env/state.h"
#include "env/strings.h"

namespace tessed::texts {

namespace {

struct Store {
    bool loaded = false;
    std::unordered_map<long, std::optional<std::string>> labels;
    std::vector<std::string> captions;
};

Store& store() {
    static Store s;
    return s;
}

}  // namespace

void Load(db::Database& db) {
    Store fresh;
    try {
        // The identifier is the column named "Id", wherever it stands; the
        // text is the table's second column, whatever it is called.
        db::Statement st = db.prepare("SELECT * FROM ANA_LABELS");
        int idColumn = -1;
        for (int i = 0; i < st.columnCount(); ++i)
            if (db::iequals(st.columnName(i), "Id")) idColumn = i;
        while (idColumn >= 0 && st.columnCount() >= 2 && st.step()) {
            db::Value text = st.column(1);
            fresh.labels[long(st.column(idColumn).toInt())] =
                text.isNull() ? std::nullopt : std::optional<std::string>(text.toText());
        }
        fresh.loaded = true;
    } catch (const db::Error&) {
        fresh.labels.clear();
    }
    store() = std::move(fresh);
}

void Clear() { store() = Store{}; }

bool Loaded() { return store().loaded; }

std::string GetText(long id) {
    const auto& labels = store().labels;
    std::string text;
    auto it = labels.find(id);
    if (it == labels.end())
        text = kMissing;
    else if (!it->second)
        text = kUnreadable;
    else
        text = *it->second;
    str::ReplaceAll(text, "%APP_NAME%", kAppName);
    if (Host().TEXTID) text += "-" + std::to_string(id);
    return text;
}

void FillCaptionList() {
    auto& c = store().captions;
    c.clear();
    c.reserve(kCaptionCount);
    for (long id = 1000; id <= 1110; ++id) c.push_back(GetText(id));
    c.push_back(GetText(88));
}

const std::vector<std::string>& CaptionList() { return store().captions; }

std::string Caption(long id) {
    const auto& c = store().captions;
    if (c.size() == size_t(kCaptionCount)) {
        if (id >= 1000 && id <= 1110) return c[size_t(id - 1000)];
        if (id == 88) return c[kCaptionCount - 1];
    }
    return GetText(id);
}

std::string Format(std::string text, const std::vector<std::string>& args) {
    // One pass from left to right, so a value that holds "%1" is inserted as
    // it is and never completed in its turn. A placeholder takes the longest
    // run of digits that names an argument: with ten arguments "%10" is the
    // tenth, with nine it is the first followed by "0".
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '%') {
            out += text[i++];
            continue;
        }
        size_t digits = 0;
        while (i + 1 + digits < text.size() && digits < 9 && str::IsDigit(text[i + 1 + digits]))
            ++digits;
        size_t taken = 0;
        for (size_t n = digits; n > 0 && !taken; --n) {
            size_t number = 0;
            for (size_t k = 0; k < n; ++k) number = number * 10 + size_t(text[i + 1 + k] - '0');
            if (number >= 1 && number <= args.size()) {
                out += args[number - 1];
                taken = n;
            }
        }
        if (taken) {
            i += 1 + taken;
        } else {
            out += '%';
            ++i;
        }
    }
    return out;
}

}  // namespace tessed::texts
