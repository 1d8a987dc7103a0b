// FormatMaskText with the input split at its first newline into mask and value.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vcl/mask_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t split = text.find('\n');
    const std::string_view mask = text.substr(0, split);
    const std::string_view value =
        split == std::string_view::npos ? std::string_view() : text.substr(split + 1);
    const std::string shown = vcl::FormatMaskText(mask, value);
    // The mask's shown positions plus, with literals not saved, what the value
    // has left over; without a mask the value as it is.
    if (shown.size() > 4 * mask.size() + value.size() && shown != value)
        __builtin_trap();
    return 0;
}
