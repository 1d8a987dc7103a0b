#include "vlm/btn_pesquisa.h"

#include "vlm/pesquisa.h"

namespace vlm {

TBtnPesquisa::TBtnPesquisa(vcl::TComponent* owner, std::string name, contracts::IHostServices& services)
    : vcl::TSpeedButton(owner, std::move(name)), services_(services) {
    Hint = "Pesquisar";
}

void TBtnPesquisa::Click() {
    if (!IsShowing() || !IsEnabledInTree())
        return;
    if (OnClick) {
        OnClick(this);
        return;
    }
    bool search = true;
    if (OnBeforePesq)
        OnBeforePesq(this, search);
    if (!search)
        return;
    if (!TPesquisa(services_).Pesquisar(DataSource, Title + "|" + EmptyError, false, true))
        return;
    if (OnAfterPesq)
        OnAfterPesq(this);
}

}  // namespace vlm
