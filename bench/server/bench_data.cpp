#include "bench_data.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "db/connection.h"
#include "db/init_db.h"
#include "db/schema_version.h"

namespace bench {

namespace {

namespace fs = std::filesystem;

// Builds the file once; a half-built file (no stamp) is rebuilt.
template <typename Build>
std::string Cached(const std::string& name, Build build) {
    const fs::path dir = ZRM_BENCH_DATA_DIR;
    fs::create_directories(dir);
    const fs::path file = dir / name;
    const fs::path stamp = dir / (name + ".done");
    if (!fs::exists(stamp)) {
        for (const char* suffix : {"", "-wal", "-shm"})
            fs::remove(file.string() + suffix);
        const auto started = std::chrono::steady_clock::now();
        std::fprintf(stderr, "building %s...\n", file.c_str());
        build("sqlite3://db=" + file.string());
        {
            soci::session session;
            db::Open(session, "sqlite3://db=" + file.string());
            session << "PRAGMA wal_checkpoint(TRUNCATE)";
        }
        std::FILE* out = std::fopen(stamp.c_str(), "w");
        if (out)
            std::fclose(out);
        std::fprintf(stderr, "built in %.1f s\n",
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
    }
    return file.string();
}

void BuildGeneration(const std::string& connect) {
    db::InitDatabase(connect, {.demo = true, .notes = 300});
    soci::session session;
    db::Open(session, connect);
    soci::transaction tx(session);
    std::string launch, sequence, product;
    soci::statement note =
        (session.prepare << "INSERT INTO NOTAENTRADA VALUES ('0001', :l, '000001', :l2, '1',"
                            " '2026-06-15', 1000, '0001')",
         soci::use(launch), soci::use(launch));
    soci::statement item =
        (session.prepare
             << "INSERT INTO ITEMENTRADA VALUES ('0001', :l, :s, :p, 10, 10, 100, '0001', '000009',"
                " 'BENCH', '', '', NULL, 0)",
         soci::use(launch), soci::use(sequence), soci::use(product));
    for (int n = 1; n <= kGenerationNotes; ++n) {
        launch = std::to_string(9000000000LL + n);
        note.execute(true);
        for (int s = 1; s <= 10; ++s) {
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "%04d", s);
            sequence = buffer;
            std::snprintf(buffer, sizeof buffer, "%06d", 1000 + 1 + (n * 10 + s) % 30);
            product = buffer;
            item.execute(true);
        }
    }
    session
        << "INSERT INTO ESTOQUE SELECT '0001', CDPRODUTO, '000009', 'BENCH', '', '', 1000000 FROM PRODUTO";
    tx.commit();
}

}  // namespace

std::string DemoDatabaseForItems(long long items) {
    // Branch 0001 receives about 35% of the notes, 3.5 items each on average,
    // and the demo shipments leave about nine in ten of them pending.
    const int notes = static_cast<int>(std::max(10LL, items * 100 / 110));
    return "sqlite3://db=" +
           Cached("demo_" + std::to_string(items) + "_items_v" + std::to_string(db::kSchemaVersion) + ".db",
                  [notes](const std::string& c) { db::InitDatabase(c, {.demo = true, .notes = notes}); });
}

std::string GenerationTemplate() {
    return Cached("generation_template_" + std::to_string(kGenerationNotes) + "_v" +
                      std::to_string(db::kSchemaVersion) + ".db",
                  &BuildGeneration);
}

}  // namespace bench
