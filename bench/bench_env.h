#pragma once
// A data folder in a temporary place with the shipped catalogue, opened as the
// editor opens it, for benchmarks that need the master connection.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "env/environment.h"
#include "model/schema.h"

namespace tessed::bench {

class BenchEnv {
  public:
    BenchEnv() {
        std::string tmpl =
            (std::filesystem::temp_directory_path() / "tessed-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        dir_ = tmpl;
        ::setenv("TESSED_DATA_DIR", (dir_ / "data").c_str(), 1);
        ::setenv("TESSED_DOCUMENTS_DIR", (dir_ / "docs").c_str(), 1);
        ::setenv("TESSED_SHARE_DIR",
                 std::filesystem::path(TESSED_BENCH_CATALOGUE).parent_path().c_str(), 1);
        schema::InstallWorkingTables();
        auto& e = env::Env();
        if (!e.InitFolders(env::AppFolderName()) || !e.OpenSystemDatabase())
            throw std::runtime_error("cannot open the catalogue");
    }
    ~BenchEnv() {
        env::Env().CloseConnection();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::filesystem::path& dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

}  // namespace tessed::bench
