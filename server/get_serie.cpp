// getSerie: the default outgoing series of a branch and its company.
#include "contracts/packets.h"
#include "contracts/server_api.h"
#include "server/arguments.h"
#include "server/failure_log.h"
#include "server/remessa_methods.h"
#include "vcl/data_packet.h"

namespace server {

vcl::wire::Answer GetSerie(soci::session& session, const vcl::VariantArray& args) {
    Arguments in(contracts::kGetSerie, args);
    in.ExpectCount(1);
    const std::string branch = in.Text(0, "branch", 4);
    vcl::wire::Answer answer;
    try {
        long long known = 0;
        session << "SELECT COUNT(*) FROM FILIAL WHERE CDFILIAL = :f", soci::use(branch), soci::into(known);
        if (known == 0) {
            answer.result = vcl::VariantArray{"Filial não cadastrada", vcl::Variant::Null()};
            return answer;
        }
        vcl::PacketBuilder packet(contracts::SeriesPacketFields());
        std::string series, company;
        session << "SELECT CDSERIE, CDEMPRESA FROM SERIESAIDA WHERE CDFILIAL = :f AND IDPADRAO = 'S'"
                   " ORDER BY CDSERIE LIMIT 1",
            soci::use(branch), soci::into(series), soci::into(company);
        if (session.got_data())
            packet.AppendRow({series, company});
        answer.result = vcl::VariantArray{"", packet.Finish()};
    } catch (const soci::soci_error& e) {
        answer.result = vcl::VariantArray{DatabaseFailure(e.what()), vcl::Variant::Null()};
    }
    return answer;
}

}  // namespace server
