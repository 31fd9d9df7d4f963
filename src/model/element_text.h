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

// Temperatures are stored in tenths of a degree. They are shown with "." as
// the decimal separator everywhere (listings, slot captions, the compile log,
// the property dialog), whatever the process locale: a listing is a file that
// the bulk compile joins and other programs read, and must not change with the
// regional setting of the machine that wrote it.
//
// A tenth-unit value in its shortest form: 215 gives "21.5", 200 gives "20",
// -5 gives "-0.5".
std::string Tenths(int64_t value);
// The same with always one decimal, as the property dialog shows the value
// beside its spinner: 200 gives "20.0", -5 gives "-0.5".
std::string TenthsOneDecimal(int64_t value);

// The comparison operators of the dialogs' operator lists, by the code the
// dialog stores (1 ">=", 2 "<=", 3 ">", 4 "<", 5 "="); "" for any other code.
std::string_view ComparisonOperator(int64_t code);
// The probe of a zone reading (object 38) by the code its dialog stores: 1 the
// zone's own probe (text 1537), 2 to 9 the additional probes 1 to 8 (text 1538
// with the probe's number); "" for any other code. The dialog's list, the slot
// caption and the listing all name a probe by this one numbering.
std::string ProbeText(int64_t code);
inline constexpr int kFirstProbeCode = 1;
inline constexpr int kLastProbeCode = 9;
// The comparison of a zone reading: text 1580 with the operator and the
// temperature in tenths; "" for an operator code outside ">=", "<=", ">",
// "<" (the four the object's dialog offers).
std::string ZoneComparisonText(int64_t operatorCode, int64_t tenths);

}  // namespace tessed::model
