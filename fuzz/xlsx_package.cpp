// A workbook package from outside: the zip container, the relationships, the workbook, sheets,
// shared strings, styles, comments and ribbon parts. The reader takes a path, so each input is
// written to a file of this process first. Limits are smaller than the product's so that a
// legitimately refused bomb is refused quickly instead of filling the fuzzer's memory.
#include "platform/NumberedError.h"
#include "spreadsheet/io/XlsxReader.h"
#include "spreadsheet/model/Application.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

namespace {
std::string inputPath() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/qv-fuzz-" + std::to_string(::getpid()) + ".xlsx";
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = inputPath();
    static const bool cleanup = [] { return std::atexit([] { std::remove(path.c_str()); }) == 0; }();
    (void)cleanup;
    // Kept for the whole run and never destroyed: an application torn down among the exit
    // handlers would outlive the statics it refers to.
    static const auto& app = *new std::shared_ptr<qv::sheet::Application>(qv::sheet::Application::create());
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    } else {
        return 0;
    }
    qv::sheet::ZipLimits limits;
    limits.maxPart = 16u << 20;
    limits.maxTotal = 64u << 20;
    try {
        (void)qv::sheet::XlsxReader(limits, 64u << 20).read(app, path);
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
