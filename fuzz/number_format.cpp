// A number format comes from a workbook or a database's Format property. The input is the format
// text; it is rendered against values that reach every kind of section (negative, zero, text,
// dates far apart, huge and tiny magnitudes) in both languages.
#include "platform/NumberedError.h"
#include "spreadsheet/formats/NumberFormatter.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string format(reinterpret_cast<const char*>(data), size);
    const qv::Variant values[] = {
        qv::Variant(0.0),
        qv::Variant(-1234.5678),
        qv::Variant(45678.75),
        qv::Variant(1e300),
        qv::Variant(-4.9e-324),
        qv::Variant(2958465.99999),
        qv::Variant(std::numeric_limits<double>::quiet_NaN()),
        qv::Variant(std::numeric_limits<double>::infinity()),
        qv::Variant(std::string("text")),
        qv::Variant(true),
    };
    for (const auto& value : values) {
        for (auto locale : {qv::sheet::Locale::English, qv::sheet::Locale::Dutch}) {
            try {
                (void)qv::sheet::NumberFormatter::render(value, format, locale);
            } catch (const qv::NumberedError&) {
            }
        }
    }
    (void)qv::sheet::NumberFormatter::isDateFormat(format);
    return 0;
}
