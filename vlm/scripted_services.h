// The host's user-facing services for tests and zrm-script: records what was
// shown, in order, and answers pick lists and questions from queues.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "contracts/host_services.h"

namespace vlm {

class ScriptedServices : public contracts::IHostServices {
public:
    enum class Kind { Message, PickList, BusyOn, BusyOff, Detail };

    struct Event {
        Kind kind = Kind::Message;
        contracts::TMsgDlgType type = contracts::TMsgDlgType::Information;  // messages
        std::string text{};            // message text, pick-list or detail title, busy text
        std::string subtitle{};        // detail window
        contracts::TextTable table{};  // pick list, detail window
        int animation = 0;             // busy on
        std::optional<int> picked{};   // pick list: the answer given
    };

    // Queues the answer to the next pick list (nullopt: closed without a pick).
    // A pick list with an empty queue is closed without a pick; an answer
    // outside the list's rows counts as no pick.
    void PushPick(std::optional<int> row) { picks_.push_back(row); }
    // Queues the button pressed at the next message; with an empty queue the
    // first button offered (OK when none) is pressed.
    void PushButton(contracts::TMsgDlgBtn button) { buttons_.push_back(button); }

    const std::vector<Event>& Events() const { return events_; }
    // Only the message dialogs, in order.
    std::vector<Event> Messages() const;
    // The last pick list shown; nullptr when none.
    const Event* LastPickList() const;
    bool Busy() const { return busy_; }
    void ClearEvents() { events_.clear(); }

    contracts::TMsgDlgBtn ShowMessage(contracts::TMsgDlgType type, const std::string& text,
                                      const std::vector<contracts::TMsgDlgBtn>& buttons) override;
    std::optional<int> PickRow(const std::string& title, const contracts::TextTable& table) override;
    void ShowBusy(vcl::TForm& form, int animation, const std::string& text) override;
    void HideBusy() override;
    void ShowDetail(const std::string& title, const std::string& subtitle,
                    const contracts::TextTable& table) override;

private:
    std::vector<Event> events_;
    std::deque<std::optional<int>> picks_;
    std::deque<contracts::TMsgDlgBtn> buttons_;
    bool busy_ = false;
};

}  // namespace vlm
