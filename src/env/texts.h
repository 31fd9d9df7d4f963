#pragma once
// Numbered texts. Every caption, tool tip and message is a text identified by a
// number in the label table of the current language's master database. The
// table is read once per open connection into a hash map.
#include <string>
#include <vector>

namespace tessed::db {
class Database;
}

namespace tessed::texts {

inline constexpr const char* kAppName = "Tessaro Editor";
inline constexpr const char* kMissing = "?????";    // identifier not in the table
inline constexpr const char* kUnreadable = "----";  // identifier present, text Null

// The text of an identifier, "%APP_NAME%" replaced by the application name and,
// when the host's TEXTID is set, "-" and the identifier appended.
std::string GetText(long id);

// Reads the label table of `db` into memory (replacing what was loaded); called
// whenever the master connection opens. A database without the table leaves
// every lookup at "?????".
void Load(db::Database& db);
void Clear();
bool Loaded();

// The caption list: entries 0..110 hold texts 1000..1110, entry 111 text 88.
inline constexpr int kCaptionCount = 112;
void FillCaptionList();
const std::vector<std::string>& CaptionList();
// An entry of the caption list by text number (1000..1110 or 88); GetText for
// any other number or when the list is not filled.
std::string Caption(long id);

// Replaces every "%1", "%2", ... in a text by the argument of that number, as
// message texts are completed, in one pass: what an argument brings in (a
// description holding "%1") is never replaced again. A "%" that names no
// argument stays as it is.
std::string Format(std::string text, const std::vector<std::string>& args);

}  // namespace tessed::texts
