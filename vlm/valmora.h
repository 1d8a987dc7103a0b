// Values from the host configuration.
#pragma once

#include <string>

#include "vlm/host.h"

namespace vlm {

class TValmora {
public:
    explicit TValmora(const THostConfig& config) : config_(config) {}

    // Edit masks by kind: 0 the product code; other kinds "".
    std::string DBPict(int kind) const;
    const std::string& FiliProc() const { return config_.filiProc; }
    const std::string& WebURL() const { return config_.webUrl; }
    int WebPort() const { return config_.webPort; }

private:
    const THostConfig& config_;
};

}  // namespace vlm
