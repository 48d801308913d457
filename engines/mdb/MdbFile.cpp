// libmdb reads pages with fseeko/fread on the FILE* it keeps in its handle. After mdb_open we
// put a cookie stream there (glibc's fopencookie): it reads the real file and, past its end,
// hands out pages whose every row offset points at the page end, so that row and long-value
// lookups on them come out empty rather than looping, and it records that the end was passed.
#include "engines/mdb/MdbFile.h"

#include "engines/mdb/MdbPropertyBlock.h"
#include "engines/sqlite/EngineErrors.h"

#include <glib.h>
// glib.h first: mdbtools.h uses glib types without including it in every configuration.
#include <mdbtools.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fmt/format.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qv::engine {

struct MdbFile::Stream {
    std::FILE* file = nullptr;
    std::uint64_t size = 0;
    std::uint64_t position = 0;
    unsigned pageSize = 4096;
    bool ranPastEnd = false;
    std::vector<char> buffer; // the stream's own buffer: glibc ignores a size given without one

    void fillBeyondEnd(char* out, std::size_t n, std::uint64_t at) const {
        // Little-endian page size in every 16-bit slot: row count and offsets all equal the
        // page end, and the page type byte is 0, which no table scan accepts as a data page.
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<char>(((at + i) & 1) ? (pageSize >> 8) : (pageSize & 0xff));
    }

    static ssize_t read(void* cookie, char* out, std::size_t n) {
        auto* s = static_cast<Stream*>(cookie);
        std::size_t got = 0;
        if (s->position < s->size) {
            const std::size_t wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(n, s->size - s->position));
            const ssize_t n2 = ::pread(fileno(s->file), out, wanted, static_cast<off_t>(s->position));
            got = n2 > 0 ? static_cast<std::size_t>(n2) : 0;
        }
        if (got < n) {
            s->ranPastEnd = true;
            s->fillBeyondEnd(out + got, n - got, s->position + got);
        }
        s->position += n;
        return static_cast<ssize_t>(n);
    }

    static int seek(void* cookie, off64_t* offset, int whence) {
        auto* s = static_cast<Stream*>(cookie);
        // libmdb compares a page's offset with the length it finds at SEEK_END before reading;
        // a far end lets every read reach us, so that running past the real end is seen.
        constexpr std::uint64_t FarEnd = std::uint64_t{1} << 40;
        std::int64_t base = whence == SEEK_SET   ? 0
                            : whence == SEEK_CUR ? static_cast<std::int64_t>(s->position)
                                                 : static_cast<std::int64_t>(FarEnd);
        const std::int64_t target = base + *offset;
        if (target < 0) return -1;
        s->position = static_cast<std::uint64_t>(target);
        *offset = target;
        return 0;
    }

    static int close(void* cookie) {
        auto* s = static_cast<Stream*>(cookie);
        if (s->file) std::fclose(s->file);
        s->file = nullptr;
        return 0;
    }
};

namespace {

// Jet keeps the database password at 0x42 of the (unmasked) header: 20 code-page bytes in Jet 3;
// 40 bytes of UTF-16 in Jet 4, each 4 bytes XORed with the whole days of the creation date.
std::optional<std::string> passwordInHeader(const unsigned char* page, int version) {
    if (version == 0) {
        std::size_t n = 0;
        while (n < 20 && page[0x42 + n] != 0)
            ++n;
        if (n == 0) return std::string();
        gchar* text = g_convert(reinterpret_cast<const char*>(page + 0x42), static_cast<gssize>(n), "UTF-8",
                                "CP1252", nullptr, nullptr, nullptr);
        std::string out = text ? text : "";
        g_free(text);
        return out;
    }
    double created = 0;
    std::memcpy(&created, page + 0x72, sizeof created);
    // Access writes a date of the last centuries here; anything that is no whole number of days
    // a 32-bit mask can hold is a damaged header, from which no password can be unmasked.
    if (!(created > -2147483648.0 && created < 2147483648.0)) return std::nullopt;
    const auto days = static_cast<std::int32_t>(created);
    unsigned char mask[4];
    std::memcpy(mask, &days, sizeof mask);
    gunichar2 units[20];
    glong count = 0;
    for (int i = 0; i < 20; ++i) {
        const unsigned lo = page[0x42 + 2 * i] ^ mask[(2 * i) % 4];
        const unsigned hi = page[0x42 + 2 * i + 1] ^ mask[(2 * i + 1) % 4];
        units[i] = static_cast<gunichar2>(lo | (hi << 8));
        if (units[i] == 0) break;
        ++count;
    }
    if (count == 0) return std::string();
    gchar* text = g_utf16_to_utf8(units, count, nullptr, nullptr, nullptr);
    std::string out = text ? text : "";
    g_free(text);
    return out;
}

std::string readFirstPage(const std::string& path) {
    std::string page(4096, '\0');
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return {};
    page.resize(std::fread(page.data(), 1, page.size(), f));
    std::fclose(f);
    return page;
}

} // namespace

