// JSON wire encoding of variants, shared by the server connection and the
// application server:
//   null -> Null; strings, numbers, booleans as themselves;
//   {"date":"YYYY-MM-DD"}, {"datetime":"YYYY-MM-DDTHH:MM:SS"};
//   a variant array as a JSON array;
//   {"packet":{"fields":[{"name":..,"type":..,"size":..}],"rows":[[..],..]}}.
// Integers are JSON integers, floats always carry a '.' or an exponent so that
// a round trip keeps the type. Unassigned is encoded as null.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "vcl/variant.h"

namespace vcl::wire {

std::string Encode(const Variant& value);
void EncodeTo(const Variant& value, std::string& out);  // appends

// Raises EWireError with a reason on malformed input (never crashes).
Variant Decode(std::string_view json);

// The call envelope: request body {"args":[...]}, answer body
// {"result":V,"refs":{"3":V,...}} (final values of by-reference arguments,
// keyed by 1-based position), error body {"error":"..."}.
std::string EncodeRequest(const VariantArray& args);
VariantArray DecodeRequest(std::string_view body);  // EWireError when malformed

struct Answer {
    Variant result;
    std::map<int, Variant> refs;
};
std::string EncodeAnswer(const Answer& answer);
Answer DecodeAnswer(std::string_view body);  // EWireError when malformed
std::string EncodeError(std::string_view message);
// The "error" text of an error body; empty when the body is not one.
std::string DecodeError(std::string_view body);

}  // namespace vcl::wire
