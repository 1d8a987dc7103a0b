// Feeds request bodies to the server's decoder and method dispatch. The
// first byte picks the method; the rest is the body. Every failure must be
// a reported one (CallError, or a component error from decoding); anything
// else escaping, or a crash, is a finding.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "contracts/server_api.h"
#include "db/connection.h"
#include "db/init_db.h"
#include "server/call_error.h"
#include "server/dispatch.h"
#include "vcl/exceptions.h"
#include "vcl/wire.h"

namespace {

soci::session& DemoSession() {
    static soci::session session;
    static const bool ready = [] {
        db::Open(session, "sqlite3://db=:memory:");
        db::InitDatabase(session, {.demo = true, .notes = 40});
        return true;
    }();
    (void)ready;
    return session;
}

// The module's methods, and one the server does not have.
constexpr std::string_view kUnknownMethod = "naoExiste";
constexpr std::size_t kMethodCount = std::size(contracts::kRemessaMethods) + 1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    soci::session& session = DemoSession();
    const std::size_t pick = data[0] % kMethodCount;
    const std::string_view method =
        pick < std::size(contracts::kRemessaMethods) ? contracts::kRemessaMethods[pick] : kUnknownMethod;
    const std::string_view body(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        const vcl::VariantArray args = vcl::wire::DecodeRequest(body);
        const vcl::wire::Answer answer =
            server::Dispatch(session, contracts::kRemessaServer, method, args, server::LocalCaller("0001"));
        vcl::wire::EncodeAnswer(answer);
    } catch (const server::CallError&) {
    } catch (const vcl::Exception&) {
    }
    return 0;
}