std::unique_ptr<MdbFile> MdbFile::open(const std::string& path, const Options& options) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw EngineErrors::fileNotFound(options.source, path);
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) throw EngineErrors::fileNotFound(options.source, path);

    std::unique_ptr<MdbFile> file(new MdbFile);
    file->mPath = path;
    file->mSource = options.source;
    file->mHeader = MdbHeader::parse(readFirstPage(path), size, path, options.source);

    file->mMdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!file->mMdb) file->damaged("libmdb cannot read its header.");
    MdbHandle* mdb = file->mMdb;
    if (static_cast<std::size_t>(mdb->fmt->pg_size) != file->mHeader.pageSize)
        file->damaged("its page size does not match its format.");

    // mdb_open leaves the unmasked header page in pg_buf: read the key and password now.
    if (file->mHeader.ace && mdb->f->db_key != 0) {
        throw EngineErrors::make(
            err::UnrecognisedFormat, options.source,
            fmt::format("'{}' is encrypted with a database password ({} encryption). Quorvel cannot "
                        "read encrypted ACCDB files; remove the password in Access first.",
                        path, file->mHeader.formatName()));
    }
    const auto stored = passwordInHeader(mdb->pg_buf, file->mHeader.version);
    if (!stored) file->damaged("its header's creation date is damaged.");
    file->mStoredPassword = *stored;
    if (!file->mStoredPassword.empty() && options.password != file->mStoredPassword)
        throw EngineErrors::passwordNotValid(options.source);

    auto stream = std::make_unique<Stream>();
    stream->file = std::fopen(path.c_str(), "rb");
    if (!stream->file) throw EngineErrors::fileNotFound(options.source, path);
    stream->size = size;
    stream->pageSize = static_cast<unsigned>(file->mHeader.pageSize);
    cookie_io_functions_t io{&Stream::read, nullptr, &Stream::seek, &Stream::close};
    std::FILE* cookie = fopencookie(stream.get(), "rb", io);
    if (!cookie) {
        std::fclose(stream->file);
        throw EngineErrors::fileNotFound(options.source, path);
    }
    // One page of buffer: libmdb seeks to page starts, so every refill reads exactly one page.
    stream->buffer.resize(file->mHeader.pageSize);
    std::setvbuf(cookie, stream->buffer.data(), _IOFBF, stream->buffer.size());
    std::fclose(mdb->f->stream);
    mdb->f->stream = cookie;
    file->mStream = std::move(stream);
    return file;
}

MdbFile::~MdbFile() {
    // mdb_close closes the cookie stream, which closes our file.
    if (mMdb) mdb_close(mMdb);
}

void MdbFile::damaged(const std::string& why) const {
    throw EngineErrors::make(err::UnrecognisedFormat, mSource,
                             fmt::format("Unrecognized database format '{}': the file is damaged or "
                                         "truncated ({})",
                                         mPath, why));
}

void MdbFile::checkIntact() const {
    if (mStream && mStream->ranPastEnd) damaged("a page lies past the end of the file.");
}

