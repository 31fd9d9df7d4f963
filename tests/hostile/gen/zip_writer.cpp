#include "zip_writer.h"

#include <zlib.h>

#include <fstream>
#include <stdexcept>

namespace tessed::hostile {

namespace {

void put16(std::string& o, uint32_t v) {
    o += char(v & 0xFF);
    o += char((v >> 8) & 0xFF);
}
void put32(std::string& o, uint32_t v) {
    put16(o, v & 0xFFFF);
    put16(o, v >> 16);
}
void put64(std::string& o, uint64_t v) {
    put32(o, uint32_t(v & 0xFFFFFFFFu));
    put32(o, uint32_t(v >> 32));
}

// The traditional PKWARE encryption: three keys stirred by every plain byte.
class ZipCrypto {
  public:
    explicit ZipCrypto(const std::string& password) {
        for (unsigned char c : password) update(c);
    }
    std::string encrypt(const std::string& plain) {
        std::string out = plain;
        for (char& c : out) {
            unsigned char p = static_cast<unsigned char>(c);
            c = char(p ^ stream());
            update(p);
        }
        return out;
    }

  private:
    static uint32_t crcByte(uint32_t crc, unsigned char b) {
        static const auto table = [] {
            std::vector<uint32_t> t(256);
            for (uint32_t n = 0; n < 256; ++n) {
                uint32_t c = n;
                for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
                t[n] = c;
            }
            return t;
        }();
        return table[(crc ^ b) & 0xFF] ^ (crc >> 8);
    }
    void update(unsigned char c) {
        k0_ = crcByte(k0_, c);
        k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
        k2_ = crcByte(k2_, static_cast<unsigned char>(k1_ >> 24));
    }
    unsigned char stream() const {
        uint32_t t = (k2_ | 2) & 0xFFFF;
        return static_cast<unsigned char>((t * (t ^ 1)) >> 8);
    }
    uint32_t k0_ = 0x12345678u, k1_ = 0x23456789u, k2_ = 0x34567890u;
};

std::string deflateWith(const std::string& bytes, int flush) {
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2");
    std::string out(deflateBound(&z, uLong(bytes.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    z.avail_in = uInt(bytes.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    int rc = deflate(&z, flush);
    if (rc != Z_STREAM_END && rc != Z_OK) throw std::runtime_error("deflate");
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

uint16_t dosTime(const ZipEntry& e) {
    return uint16_t((e.hour << 11) | (e.minute << 5) | (e.second / 2));
}
uint16_t dosDate(const ZipEntry& e) {
    return uint16_t(((e.year - 1980) << 9) | (e.month << 5) | e.day);
}

}  // namespace

uint32_t Crc32(const std::string& bytes) {
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), uInt(bytes.size())));
}

std::string Deflate(const std::string& bytes) { return deflateWith(bytes, Z_FINISH); }

Compressed DeflatedZeros(uint64_t mebibytes) {
    const std::string mib(1 << 20, '\0');
    // A full flush ends the block on a byte boundary and forgets the window,
    // so the same bytes can follow themselves; an empty final block ends it.
    const std::string chunk = deflateWith(mib, Z_FULL_FLUSH);
    const uint32_t chunkCrc = Crc32(mib);
    Compressed c;
    c.data.reserve(chunk.size() * mebibytes + 8);
    for (uint64_t i = 0; i < mebibytes; ++i) {
        c.data += chunk;
        c.crc = uint32_t(crc32_combine(c.crc, chunkCrc, z_off_t(mib.size())));
    }
    c.data += deflateWith(std::string(), Z_FINISH);
    c.size = mebibytes << 20;
    return c;
}

void SetTime(ZipEntry& e, int64_t seconds, int64_t dosOffset) {
    e.mtime = seconds;
    time_t local = time_t(seconds + dosOffset);
    tm t{};
    localtime_r(&local, &t);
    e.year = t.tm_year + 1900;
    e.month = t.tm_mon + 1;
    e.day = t.tm_mday;
    e.hour = t.tm_hour;
    e.minute = t.tm_min;
    e.second = t.tm_sec;
}

std::string ZipBytes(const std::vector<ZipEntry>& entries) {
    std::string out, central;
    for (const ZipEntry& e : entries) {
        const bool folder = (e.mode & 0170000) == 0040000;
        std::string data;
        uint32_t crc = 0;
        uint64_t size = 0;
        int method = 0;
        if (e.precompressed) {
            data = e.deflated.data;
            crc = e.deflated.crc;
            size = e.deflated.size;
            method = 8;
        } else {
            crc = Crc32(e.content);
            size = e.content.size();
            method = e.deflate && !folder && !e.content.empty() ? 8 : 0;
            data = method == 8 ? Deflate(e.content) : e.content;
        }
        uint32_t flags = e.utf8Flag ? 0x0800 : 0;
        if (!e.password.empty()) {
            flags |= 1;
            std::string header(12, '\0');
            for (size_t i = 0; i < 11; ++i) header[i] = char(0x5A + 31 * i);
            header[11] = char(crc >> 24);
            ZipCrypto z(e.password);
            data = z.encrypt(header + data);
        }
        const uint64_t usize = e.lieAboutSize ? e.claimedSize : size;
        const uint64_t csize = data.size();
        const bool zip64 = usize >= 0xFFFFFFFFu || csize >= 0xFFFFFFFFu;
        const uint64_t offset = out.size();
        std::string extra;
        if (e.unixTime) {
            put16(extra, 0x5455);
            put16(extra, 5);
            extra += char(1);
            put32(extra, uint32_t(e.mtime));
        }
        std::string localExtra = extra, centralExtra = extra;
        if (zip64) {
            for (std::string* x : {&localExtra, &centralExtra}) {
                put16(*x, 0x0001);
                put16(*x, 16);
                put64(*x, usize);
                put64(*x, csize);
            }
        }
        const uint32_t needed = zip64 ? 45 : 20;
        auto common = [&](std::string& o) {
            put16(o, flags);
            put16(o, uint32_t(method));
            put16(o, dosTime(e));
            put16(o, dosDate(e));
            put32(o, crc);
            put32(o, zip64 ? 0xFFFFFFFFu : uint32_t(csize));
            put32(o, zip64 ? 0xFFFFFFFFu : uint32_t(usize));
            put16(o, uint32_t(e.name.size()));
        };
        put32(out, 0x04034b50);
        put16(out, needed);
        common(out);
        put16(out, uint32_t(localExtra.size()));
        out += e.name;
        out += localExtra;
        out += data;

        put32(central, 0x02014b50);
        put16(central, (3u << 8) | 30u);  // made on Unix, so the mode counts
        put16(central, needed);
        common(central);
        put16(central, uint32_t(centralExtra.size()));
        put16(central, 0);  // comment
        put16(central, 0);  // disk
        put16(central, 0);  // internal attributes
        put32(central, (e.mode << 16) | (folder ? 0x10u : 0u));
        put32(central, uint32_t(offset));
        central += e.name;
        central += centralExtra;
    }
    if (entries.size() > 0xFFFF) throw std::runtime_error("too many entries for this writer");
    const uint64_t cdOffset = out.size();
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, uint32_t(entries.size()));
    put16(out, uint32_t(entries.size()));
    put32(out, uint32_t(central.size()));
    put32(out, uint32_t(cdOffset));
    put16(out, 0);
    return out;
}

bool WriteZip(const std::filesystem::path& file, const std::vector<ZipEntry>& entries) {
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    std::string bytes = ZipBytes(entries);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    return bool(f);
}

}  // namespace tessed::hostile
