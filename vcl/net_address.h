// Addresses of the wire's two ends: what counts as this machine.
#pragma once

#include <string_view>

namespace vcl {

// "localhost", 127.0.0.0/8 or ::1 (bracketed or not): traffic that never
// leaves the machine, so plain http is safe there.
bool IsLoopbackHost(std::string_view host);

}  // namespace vcl
