#include "project/archive.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>

#include "env/files.h"
#include "env/strings.h"

namespace tessed::archive {

namespace {

constexpr size_t kBlock = 64 * 1024;

ArchiveResult fail(ArchiveStatus status, std::string detail) { return {status, std::move(detail)}; }

std::string errText(struct archive* a) {
    const char* s = archive_error_string(a);
    return s ? s : "unknown archive error";
}

std::string sysText(const std::string& what, const fs::path& p, int err) {
    return what + " " + p.string() + ": " + std::strerror(err);
}

struct ReadDeleter {
    void operator()(struct archive* a) const { archive_read_free(a); }
};
struct WriteDeleter {
    void operator()(struct archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};
using ReadPtr = std::unique_ptr<struct archive, ReadDeleter>;
using WritePtr = std::unique_ptr<struct archive, WriteDeleter>;
using EntryPtr = std::unique_ptr<archive_entry, EntryDeleter>;

// Where the writer's output goes. It never reports a failed write to the
// library: a write error there turns the archive's state fatal, and from that
// state neither finishing the entry nor freeing the archive releases the
// entry's compressor (about 270 KB a time, so an editor that fails to save on
// a full disk for hours would grow without end). The first error is kept,
// the rest of the output is dropped, and the caller fails the write once the
// library has finished normally.
struct Sink {
    int fd = -1;
    int error = 0;
    static la_ssize_t write(struct archive*, void* data, const void* buffer, size_t length) {
        auto* self = static_cast<Sink*>(data);
        const char* p = static_cast<const char*>(buffer);
        size_t left = length;
        while (self->error == 0 && left > 0) {
            ssize_t n = ::write(self->fd, p, left);
            if (n < 0) {
                if (errno == EINTR) continue;
                self->error = errno;
                break;
            }
            p += n;
            left -= size_t(n);
        }
        return la_ssize_t(length);
    }
};

// A descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports whether the close succeeded.
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

// A folder removed with its content when the object goes, unless released.
class ScratchFolder {
  public:
    ScratchFolder() = default;
    ~ScratchFolder() {
        if (!path_.empty()) {
            std::error_code ec;
            fs::remove_all(path_, ec);
        }
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Creates a fresh folder inside `parent` (created when missing).
    bool create(const fs::path& parent, const std::string& stem) {
        std::error_code ec;
        fs::create_directories(parent, ec);
        std::string tmpl = (parent / ("." + stem + ".XXXXXX")).string();
        if (!::mkdtemp(tmpl.data())) return false;
        path_ = tmpl;
        return true;
    }
    const fs::path& path() const { return path_; }
    void release() { path_.clear(); }

  private:
    fs::path path_;
};

// The entry's name in the archive: its UTF-8 form when the archive records
// one, the raw bytes otherwise.
std::string entryName(archive_entry* e) {
    const char* p = archive_entry_pathname_utf8(e);
    if (!p) p = archive_entry_pathname(e);
    std::string name = p ? p : "";
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool isLinkOrSpecial(archive_entry* e) {
    if (archive_entry_hardlink(e) || archive_entry_symlink(e)) return true;
    auto type = archive_entry_filetype(e);
    return type != AE_IFREG && type != AE_IFDIR;
}

// A data read that failed. The traditional encryption checks a password against
// one byte only, so one wrong password in 256 passes that check and shows up as
// a bad checksum or undecodable data instead: on an encrypted entry every data
// failure is reported as a wrong password (damage to an encrypted entry cannot
// be told apart from it).
ArchiveResult dataError(struct archive* a, archive_entry* e, const std::string& name) {
    std::string msg = errText(a);
    if (archive_entry_is_encrypted(e)) return fail(ArchiveStatus::WrongPassword, name + ": " + msg);
    return fail(ArchiveStatus::Corrupt, name + ": " + msg);
}

ArchiveResult openRead(const fs::path& file, std::string_view password, ReadPtr& out) {
    std::error_code ec;
    if (!fs::exists(file, ec)) return fail(ArchiveStatus::Missing, file.string());
    if (!fs::is_regular_file(file, ec))
        return fail(ArchiveStatus::CannotRead, file.string() + ": not a file");
    ReadPtr a(archive_read_new());
    if (!a) return fail(ArchiveStatus::CannotRead, "out of memory");
    // The central directory is required: an archive cut short anywhere fails
    // as a whole instead of yielding the entries before the cut.
    archive_read_support_format_zip_seekable(a.get());
    if (!password.empty() &&
        archive_read_add_passphrase(a.get(), std::string(password).c_str()) != ARCHIVE_OK)
        return fail(ArchiveStatus::CannotRead, errText(a.get()));
    if (archive_read_open_filename(a.get(), file.c_str(), kBlock) != ARCHIVE_OK)
        return fail(ArchiveStatus::CannotRead, file.string() + ": " + errText(a.get()));
    out = std::move(a);
    return {};
}

// Next header; `done` is set at the end of the archive.
ArchiveResult nextHeader(struct archive* a, archive_entry*& e, bool& done) {
    int r = archive_read_next_header(a, &e);
    done = r == ARCHIVE_EOF;
    // A warning on a header concerns the name's character set only.
    if (r == ARCHIVE_OK || r == ARCHIVE_WARN || r == ARCHIVE_EOF) return {};
    return fail(ArchiveStatus::Corrupt, errText(a));
}

// What one extraction, or a project's outer and inner extractions together,
// have unpacked so far.
struct Budget {
    const ExtractLimits& limits;
    uint64_t entries = 0;
    uint64_t bytes = 0;
};

std::string mib(uint64_t bytes) { return std::to_string(bytes >> 20) + " MiB"; }

// The most an entry of this name may unpack to.
uint64_t entryCap(const ExtractLimits& limits, const std::string& name) {
    if (str::IEquals(fs::path(name).extension().string(), ".tdx"))
        return std::min(limits.entryBytes, limits.scenarioBytes);
    return limits.entryBytes;
}

// Counts `size` more bytes of an entry that already unpacked to `done`: the
// decompressed bytes decide, never the size the headers give.
ArchiveResult spend(Budget& budget, uint64_t cap, const std::string& name, uint64_t done,
                    uint64_t size) {
    if (done + size > cap)
        return fail(ArchiveStatus::TooLarge, name + ": unpacks to more than " + mib(cap));
    budget.bytes += size;
    if (budget.bytes > budget.limits.totalBytes)
        return fail(ArchiveStatus::TooLarge,
                    "the archive unpacks to more than " + mib(budget.limits.totalBytes));
    return {};
}

// Writes the data of the current entry to `path`, replacing a file of that name.
ArchiveResult extractFile(struct archive* a, archive_entry* e, const std::string& name,
                          const fs::path& path, Budget& budget) {
    const uint64_t cap = entryCap(budget.limits, name);
    // A size the headers give is only believed when it refuses.
    if (archive_entry_size_is_set(e) && archive_entry_size(e) > 0 &&
        uint64_t(archive_entry_size(e)) > cap)
        return fail(ArchiveStatus::TooLarge, name + ": unpacks to more than " + mib(cap));
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec)
        return fail(ArchiveStatus::CannotWrite,
                    sysText("cannot create", path.parent_path(), ec.value()));
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        return fail(ArchiveStatus::CannotWrite, sysText("cannot create", path, errno));
    uint64_t done = 0;
    for (;;) {
        const void* buf = nullptr;
        size_t size = 0;
        la_int64_t offset = 0;
        int r = archive_read_data_block(a, &buf, &size, &offset);
        if (r == ARCHIVE_EOF) break;
        // A warning here is a bad checksum or a wrong size: the data is damaged.
        if (r != ARCHIVE_OK) return dataError(a, e, name);
        // An offset beyond the data read so far would leave a hole: the file
        // would grow on disk past what was counted.
        if (offset < 0 || uint64_t(offset) != done)
            return fail(ArchiveStatus::Corrupt, name + ": data out of order");
        if (auto c = spend(budget, cap, name, done, size); !c) return c;
        done += size;
        const char* p = static_cast<const char*>(buf);
        while (size > 0) {
            ssize_t n = ::pwrite(fd.get(), p, size, offset);
            if (n < 0) {
                if (errno == EINTR) continue;
                return fail(ArchiveStatus::CannotWrite, sysText("cannot write", path, errno));
            }
            p += n;
            size -= size_t(n);
            offset += n;
        }
    }
    if (!fd.close()) return fail(ArchiveStatus::CannotWrite, sysText("cannot write", path, errno));
    return {};
}

// A file's modification time as the archive gives it.
struct StoredTime {
    fs::path path;
    struct timespec mtime;
};

// Gives the extracted files their stored times. Times in the future (DOS
// times, local wall-clock time, written in a zone east of this one) all move
// back by the same amount until the latest is the present: the order of the
// times stays as stored, so a compiled file is never older than its scenario
// file here when it was not there, and a compile made now is not older than
// the scenario file it was made from.
void restoreTimes(const std::vector<StoredTime>& times) {
    if (times.empty()) return;
    const int64_t now = int64_t(::time(nullptr));
    int64_t latest = INT64_MIN;
    for (const auto& t : times) latest = std::max(latest, int64_t(t.mtime.tv_sec));
    const int64_t shift = latest > now ? latest - now : 0;
    for (const auto& t : times) {
        struct timespec when[2];
        when[0].tv_sec = 0;
        when[0].tv_nsec = UTIME_OMIT;
        when[1].tv_sec = time_t(int64_t(t.mtime.tv_sec) - shift);
        when[1].tv_nsec = t.mtime.tv_nsec;
        ::utimensat(AT_FDCWD, t.path.c_str(), when, AT_SYMLINK_NOFOLLOW);
    }
}

// Extracts every entry of `file` into the existing, empty folder `into`.
ArchiveResult extractInto(const fs::path& file, const fs::path& into, std::string_view password,
                          Budget& budget) {
    // The entries are counted first, from the headers alone: an archive of
    // too many refuses before a file is created (creating ten thousand empty
    // files can take seconds).
    uint64_t count = 0;
    {
        ReadPtr a;
        if (auto r = openRead(file, password, a); !r) return r;
        for (;;) {
            archive_entry* e = nullptr;
            bool done = false;
            if (auto r = nextHeader(a.get(), e, done); !r) return r;
            if (done) break;
            if (budget.entries + ++count > budget.limits.entries)
                return fail(ArchiveStatus::TooLarge, "the archive holds more than " +
                                                         std::to_string(budget.limits.entries) +
                                                         " entries");
        }
    }
    budget.entries += count;
    ReadPtr a;
    if (auto r = openRead(file, password, a); !r) return r;
    std::vector<StoredTime> times;
    for (uint64_t seen = 0;; ++seen) {
        archive_entry* e = nullptr;
        bool done = false;
        if (auto r = nextHeader(a.get(), e, done); !r) return r;
        if (done) break;
        std::string name = entryName(e);
        if (seen == count) return fail(ArchiveStatus::Corrupt, name + ": an entry not counted");
        if (isLinkOrSpecial(e))
            return fail(ArchiveStatus::UnsafeEntry, name + ": link or special file");
        std::string rel = SafeEntryName(name);
        if (rel.empty()) {
            // A folder entry "./" names the destination itself and is harmless;
            // anything else that leaves no name is not.
            bool onlyDots = !name.empty() && name.front() == '.' &&
                            name.find_first_not_of("./") == std::string::npos &&
                            name.find("..") == std::string::npos;
            if (archive_entry_filetype(e) == AE_IFDIR && onlyDots) continue;
            return fail(ArchiveStatus::UnsafeEntry, name + ": path outside the destination");
        }
        fs::path path = into / rel;
        if (archive_entry_filetype(e) == AE_IFDIR) {
            std::error_code ec;
            fs::create_directories(path, ec);
            if (ec || !fs::is_directory(path, ec))
                return fail(ArchiveStatus::CannotWrite, sysText("cannot create", path, ec.value()));
            continue;
        }
        if (auto r = extractFile(a.get(), e, name, path, budget); !r) return r;
        if (archive_entry_mtime_is_set(e))
            times.push_back({path, {archive_entry_mtime(e), archive_entry_mtime_nsec(e)}});
    }
    if (archive_read_close(a.get()) != ARCHIVE_OK)
        return fail(ArchiveStatus::Corrupt, errText(a.get()));
    restoreTimes(times);
    return {};
}

// Moves the content of `from` into `to`, which exists. Every clash between a
// file and a folder is found before anything moves, so a refused merge leaves
// `to` as it was.
ArchiveResult checkMerge(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(from, ec)) {
        std::error_code ec2;
        fs::path target = to / item.path().filename();
        auto st = fs::symlink_status(target, ec2);
        if (!fs::exists(st)) continue;
        bool srcDir = item.is_directory(ec2);
        bool dstDir = fs::is_directory(st);
        if (srcDir != dstDir || fs::is_symlink(st))
            return fail(ArchiveStatus::CannotWrite, target.string() + ": exists as another kind");
        if (srcDir)
            if (auto r = checkMerge(item.path(), target); !r) return r;
    }
    if (ec) return fail(ArchiveStatus::CannotWrite, sysText("cannot list", from, ec.value()));
    return {};
}

ArchiveResult moveInto(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    for (const auto& item : fs::directory_iterator(from, ec)) {
        std::error_code ec2;
        fs::path target = to / item.path().filename();
        if (item.is_directory(ec2) && fs::is_directory(fs::symlink_status(target, ec2))) {
            if (auto r = moveInto(item.path(), target); !r) return r;
            continue;
        }
        fs::rename(item.path(), target, ec2);
        if (ec2)
            return fail(ArchiveStatus::CannotWrite, sysText("cannot move to", target, ec2.value()));
    }
    if (ec) return fail(ArchiveStatus::CannotWrite, sysText("cannot list", from, ec.value()));
    return {};
}

// Hands a fully extracted scratch folder over to `destination`.
ArchiveResult publish(ScratchFolder& scratch, const fs::path& destination) {
    std::error_code ec;
    auto st = fs::symlink_status(destination, ec);
    if (!fs::exists(st)) {
        fs::rename(scratch.path(), destination, ec);
        if (ec)
            return fail(ArchiveStatus::CannotWrite,
                        sysText("cannot create", destination, ec.value()));
        scratch.release();
        return {};
    }
    if (!fs::is_directory(st))
        return fail(ArchiveStatus::CannotWrite, destination.string() + ": not a folder");
    if (auto r = checkMerge(scratch.path(), destination); !r) return r;
    return moveInto(scratch.path(), destination);
}

bool iequalsZip(const fs::path& p) { return str::IEquals(p.extension().string(), ".zip"); }

ArchiveResult writeEntry(struct archive* a, const ArchiveItem& item, const std::string& name) {
    Fd fd(::open(item.source.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        int err = errno;
        return fail(err == ENOENT ? ArchiveStatus::Missing : ArchiveStatus::CannotWrite,
                    sysText("cannot open", item.source, err));
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return fail(ArchiveStatus::CannotWrite, item.source.string() + ": not a regular file");
    EntryPtr e(archive_entry_new());
    archive_entry_set_pathname_utf8(e.get(), name.c_str());
    archive_entry_set_filetype(e.get(), AE_IFREG);
    archive_entry_set_perm(e.get(), 0644);
    archive_entry_set_size(e.get(), st.st_size);
    archive_entry_set_mtime(e.get(), st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    if (archive_write_header(a, e.get()) < ARCHIVE_OK)
        return fail(ArchiveStatus::CannotWrite, name + ": " + errText(a));
    std::vector<char> buf(kBlock);
    int64_t total = 0;
    for (;;) {
        ssize_t n = ::read(fd.get(), buf.data(), buf.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail(ArchiveStatus::CannotWrite, sysText("cannot read", item.source, errno));
        }
        if (n == 0) break;
        total += n;
        if (total > st.st_size)
            return fail(ArchiveStatus::CannotWrite,
                        item.source.string() + ": changed while packed");
        if (archive_write_data(a, buf.data(), size_t(n)) != n)
            return fail(ArchiveStatus::CannotWrite, name + ": " + errText(a));
    }
    if (total != st.st_size)
        return fail(ArchiveStatus::CannotWrite, item.source.string() + ": changed while packed");
    if (archive_write_finish_entry(a) < ARCHIVE_OK)
        return fail(ArchiveStatus::CannotWrite, name + ": " + errText(a));
    return {};
}

// Code page 437, 0x80..0xFF: the characters of names stored in zip archives
// without the UTF-8 flag.
constexpr char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

}  // namespace

std::string EntryNameUtf8(std::string_view name) {
    std::string out;
    for (size_t i = 0; i < name.size();) {
        auto c = uint8_t(name[i]);
        size_t len = c < 0x80             ? 1
                     : (c & 0xE0) == 0xC0 ? 2
                     : (c & 0xF0) == 0xE0 ? 3
                     : (c & 0xF8) == 0xF0 ? 4
                                          : 0;
        bool valid = len > 0 && i + len <= name.size() && !(len == 2 && c < 0xC2);
        for (size_t k = 1; valid && k < len; ++k) valid = (uint8_t(name[i + k]) & 0xC0) == 0x80;
        if (valid) {
            out.append(name.substr(i, len));
            i += len;
            continue;
        }
        char32_t u = kCp437High[c - 0x80];
        if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
        ++i;
    }
    return out;
}

std::string SafeEntryName(std::string_view name) {
    std::string n(name);
    std::replace(n.begin(), n.end(), '\\', '/');
    if (n.empty() || n.front() == '/') return {};
    // "C:..." names a drive on the Windows side, wherever it points.
    if (n.size() >= 2 && n[1] == ':' && std::isalpha(static_cast<unsigned char>(n[0]))) return {};
    std::string out;
    size_t pos = 0;
    while (pos <= n.size()) {
        size_t slash = n.find('/', pos);
        if (slash == std::string::npos) slash = n.size();
        std::string_view part(n.data() + pos, slash - pos);
        if (part == "..") return {};
        if (part.find('\0') != std::string_view::npos) return {};
        if (!part.empty() && part != ".") {
            if (!out.empty()) out += '/';
            out += part;
        }
        pos = slash + 1;
    }
    return out;
}

ArchiveResult WriteArchive(const fs::path& target, const std::vector<ArchiveItem>& items,
                           std::string_view password) {
    std::vector<std::string> names;
    names.reserve(items.size());
    for (const auto& item : items) {
        std::string safe = SafeEntryName(item.entryName);
        if (safe.empty()) return fail(ArchiveStatus::UnsafeEntry, item.entryName);
        // The library takes UTF-8 names only (others crash its conversion).
        names.push_back(EntryNameUtf8(safe));
    }

    std::error_code ec;
    if (!target.parent_path().empty()) fs::create_directories(target.parent_path(), ec);
    // The archive goes to a temporary file beside the real target and replaces
    // it only when complete; a write-protected target is refused.
    files::AtomicFile out(target);
    switch (out.status()) {
        case files::AtomicFile::Status::Ok:
            break;
        case files::AtomicFile::Status::ReadOnly:
            return fail(ArchiveStatus::CannotWrite, target.string() + ": write-protected");
        case files::AtomicFile::Status::NotAFile:
            return fail(ArchiveStatus::CannotWrite, target.string() + ": not a file");
        default:
            return fail(ArchiveStatus::CannotWrite, sysText("cannot create beside", target, errno));
    }

    Sink sink{out.fd()};
    {
        WritePtr a(archive_write_new());
        if (!a) return fail(ArchiveStatus::CannotWrite, "out of memory");
        if (archive_write_set_format_zip(a.get()) != ARCHIVE_OK ||
            archive_write_set_options(a.get(), "zip:compression=deflate") != ARCHIVE_OK)
            return fail(ArchiveStatus::CannotWrite, errText(a.get()));
        if (!password.empty()) {
            if (archive_write_set_options(a.get(), "zip:encryption=zipcrypt") != ARCHIVE_OK ||
                archive_write_set_passphrase(a.get(), std::string(password).c_str()) != ARCHIVE_OK)
                return fail(ArchiveStatus::CannotWrite, errText(a.get()));
        }
        // Whole blocks only at the end: the last block would otherwise be padded.
        archive_write_set_bytes_in_last_block(a.get(), 1);
        if (archive_write_open2(a.get(), &sink, nullptr, Sink::write, nullptr, nullptr) !=
            ARCHIVE_OK)
            return fail(ArchiveStatus::CannotWrite, errText(a.get()));
        for (size_t i = 0; i < items.size(); ++i)
            if (auto r = writeEntry(a.get(), items[i], names[i]); !r) return r;
        if (archive_write_close(a.get()) != ARCHIVE_OK)
            return fail(ArchiveStatus::CannotWrite, errText(a.get()));
    }
    if (sink.error != 0) {
        out.Fail();
        return fail(ArchiveStatus::CannotWrite, sysText("cannot write beside", target, sink.error));
    }
    if (out.Commit() != files::AtomicFile::Status::Ok)
        return fail(ArchiveStatus::CannotWrite, sysText("cannot replace", target, errno));
    return {};
}

ArchiveResult PackFolder(const fs::path& folder, const fs::path& target,
                         std::string_view password) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return fail(ArchiveStatus::Missing, folder.string());
    std::vector<ArchiveItem> items;
    for (const auto& item : fs::directory_iterator(folder, ec)) {
        std::error_code ec2;
        if (item.is_symlink(ec2) || !item.is_regular_file(ec2)) continue;
        // The archive being written may lie in the folder being packed.
        if (fs::equivalent(item.path(), target, ec2)) continue;
        items.push_back({item.path().filename().string(), item.path()});
    }
    if (ec) return fail(ArchiveStatus::CannotWrite, sysText("cannot list", folder, ec.value()));
    std::sort(items.begin(), items.end(),
              [](const ArchiveItem& x, const ArchiveItem& y) { return x.entryName < y.entryName; });
    return WriteArchive(target, items, password);
}

ArchiveResult ListArchive(const fs::path& archive, std::vector<ArchiveEntryInfo>& entries) {
    entries.clear();
    ReadPtr a;
    if (auto r = openRead(archive, {}, a); !r) return r;
    for (;;) {
        archive_entry* e = nullptr;
        bool done = false;
        if (auto r = nextHeader(a.get(), e, done); !r) return r;
        if (done) break;
        ArchiveEntryInfo info;
        info.name = entryName(e);
        info.isDirectory = archive_entry_filetype(e) == AE_IFDIR;
        info.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
        info.encrypted = archive_entry_is_encrypted(e);
        entries.push_back(std::move(info));
    }
    return {};
}

ArchiveResult ExtractArchive(const fs::path& archive, const fs::path& destination,
                             std::string_view password, const ExtractLimits& limits) {
    std::error_code ec;
    if (!fs::exists(archive, ec)) return fail(ArchiveStatus::Missing, archive.string());
    fs::path dest = fs::absolute(destination, ec).lexically_normal();
    if (!dest.has_filename()) dest = dest.parent_path();
    ScratchFolder scratch;
    if (!scratch.create(dest.parent_path(), dest.filename().string()))
        return fail(ArchiveStatus::CannotWrite,
                    sysText("cannot create in", dest.parent_path(), errno));
    Budget budget{limits};
    if (auto r = extractInto(archive, scratch.path(), password, budget); !r) return r;
    return publish(scratch, dest);
}

ArchiveResult ReadEntry(const fs::path& archive, std::string_view name, std::string& out,
                        std::string_view password, uint64_t maxBytes) {
    out.clear();
    std::string wanted(name);
    std::replace(wanted.begin(), wanted.end(), '\\', '/');
    ReadPtr a;
    if (auto r = openRead(archive, password, a); !r) return r;
    for (;;) {
        archive_entry* e = nullptr;
        bool done = false;
        if (auto r = nextHeader(a.get(), e, done); !r) return r;
        if (done) break;
        std::string entry = entryName(e);
        if (entry != wanted || archive_entry_filetype(e) != AE_IFREG) continue;
        std::string data;
        ExtractLimits limits;
        limits.entryBytes = maxBytes;
        limits.scenarioBytes = maxBytes;
        limits.totalBytes = maxBytes;
        Budget budget{limits};
        for (;;) {
            const void* buf = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            int r = archive_read_data_block(a.get(), &buf, &size, &offset);
            if (r == ARCHIVE_EOF) break;
            if (r != ARCHIVE_OK) return dataError(a.get(), e, entry);
            if (offset < 0 || uint64_t(offset) != data.size())
                return fail(ArchiveStatus::Corrupt, entry + ": data out of order");
            if (auto c = spend(budget, maxBytes, entry, data.size(), size); !c) return c;
            data.append(static_cast<const char*>(buf), size);
        }
        out = std::move(data);
        return {};
    }
    return fail(ArchiveStatus::NotFound, wanted);
}

ArchiveResult UnpackProject(const fs::path& projectFile, const fs::path& destination,
                            std::string_view password, const ExtractLimits& limits) {
    std::error_code ec;
    if (!fs::exists(projectFile, ec)) return fail(ArchiveStatus::Missing, projectFile.string());
    fs::path dest = fs::absolute(destination, ec).lexically_normal();
    if (!dest.has_filename()) dest = dest.parent_path();
    ScratchFolder scratch;
    if (!scratch.create(dest.parent_path(), dest.filename().string()))
        return fail(ArchiveStatus::CannotWrite,
                    sysText("cannot create in", dest.parent_path(), errno));
    Budget budget{limits};
    if (auto r = extractInto(projectFile, scratch.path(), password, budget); !r) return r;

    std::vector<fs::path> inner;
    for (const auto& item : fs::directory_iterator(scratch.path(), ec)) {
        std::error_code ec2;
        if (item.is_regular_file(ec2) && iequalsZip(item.path())) inner.push_back(item.path());
    }
    if (ec)
        return fail(ArchiveStatus::CannotWrite, sysText("cannot list", scratch.path(), ec.value()));
    std::sort(inner.begin(), inner.end());
    for (const auto& zip : inner) {
        // "...zip" would name the parent folder: only a plain name is a scenario folder.
        std::string folder = zip.stem().string();
        if (SafeEntryName(folder) != folder || folder.find('/') != std::string::npos)
            return fail(ArchiveStatus::UnsafeEntry, zip.filename().string());
        fs::path into = scratch.path() / folder;
        if (!fs::exists(fs::symlink_status(into, ec))) {
            fs::create_directory(into, ec);
            if (ec)
                return fail(ArchiveStatus::CannotWrite, sysText("cannot create", into, ec.value()));
        } else if (!fs::is_directory(fs::symlink_status(into, ec))) {
            return fail(ArchiveStatus::CannotWrite, into.string() + ": exists as a file");
        }
        if (auto r = extractInto(zip, into, {}, budget); !r) {
            r.detail = zip.filename().string() + ": " + r.detail;
            return r;
        }
        fs::remove(zip, ec);
        if (ec) return fail(ArchiveStatus::CannotWrite, sysText("cannot delete", zip, ec.value()));
    }
    return publish(scratch, dest);
}

}  // namespace tessed::archive
