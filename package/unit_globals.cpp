#include "package/unit_globals.h"

#include "geracao/frm_geracao.h"
#include "remessa/frm_remessa_analise.h"
#include "vcl/wire.h"

namespace zrm {

namespace {
std::string BoolText(bool value) {
    return value ? "true" : "false";
}
}  // namespace

std::optional<std::string> UnitGlobalText(std::string_view name) {
    using namespace Cli_zrm90000;
    using namespace Cli_zrm90001;
    if (name == "boIdCriado")
        return BoolText(boIdCriado);
    if (name == "boPesqFilial")
        return BoolText(boPesqFilial);
    if (name == "boPesqForn")
        return BoolText(boPesqForn);
    if (name == "boPesqSerie")
        return BoolText(boPesqSerie);
    if (name == "stCdfilial")
        return stCdfilial;
    if (name == "stNrlanctonf")
        return stNrlanctonf;
    if (name == "stCdForneced")
        return stCdForneced;
    if (name == "oleNotas")
        return oleNotas.IsUnassigned() ? std::string() : vcl::wire::Encode(oleNotas);
    if (name == "boPesqTipoOp")
        return BoolText(boPesqTipoOp);
    if (name == "boPesqFilRem")
        return BoolText(boPesqFilRem);
    if (name == "stSerie")
        return stSerie;
    if (name == "stEmpresa")
        return stEmpresa;
    if (name == "frmRemessaAnalise")
        return BoolText(frmRemessaAnalise != nullptr);
    if (name == "frmGeracao")
        return BoolText(frmGeracao != nullptr);
    return std::nullopt;
}

vcl::TForm* UnitForm(std::string_view name) {
    if (name == "frmRemessaAnalise")
        return Cli_zrm90000::frmRemessaAnalise;
    if (name == "frmGeracao")
        return Cli_zrm90001::frmGeracao;
    return nullptr;
}

}  // namespace zrm
