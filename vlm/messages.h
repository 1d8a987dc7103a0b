// The form's message table: lines "key|text", fetched by key.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "contracts/host_services.h"
#include "vcl/component.h"

namespace vlm {

class TMessages : public vcl::TComponent {
public:
    TMessages(vcl::TComponent* owner, std::string name, contracts::IHostServices& services);

    // One entry a line: the key, a bar "|", the text (the text may hold further bars).
    std::vector<std::string> Messages;

    // The text of the key's entry; a missing key raises vcl::Exception naming it.
    std::string Msg(std::string_view key) const;
    // Shows the key's text as a dialog of that type and buttons; returns the button pressed.
    contracts::TMsgDlgBtn ShowMsg(
        std::string_view key, contracts::TMsgDlgType type,
        const std::vector<contracts::TMsgDlgBtn>& buttons = {contracts::TMsgDlgBtn::OK},
        int helpContext = 0) const;

private:
    contracts::IHostServices& services_;
};

}  // namespace vlm
