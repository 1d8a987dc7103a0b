#include "vlm/scripted_services.h"

namespace vlm {

using contracts::TMsgDlgBtn;

std::vector<ScriptedServices::Event> ScriptedServices::Messages() const {
    std::vector<Event> messages;
    for (const Event& event : events_) {
        if (event.kind == Kind::Message)
            messages.push_back(event);
    }
    return messages;
}

const ScriptedServices::Event* ScriptedServices::LastPickList() const {
    for (auto it = events_.rbegin(); it != events_.rend(); ++it) {
        if (it->kind == Kind::PickList)
            return &*it;
    }
    return nullptr;
}

TMsgDlgBtn ScriptedServices::ShowMessage(contracts::TMsgDlgType type, const std::string& text,
                                         const std::vector<TMsgDlgBtn>& buttons) {
    events_.push_back({.kind = Kind::Message, .type = type, .text = text});
    if (!buttons_.empty()) {
        const TMsgDlgBtn answer = buttons_.front();
        buttons_.pop_front();
        return answer;
    }
    return buttons.empty() ? TMsgDlgBtn::OK : buttons.front();
}

std::optional<int> ScriptedServices::PickRow(const std::string& title, const contracts::TextTable& table) {
    std::optional<int> answer;
    if (!picks_.empty()) {
        answer = picks_.front();
        picks_.pop_front();
    }
    if (answer && (*answer < 0 || *answer >= static_cast<int>(table.rows.size())))
        answer.reset();
    events_.push_back({.kind = Kind::PickList, .text = title, .table = table, .picked = answer});
    return answer;
}

void ScriptedServices::ShowBusy(vcl::TForm& /*form*/, int animation, const std::string& text) {
    busy_ = true;
    events_.push_back({.kind = Kind::BusyOn, .text = text, .animation = animation});
}

void ScriptedServices::HideBusy() {
    busy_ = false;
    events_.push_back({.kind = Kind::BusyOff});
}

void ScriptedServices::ShowDetail(const std::string& title, const std::string& subtitle,
                                  const contracts::TextTable& table) {
    events_.push_back({.kind = Kind::Detail, .text = title, .subtitle = subtitle, .table = table});
}

}  // namespace vlm
