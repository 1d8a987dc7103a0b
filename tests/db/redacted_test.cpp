#include <gtest/gtest.h>

#include "db/connection.h"

namespace {

TEST(Redacted, HidesEveryPasswordValueAndNothingElse) {
    struct Case {
        const char* connect;
        const char* shown;
    } const cases[] = {
        {"sqlite3://db=var/zrm.db", "sqlite3://db=var/zrm.db"},
        {"postgresql://host=db port=5432 dbname=zrm user=zrm password=s3gr3d0",
         "postgresql://host=db port=5432 dbname=zrm user=zrm password=***"},
        {"postgresql://password=s3gr3d0 host=db", "postgresql://password=*** host=db"},
        {"postgresql://host=db password='com espaço e \\' aspa' user=zrm",
         "postgresql://host=db password=*** user=zrm"},
        {"postgresql://host=db password=", "postgresql://host=db password=***"},
        {"postgresql://host=db mypassword=x", "postgresql://host=db mypassword=x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(db::Redacted(c.connect), c.shown) << c.connect;
}

TEST(Redacted, AnUnsupportedTextIsReportedWithoutItsPassword) {
    try {
        db::ParseConnect("mysql://user=zrm password=s3gr3d0");
        FAIL();
    } catch (const db::DbError& e) {
        EXPECT_EQ(std::string(e.what()).find("s3gr3d0"), std::string::npos) << e.what();
    }
}

}  // namespace
