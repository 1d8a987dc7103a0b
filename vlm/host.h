// The host's context as the module sees it: the application object, the
// user-facing services, the configuration and the shared database module.
// The host hands it to the package when it loads it; forms receive it when
// they are created.
#pragma once

#include <string>

#include "contracts/host_services.h"
#include "vlm/server_access.h"

namespace vcl {
class TApplication;
}

namespace vlm {

class TdtmDBGeral;
class ICallWaiter;

struct THostConfig {
    std::string webUrl = "127.0.0.1";            // application server host (Valmora::WebURL)
    int webPort = 0;                             // application server port (Valmora::WebPort)
    std::string filiProc;                        // branch the user works in (Valmora::FiliProc)
    std::string productMask = "!99.99.999;0; ";  // product-code edit mask (Valmora::DBPict(0))
    TServerAccess server{};                      // TLS and session of the server connections
};

struct THost {
    vcl::TApplication& Application;
    contracts::IHostServices& Services;
    THostConfig Config;
    TdtmDBGeral& dtmDBGeral;
    // How server calls of the host's forms are waited for; nullptr: in line
    // on the calling thread (headless hosts).
    ICallWaiter* CallWaiter = nullptr;
};

}  // namespace vlm