std::uint64_t MdbFile::highestOwnedPage(const S_MdbTableDef* table) const {
    const auto* map = table->usage_map;
    const std::size_t n = table->map_sz;
    // libmdb reads the map's type byte without looking at its size, and on a type it does not
    // know it scans page after page for the table's data, which past the end never stops.
    if (!map || n == 0 || map[0] > 1)
        damaged(fmt::format("table '{}' has no page map it can be read by.", table->name));
    if (n < 5) return 0;
    std::uint64_t highest = 0;
    auto scanBits = [&](const unsigned char* bits, std::size_t bytes, std::uint64_t first) {
        for (std::size_t i = bytes; i-- > 0;) {
            if (!bits[i]) continue;
            for (int b = 7; b >= 0; --b)
                if (bits[i] & (1u << b)) return std::max(highest, first + i * 8 + static_cast<unsigned>(b));
        }
        return highest;
    };
    if (map[0] == 0) {
        const auto first = static_cast<std::uint32_t>(mdb_get_int32(const_cast<unsigned char*>(map), 1));
        return scanBits(map + 5, n - 5, first);
    }
    // A reference map lists map pages; each covers (page size - 4) * 8 pages from its slot.
    const std::size_t pageSize = mHeader.pageSize;
    const std::uint64_t perMapPage = (pageSize - 4) * 8;
    std::vector<unsigned char> page(pageSize);
    std::FILE* f = std::fopen(mPath.c_str(), "rb");
    if (!f) damaged("the file cannot be read again.");
    for (std::size_t slot = 0; 1 + slot * 4 + 4 <= n; ++slot) {
        const auto mapPage = static_cast<std::uint32_t>(
            mdb_get_int32(const_cast<unsigned char*>(map), static_cast<int>(1 + slot * 4)));
        if (mapPage == 0) continue;
        if (mapPage >= mHeader.pageCount) {
            std::fclose(f);
            return mapPage;
        }
        if (fseeko(f, static_cast<off_t>(mapPage) * static_cast<off_t>(pageSize), SEEK_SET) != 0 ||
            std::fread(page.data(), 1, pageSize, f) != pageSize) {
            std::fclose(f);
            return mHeader.pageCount;
        }
        highest = scanBits(page.data() + 4, pageSize - 4, slot * perMapPage);
    }
    std::fclose(f);
    return highest;
}

namespace {

// Access writes at most 255 columns and 32 indexes (and one foreign-key index per relation);
// anything far beyond is damage, and libmdb allocates and walks pages by these counts.
constexpr unsigned MaxColumns = 1024;
constexpr unsigned MaxIndexes = 1024;
// Row offsets carry flags (deleted, overflow) above their 13 bits.
constexpr std::size_t OffsetMask = 0x1fff;

std::uint32_t u16At(const unsigned char* p) {
    return p[0] | (static_cast<std::uint32_t>(p[1]) << 8);
}

std::uint32_t u32At(const unsigned char* p) {
    return u16At(p) | (u16At(p + 2) << 16);
}

} // namespace

void MdbFile::checkDefinition(const S_MdbTableDef* table) const {
    if (table->num_cols > MaxColumns || table->num_idxs > MaxIndexes || table->num_real_idxs > MaxIndexes)
        damaged(fmt::format("the definition of table '{}' claims {} columns and {} indexes.", table->name,
                            table->num_cols, std::max(table->num_idxs, table->num_real_idxs)));
}

std::vector<unsigned char> MdbFile::readPage(std::uint64_t page, const std::string& where) const {
    if (page >= mHeader.pageCount)
        damaged(fmt::format("{} lies on page {}, past the end of the file.", where, page));
    if (page == mCachedPage) return mCachedBytes;
    std::vector<unsigned char> bytes(mHeader.pageSize);
    const ssize_t got = ::pread(fileno(mStream->file), bytes.data(), bytes.size(),
                                static_cast<off_t>(page * mHeader.pageSize));
    if (got != static_cast<ssize_t>(bytes.size())) damaged(fmt::format("page {} cannot be read.", page));
    mCachedPage = page;
    mCachedBytes = bytes;
    return bytes;
}

