// tessed_mkcat OUT.mdb FILE.sql...
// Creates a fresh master database from SQL text files, executed in order inside
// one transaction. The output is written to a temporary file and renamed, so an
// error in the SQL never leaves a half-built catalogue behind.
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: tessed_mkcat OUT.mdb FILE.sql...\n";
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const std::filesystem::path tmp = out.string() + ".tmp";
    std::error_code ec;
    std::filesystem::create_directories(out.parent_path(), ec);
    std::filesystem::remove(tmp, ec);

    sqlite3* db = nullptr;
    if (sqlite3_open(tmp.c_str(), &db) != SQLITE_OK) {
        std::cerr << "tessed_mkcat: cannot create " << tmp << "\n";
        return 1;
    }
    auto fail = [&](const std::string& what) {
        std::cerr << "tessed_mkcat: " << what << "\n";
        sqlite3_close(db);
        std::filesystem::remove(tmp, ec);
        return 1;
    };
    char* err = nullptr;
    if (sqlite3_exec(db, "PRAGMA journal_mode=OFF; BEGIN;", nullptr, nullptr, &err) != SQLITE_OK)
        return fail(err ? err : "begin failed");
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        if (!in) return fail(std::string("cannot read ") + argv[i]);
        std::stringstream ss;
        ss << in.rdbuf();
        if (sqlite3_exec(db, ss.str().c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
            std::string msg = std::string(argv[i]) + ": " + (err ? err : "error");
            sqlite3_free(err);
            return fail(msg);
        }
    }
    if (sqlite3_exec(db, "COMMIT; VACUUM;", nullptr, nullptr, &err) != SQLITE_OK)
        return fail(err ? err : "commit failed");
    sqlite3_close(db);
    std::filesystem::rename(tmp, out, ec);
    if (ec) {
        std::cerr << "tessed_mkcat: cannot write " << out << ": " << ec.message() << "\n";
        return 1;
    }
    return 0;
}
