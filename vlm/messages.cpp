#include "vlm/messages.h"

#include "vcl/exceptions.h"

namespace vlm {

TMessages::TMessages(vcl::TComponent* owner, std::string name, contracts::IHostServices& services)
    : vcl::TComponent(owner, std::move(name)), services_(services) {}

std::string TMessages::Msg(std::string_view key) const {
    for (const std::string& line : Messages) {
        const auto bar = line.find('|');
        if (bar != std::string::npos && std::string_view(line).substr(0, bar) == key) {
            return line.substr(bar + 1);
        }
    }
    throw vcl::Exception("Mensagem não cadastrada em " + Name() + ": " + std::string(key));
}

contracts::TMsgDlgBtn TMessages::ShowMsg(std::string_view key, contracts::TMsgDlgType type,
                                         const std::vector<contracts::TMsgDlgBtn>& buttons,
                                         int /*helpContext*/) const {
    return services_.ShowMessage(type, Msg(key), buttons);
}

}  // namespace vlm
