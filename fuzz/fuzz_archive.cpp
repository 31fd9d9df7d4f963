// Any bytes as a project file are listed, extracted and unpacked as a project
// without failing, and nothing ever lands outside the folder it is unpacked
// into: the destinations lie three folders deep inside a scratch tree, so a path
// that climbs out of its destination leaves something in the tree beside it,
// which is checked after every input, as is that no link, device or pipe was
// made. Extraction is all or nothing: a refused archive adds nothing.
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "env/files.h"
#include "project/archive.h"
#include "scratch.h"

namespace {

namespace fs = std::filesystem;
using namespace tessed;

struct Tree {
    fs::path top, input, extract, project;
};

const Tree& Folders() {
    static const Tree tree = [] {
        // A zip bomb that the archive module lets through would fill the disk
        // before the fuzzer noticed; a file size limit far above any real
        // project file makes such a write fail (with EFBIG, not a signal),
        // which the module must report as a failure like any other.
        rlimit limit{16 << 20, 16 << 20};
        setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        Tree t;
        t.top = fuzz::ScratchRoot();
        fs::path deep = t.top / "a" / "b" / "c";
        t.input = deep / "input";
        t.extract = deep / "extract";
        t.project = deep / "project";
        for (const auto& f : {t.input, t.extract, t.project}) fs::create_directories(f);
        return t;
    }();
    return tree;
}

// Every file and folder under `folder`, relative to it.
std::vector<std::string> Walk(const fs::path& folder) {
    std::vector<std::string> out;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink(ec)) {
            std::fprintf(stderr, "a link was created: %s\n", it->path().c_str());
            std::abort();
        }
        if (!it->is_regular_file(ec) && !it->is_directory(ec)) {
            std::fprintf(stderr, "neither file nor folder: %s\n", it->path().c_str());
            std::abort();
        }
        out.push_back(fs::relative(it->path(), folder, ec).string());
    }
    return out;
}

void Check(bool ok, const char* what, const archive::ArchiveResult& r) {
    if (ok) return;
    std::fprintf(stderr, "%s (status %d: %s)\n", what, int(r.status), r.detail.c_str());
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Tree& t = Folders();
    const fs::path tdj = t.input / "fuzz.tdj";
    if (!files::WriteFileAtomic(tdj, std::string_view(reinterpret_cast<const char*>(data), size)))
        return 0;
    const std::vector<std::string> expectedTop = {"a",
                                                  "a/b",
                                                  "a/b/c",
                                                  "a/b/c/extract",
                                                  "a/b/c/input",
                                                  "a/b/c/input/fuzz.tdj",
                                                  "a/b/c/project"};

    std::vector<archive::ArchiveEntryInfo> entries;
    archive::ListArchive(tdj, entries);
    std::string content;
    archive::ReadEntry(tdj, "info.xml", content, archive::kProjectPassword);

    // The inner scenario archives have no password; project files have one.
    for (std::string_view password : {std::string_view(), archive::kProjectPassword}) {
        auto r = archive::ExtractArchive(tdj, t.extract, password);
        auto inside = Walk(t.extract);
        Check(r.ok() || inside.empty(), "a refused archive left files behind", r);
        fuzz::EmptyFolder(t.extract);
    }
    auto r = archive::UnpackProject(tdj, t.project);
    auto inside = Walk(t.project);
    Check(r.ok() || inside.empty(), "a refused project left files behind", r);
    fuzz::EmptyFolder(t.project);

    // Nothing beside the destinations: any escape would show here.
    std::vector<std::string> top = Walk(t.top);
    std::sort(top.begin(), top.end());
    if (top != expectedTop) {
        for (const auto& p : top) std::fprintf(stderr, "  %s\n", p.c_str());
        Check(false, "something was written outside the destination", r);
    }
    fs::remove(tdj);
    return 0;
}
