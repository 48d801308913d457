// An encrypted database has no header of its own: SQLCipher files start with a random salt and
// every page is cipher text, so they read as noise from the first byte on and always come in
// whole pages. Zeros, text, a damaged SQLite header or another format's pages do not; their
// byte frequencies are far from even. Access files carry their format name at offset 4, also
// when they are encrypted.
#include "engines/sqlite/DatabaseFileKind.h"

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace qv::engine {

namespace {

constexpr std::size_t EncryptedPage = 1024; // SQLCipher's smallest default page
constexpr std::size_t Sample = 4096;
// Uniform random bytes give about 7.95 bits per byte over 4 KiB (7.8 over 1 KiB); a SQLite page,
// even one full of compressed-looking blobs, keeps its zeros and headers well below this.
constexpr double NoiseThreshold = 7.5;

bool startsWithAt(const std::array<unsigned char, Sample>& head, std::size_t got, std::size_t at,
                  const char* text) {
    const std::size_t n = std::strlen(text);
    return got >= at + n && std::memcmp(head.data() + at, text, n) == 0;
}

} // namespace

double DatabaseFileKind::entropy(const unsigned char* bytes, std::size_t size) {
    if (size == 0) return 0;
    std::array<std::size_t, 256> counts{};
    for (std::size_t i = 0; i < size; ++i)
        ++counts[bytes[i]];
    double bits = 0;
    for (std::size_t c : counts) {
        if (c == 0) continue;
        const double p = static_cast<double>(c) / static_cast<double>(size);
        bits -= p * std::log2(p);
    }
    return bits;
}

DatabaseFileKind::Kind DatabaseFileKind::of(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return Kind::Other;
    std::ifstream in(path, std::ios::binary);
    std::array<unsigned char, Sample> head{};
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (startsWithAt(head, got, 0, "SQLite format 3")) return Kind::Sqlite;
    if (startsWithAt(head, got, 4, "Standard Jet DB") || startsWithAt(head, got, 4, "Standard ACE DB"))
        return Kind::Access;
    if (size < EncryptedPage || size % EncryptedPage != 0) return Kind::Other;
    return entropy(head.data(), got) >= NoiseThreshold ? Kind::Encrypted : Kind::Other;
}

} // namespace qv::engine
