#include "scenario/world.h"

#include <soci/soci.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdexcept>

#include "db/connection.h"
#include "db/init_db.h"
#include "package/package.h"
#include "scenario/value_text.h"
#include "scenario/world_server.h"
#include "vlm/db_geral.h"

namespace scenario {

namespace {

// A fresh private folder under the system's temporary directory.
std::string MakeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zrm-script-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder for the database");
    }
    return pattern;
}

std::string TmText(const std::tm& tm) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900);
    std::string shown = text;
    if (tm.tm_hour != 0 || tm.tm_min != 0 || tm.tm_sec != 0) {
        std::snprintf(text, sizeof text, " %02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
        shown += text;
    }
    return shown;
}

std::string CellText(const soci::row& row, std::size_t column) {
    if (row.get_indicator(column) == soci::i_null) {
        return "null";
    }
    switch (row.get_properties(column).get_data_type()) {
        case soci::dt_string:
        case soci::dt_xml:
        case soci::dt_blob:
            return DateTextAsShown(row.get<std::string>(column));
        case soci::dt_double:
            return VariantText(vcl::Variant(row.get<double>(column))).text;
        case soci::dt_integer:
            return std::to_string(row.get<int>(column));
        case soci::dt_long_long:
            return std::to_string(row.get<long long>(column));
        case soci::dt_unsigned_long_long:
            return std::to_string(row.get<unsigned long long>(column));
        case soci::dt_date:
            return TmText(row.get<std::tm>(column));
    }
    return "?";
}

}  // namespace

World::World()
    : folder_(MakeTempFolder()),
      connect_("sqlite3://db=" + folder_ + "/zrm.db"),
      dtmDBGeral_(std::make_unique<vlm::TdtmDBGeral>(connect_)),
      application_(std::make_unique<vcl::TApplication>(screen_)) {
    host_ = std::make_unique<vlm::THost>(vlm::THost{*application_, services_, {}, *dtmDBGeral_});
}

World::~World() {
    // The package's screen and dialog go first (they still use the host), then
    // the host, the server and the database.
    if (packageLoaded_) {
        packageLoaded_ = false;
        Finalize();
    }
    host_.reset();
    application_.reset();
    dtmDBGeral_.reset();
    server_.reset();
    database_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void World::ChooseDatabase(bool demo) {
    if (database_) {
        throw std::logic_error("db must come before anything that uses the database");
    }
    demo_ = demo;
}

soci::session& World::Database() {
    if (!database_) {
        auto session = std::make_unique<soci::session>();
        db::Open(*session, connect_);
        db::InitDatabase(*session, db::InitOptions{demo_});
        database_ = std::move(session);
    }
    return *database_;
}

void World::ExecuteSql(const std::string& statement) {
    Database() << statement;
}

std::optional<std::string> World::QueryFirst(const std::string& select) {
    soci::rowset<soci::row> rows = Database().prepare << select;
    const auto first = rows.begin();
    if (first == rows.end()) {
        return std::nullopt;
    }
    return CellText(*first, 0);
}

void World::SetFilial(std::string code) {
    host_->Config.filiProc = std::move(code);
}

void World::InitializePackage() {
    if (!packageLoaded_) {
        Initialize(host_.get());
        packageLoaded_ = true;
    }
}

void World::FinalizePackage() {
    if (packageLoaded_) {
        packageLoaded_ = false;
        Finalize();
    }
}

void World::Record(RecordedCall call) {
    std::lock_guard lock(callsMutex_);
    calls_.push_back(std::move(call));
}

std::vector<RecordedCall> World::Calls() const {
    std::lock_guard lock(callsMutex_);
    return calls_;
}

}  // namespace scenario
