// The ribbon definition a workbook carries (customUI XML).
#include "platform/NumberedError.h"
#include "spreadsheet/commandbars/RibbonDefinition.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string xml(reinterpret_cast<const char*>(data), size);
    try {
        auto ribbon = qv::sheet::RibbonDefinition::parse(xml);
        for (const auto& tab : ribbon.tabs)
            (void)ribbon.find(tab.id);
    } catch (const qv::NumberedError&) {
    }
    return 0;
}