std::string MdbFile::rowBytes(std::uint32_t pageRow, const std::string& where) const {
    const auto page = readPage(pageRow >> 8, where);
    const unsigned row = pageRow & 0xff;
    // As libmdb finds a row: its offset in the table after the row count, its end at the
    // previous row's start (the page end for row 0); flag bits above the offset are masked.
    const std::size_t counts = mHeader.version == 0 ? 0x08 : 0x0c;
    const std::size_t size = page.size();
    const std::size_t start = u16At(&page[counts + 2 + row * 2]) & OffsetMask;
    const std::size_t end = row == 0 ? size : u16At(&page[counts + row * 2]) & OffsetMask;
    if (start >= size || start > end || end > size)
        damaged(fmt::format("{} names row {} of page {}, which that page does not have.", where, row,
                            pageRow >> 8));
    return std::string(reinterpret_cast<const char*>(page.data() + start), end - start);
}

std::string MdbFile::readLongValue(const unsigned char* p, int size, const std::string& where) const {
    if (size < MDB_MEMO_OVERHEAD) damaged(fmt::format("a long value of {} is cut short.", where));
    const std::uint32_t length = u32At(p);
    const std::uint32_t pointer = u32At(p + 4);
    const std::string what = "a long value of " + where;
    if (length & 0x80000000u) // kept inline in the row
        return std::string(reinterpret_cast<const char*>(p + MDB_MEMO_OVERHEAD),
                           static_cast<std::size_t>(size - MDB_MEMO_OVERHEAD));
    if (length & 0x40000000u) return rowBytes(pointer, what); // one row on one page
    if (length & 0xf0000000u) return {};                      // libmdb leaves other kinds empty
    // A chain of rows, each starting with the page and row of the next; 0 ends it. libmdb reads
    // the first link whatever it holds.
    std::string out;
    std::vector<std::uint32_t> seen;
    std::uint32_t at = pointer;
    do {
        if (std::find(seen.begin(), seen.end(), at) != seen.end())
            damaged(fmt::format("the pages of {} run in a circle.", what));
        seen.push_back(at);
        const std::string row = rowBytes(at, what);
        if (row.size() < 4) break;
        out.append(row, 4);
        at = u32At(reinterpret_cast<const unsigned char*>(row.data()));
    } while (at != 0);
    return out;
}

void MdbFile::checkLongValues(S_MdbTableDef* table) const {
    MdbHandle* mdb = mMdb;
    std::vector<MdbField> fields(table->num_cols + 1);
    mdb_rewind_table(table);
    while (mdb_fetch_row(table)) {
        checkIntact();
        int start = 0;
        std::size_t length = 0;
        if (mdb_find_row(mdb, static_cast<int>(table->cur_row) - 1, &start, &length) != 0) continue;
        start &= OffsetMask;
        if (mdb_crack_row(table, start, length, fields.data()) < 0) continue;
        for (unsigned c = 0; c < table->num_cols; ++c) {
            auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
            if (fields[c].is_null || (col->col_type != MDB_MEMO && col->col_type != MDB_OLE)) continue;
            if (fields[c].start < 0 || fields[c].siz < MDB_MEMO_OVERHEAD ||
                static_cast<std::size_t>(fields[c].start) + static_cast<std::size_t>(fields[c].siz) >
                    mHeader.pageSize)
                damaged(fmt::format("a row of {} is damaged.", table->name));
            const std::string value =
                readLongValue(mdb->pg_buf + fields[c].start, fields[c].siz, table->name);
            // libmdb parses the catalogue's property blocks as it reads the catalogue.
            if (col->col_type == MDB_OLE && std::string_view(col->name) == "LvProp" && !value.empty()) {
                if (auto why = MdbPropertyBlock::fault(value, mHeader.pageSize); !why.empty())
                    damaged(fmt::format("the properties of an object are damaged: {}.", why));
            }
        }
    }
    checkIntact();
}

void MdbFile::checkPagesPresent(const S_MdbTableDef* table) const {
    const auto highest = highestOwnedPage(table);
    if (highest >= mHeader.pageCount)
        damaged(fmt::format("table '{}' owns page {} but the file has {} pages.", table->name, highest,
                            mHeader.pageCount));
    checkIntact();
}

} // namespace qv::engine
