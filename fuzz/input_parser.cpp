// What a person types into a cell, in both languages.
#include "platform/NumberedError.h"
#include "spreadsheet/formats/InputParser.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    for (auto locale : {qv::sheet::Locale::English, qv::sheet::Locale::Dutch}) {
        try {
            (void)qv::sheet::InputParser::parse(typed, locale);
            (void)qv::sheet::InputParser::parseNumber(typed, locale);
            (void)qv::sheet::InputParser::parseDateTime(typed, locale);
        } catch (const qv::NumberedError&) {
        }
    }
    return 0;
}
