// Search button tied to an edit: its click shows a pick list over a data source.
#pragma once

#include <functional>
#include <string>

#include "contracts/host_services.h"
#include "vcl/controls.h"

namespace vcl {
class TDataSource;
}

namespace vlm {

// Before the pick list: the sender and a flag, true on entry; a handler that
// sets it to false cancels the search.
using TBeforePesqEvent = std::function<void(vcl::TObject* sender, bool& search)>;

class TBtnPesquisa : public vcl::TSpeedButton {
public:
    TBtnPesquisa(vcl::TComponent* owner, std::string name, contracts::IHostServices& services);

    vcl::TCustomEdit* Associate = nullptr;
    std::string Title;
    vcl::TDataSource* DataSource = nullptr;
    std::string EmptyError;  // shown as an error when the source has no row
    TBeforePesqEvent OnBeforePesq;
    vcl::TNotifyEvent OnAfterPesq;

    // When OnClick is set it runs alone, replacing the built-in search.
    // Otherwise: OnBeforePesq; the pick list titled Title over DataSource
    // (EmptyError when empty, then stop); OnAfterPesq after a pick, with the
    // dataset on the picked row. Never moves the focus.
    void Click() override;
    // The hint, with the key that clicks the button from its associate.
    std::string ShownHint() const override { return Associate != nullptr ? Hint + " (F2)" : Hint; }

private:
    contracts::IHostServices& services_;
};

}  // namespace vlm
