#pragma once
// Short readable texts of scenario elements, used where an element has no
// description of its own (compile log, listing, slot captions), and the
// catalogue description of a WHAT code. Both read the catalogue and the
// element's own row through the master connection; every failed lookup leaves
// its part of the text empty and never reaches the caller.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessed::db {
class Database;
}

namespace tessed::model {

// The description of an element. `tableName` is the working table the element
// row comes from ("TMP_STEP_ACT", "TMP_COND_OK", ...); a name outside the
// working tables reads no row. The text may hold carriage returns.
std::string ElementText(int64_t ID, int64_t ID_OBJ, int64_t COSA_KEY, int64_t DOVE_KEY,
                        int64_t LEVEL_KEY, int64_t ADD_INT, std::string_view tableName);
std::string ElementText(db::Database& db, int64_t ID, int64_t ID_OBJ, int64_t COSA_KEY,
                        int64_t DOVE_KEY, int64_t LEVEL_KEY, int64_t ADD_INT,
                        std::string_view tableName);

// `DESCRI_COSA` of the WHAT code, or "" when the catalogue has no such row.
std::string WhatDescription(int64_t ID_COSA);
std::string WhatDescription(db::Database& db, int64_t ID_COSA);

// A tenth-unit value as a decimal number in its shortest form: 215 gives
// "21.5", 200 gives "20", -5 gives "-0.5". The separator is the one of the
// current locale (the user's regional setting once the interface runs).
std::string Tenths(int64_t value);

}  // namespace tessed::model
