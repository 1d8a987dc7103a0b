// HTTPS between the host library's client and the server, with a certificate
// authority made for the test; and where the server may listen without TLS.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "db/connection.h"
#include "remessa_fixture.h"
#include "server/accounts.h"
#include "server/app_server.h"
#include "server/listen_policy.h"
#include "server/password_hash.h"
#include "test_database.h"
#include "vcl/exceptions.h"
#include "vlm/login_client.h"
#include "vlm/net_connection.h"

namespace {

namespace fs = std::filesystem;

// Two certificate authorities and a server certificate for 127.0.0.1 signed
// by the first, made with the openssl command in a scratch folder.
class Certificates {
public:
    Certificates() : folder_(fs::temp_directory_path() / ("zrm-tls-" + std::to_string(::getpid()))) {
        fs::create_directories(folder_);
        std::ofstream(Path("ext.cnf")) << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
        const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        ok_ = Run("openssl req -x509" + key + " -keyout " + Path("ca.key") + " -out " + Path("ca.pem") +
                  " -days 2 -subj /CN=zrm-test-ca") &&
              Run("openssl req -x509" + key + " -keyout " + Path("other.key") + " -out " + Path("other.pem") +
                  " -days 2 -subj /CN=zrm-other-ca") &&
              Run("openssl req" + key + " -keyout " + Path("server.key") + " -out " + Path("server.csr") +
                  " -subj /CN=127.0.0.1") &&
              Run("openssl x509 -req -in " + Path("server.csr") + " -CA " + Path("ca.pem") + " -CAkey " +
                  Path("ca.key") + " -CAcreateserial -out " + Path("server.pem") + " -days 2 -extfile " +
                  Path("ext.cnf"));
    }
    ~Certificates() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    bool Ok() const { return ok_; }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

private:
    static bool Run(const std::string& command) {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    fs::path folder_;
    bool ok_ = false;
};

class TlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(certificates_.Ok()) << "openssl could not make the test certificates";
        {
            soci::session session;
            db::Open(session, database_.Connect());
            testsrv::SeedSmall(session);
            server::InsertAccount(session,
                                  {"ana", "Ana", "0001", server::HashPassword("senha-certa"), true, true});
        }
        server::AppServerOptions options;
        options.threads = 2;
        options.quiet = true;
        options.tlsCert = certificates_.Path("server.pem");
        options.tlsKey = certificates_.Path("server.key");
        server_ = std::make_unique<server::AppServer>(database_.Connect(), options);
        url_.port = server_->Start();
    }

    Certificates certificates_;
    testdb::TestDatabase database_{"sqlite"};
    std::unique_ptr<server::AppServer> server_;
    vlm::TServerUrl url_{true, "127.0.0.1", 0};
};

TEST_F(TlsTest, ARoundTripOverHttpsWithTheRightAuthority) {
    const vlm::TLoginResult login =
        vlm::LoginToServer(url_, certificates_.Path("ca.pem"), "ana", "senha-certa");
    ASSERT_TRUE(login.ok) << login.error;
    EXPECT_EQ(login.branch, "0001");

    vlm::TNetConnection connection(nullptr, "netRemesAnalise");
    connection.ServerName = "zrm90000.rdmRemessaAnalise";
    connection.Host = "127.0.0.1";
    connection.Port = url_.port;
    connection.Access = vlm::TServerAccess{true, certificates_.Path("ca.pem"), login.token};
    const vcl::Variant answer = connection.AppServer("getSerie", {vcl::Variant("0001")});
    EXPECT_EQ(answer[0], vcl::Variant(""));
    EXPECT_EQ(answer[1].AsPacket().RowCount(), 1u);
}

TEST_F(TlsTest, AnotherAuthorityIsRefusedWithAMessageNamingTheHost) {
    const vlm::TLoginResult login =
        vlm::LoginToServer(url_, certificates_.Path("other.pem"), "ana", "senha-certa");
    EXPECT_FALSE(login.ok);
    EXPECT_EQ(login.error, "O certificado do servidor de aplicação em 127.0.0.1:" +
                               std::to_string(url_.port) + " não foi aceito.");

    vlm::TNetConnection connection(nullptr, "netRemesAnalise");
    connection.ServerName = "zrm90000.rdmRemessaAnalise";
    connection.Host = "127.0.0.1";
    connection.Port = url_.port;
    connection.Access = vlm::TServerAccess{true, certificates_.Path("other.pem"), std::string(64, 'a')};
    try {
        connection.AppServer("getSerie", {vcl::Variant("0001")});
        FAIL() << "the call went through an unverified server";
    } catch (const vcl::Exception& e) {
        EXPECT_NE(std::string(e.what()).find("127.0.0.1"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("certificado"), std::string::npos) << e.what();
    }
}

TEST_F(TlsTest, PlainHttpDoesNotReachAnHttpsServer) {
    const vlm::TLoginResult login =
        vlm::LoginToServer({false, "127.0.0.1", url_.port}, {}, "ana", "senha-certa");
    EXPECT_FALSE(login.ok);
}

TEST(ListenPolicy, OffLoopbackNeedsTlsOrInsecure) {
    struct Case {
        const char* host;
        bool tls, insecure, allowed, warns;
    } const cases[] = {
        {"127.0.0.1", false, false, true, false}, {"127.8.9.10", false, false, true, false},
        {"::1", false, false, true, false},       {"localhost", false, false, true, false},
        {"0.0.0.0", false, false, false, false},  {"192.168.0.10", false, false, false, false},
        {"::", false, false, false, false},       {"0.0.0.0", true, false, true, false},
        {"0.0.0.0", false, true, true, true},
    };
    for (const auto& c : cases) {
        const server::ListenCheck check = server::CheckListen(c.host, c.tls, c.insecure);
        EXPECT_EQ(check.allowed, c.allowed) << c.host;
        EXPECT_EQ(!check.message.empty(), !c.allowed || c.warns) << c.host;
        if (!c.allowed) {
            EXPECT_NE(check.message.find("--tls-cert"), std::string::npos);
            EXPECT_NE(check.message.find("--tls-key"), std::string::npos);
            EXPECT_NE(check.message.find("--insecure"), std::string::npos);
        }
    }
}

}  // namespace
