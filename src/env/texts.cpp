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
    // From the highest number down, so "%1" never eats the start of "%10".
    for (size_t i = args.size(); i > 0; --i) str::ReplaceAll(text, "%" + std::to_string(i), args[i - 1]);
    return text;
}

}  // namespace tessed::texts
