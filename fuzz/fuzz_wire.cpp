// Decodes arbitrary text as a variant and as the request and answer envelopes;
// whatever decodes must encode and decode back to the same value.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "vcl/exceptions.h"
#include "vcl/wire.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const vcl::Variant value = vcl::wire::Decode(text);
        if (!(vcl::wire::Decode(vcl::wire::Encode(value)) == value))
            __builtin_trap();
    } catch (const vcl::EWireError&) {
    }
    try {
        const vcl::VariantArray args = vcl::wire::DecodeRequest(text);
        if (!(vcl::wire::DecodeRequest(vcl::wire::EncodeRequest(args)) == args))
            __builtin_trap();
    } catch (const vcl::EWireError&) {
    }
    try {
        const vcl::wire::Answer answer = vcl::wire::DecodeAnswer(text);
        const vcl::wire::Answer back = vcl::wire::DecodeAnswer(vcl::wire::EncodeAnswer(answer));
        if (!(back.result == answer.result) || back.refs != answer.refs)
            __builtin_trap();
    } catch (const vcl::EWireError&) {
    }
    (void)vcl::wire::DecodeError(text);
    return 0;
}
