#include "scenario/world_server.h"

#include <stdexcept>

namespace scenario {

void World::ChooseServer(bool fake) {
    if (server_) {
        throw std::logic_error("server must come before open");
    }
    fake_ = fake;
}

void World::QueueReply(const std::string& method, vcl::Variant result) {
    if (!fake_) {
        throw std::logic_error("reply needs the fake server: put \"server fake\" first");
    }
    if (server_) {
        server_->fake->QueueReply(method, std::move(result));
    } else {
        pendingReplies_.emplace_back(method, std::move(result));
    }
}

bool World::ServerStarted() const {
    return server_ != nullptr;
}

void World::StartServer() {
    if (server_) {
        return;
    }
    Database();  // the real server needs the data; the host's lookups always do
    auto started = std::make_unique<Server>();
    auto record = [this](std::string_view serverName, std::string_view method,
                         const vcl::VariantArray& args) {
        Record({std::string(serverName), std::string(method), args});
    };
    int port = 0;
    if (fake_) {
        started->fake = std::make_unique<server::FakeServer>(true);
        started->fake->SetObserver(record);
        for (auto& [method, result] : pendingReplies_) {
            started->fake->QueueReply(method, std::move(result));
        }
        pendingReplies_.clear();
        port = started->fake->Start("127.0.0.1", 0);
    } else {
        started->real = std::make_unique<server::AppServer>(connect_, server::AppServerOptions{2, true});
        started->real->SetObserver(record);
        port = started->real->Start("127.0.0.1", 0);
        // The in-process server hands the host its session directly.
        host_->Config.server.token = started->real->OpenSession(server::LocalCaller(host_->Config.filiProc));
    }
    server_ = std::move(started);
    host_->Config.webUrl = "127.0.0.1";
    host_->Config.webPort = port;
}

}  // namespace scenario
