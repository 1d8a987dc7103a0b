// The world's application server: the real one over the world's database or
// the fake one answering from queued replies; both report every call.
#pragma once

#include <memory>
#include <string>

#include "scenario/world.h"
#include "server/app_server.h"
#include "server/fake_server.h"

namespace scenario {

struct World::Server {
    std::unique_ptr<server::AppServer> real;
    std::unique_ptr<server::FakeServer> fake;
};

}  // namespace scenario
