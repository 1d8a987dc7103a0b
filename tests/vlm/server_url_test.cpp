#include "vlm/server_url.h"

#include <gtest/gtest.h>

namespace vlm {
namespace {

TEST(ServerUrl, SchemesHostsPortsAndPlainHttpOnlyOnLoopback) {
    struct Case {
        const char* text;
        bool insecure;
        bool accepted;
        bool tls;
        const char* host;
        int port;
    } const cases[] = {
        {"https://erp.example:8211", false, true, true, "erp.example", 8211},
        {"https://10.0.0.5:8211/", false, true, true, "10.0.0.5", 8211},
        {"http://127.0.0.1:8211", false, true, false, "127.0.0.1", 8211},
        {"127.0.0.1:8211", false, true, false, "127.0.0.1", 8211},
        {"localhost:1", false, true, false, "localhost", 1},
        {"[::1]:8211", false, true, false, "::1", 8211},
        {"https://[fe80::1]:443", false, true, true, "fe80::1", 443},
        {"http://10.0.0.5:8211", false, false, false, "", 0},
        {"10.0.0.5:8211", false, false, false, "", 0},
        {"10.0.0.5:8211", true, true, false, "10.0.0.5", 8211},
        {"ftp://10.0.0.5:21", true, false, false, "", 0},
        {"https://erp.example", false, false, false, "", 0},
        {"https://erp.example:0", false, false, false, "", 0},
        {"https://erp.example:70000", false, false, false, "", 0},
        {"https://:8211", false, false, false, "", 0},
        {"https://user@erp.example:8211", false, false, false, "", 0},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto url = ParseServerUrl(c.text, c.insecure, error);
        ASSERT_EQ(url.has_value(), c.accepted) << c.text << ": " << error;
        if (!url) {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(url->tls, c.tls) << c.text;
        EXPECT_EQ(url->host, c.host) << c.text;
        EXPECT_EQ(url->port, c.port) << c.text;
    }
}

}  // namespace
}  // namespace vlm
