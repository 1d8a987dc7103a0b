// What the module requires of the host's user-facing services: message
// dialogs, pick lists, the busy animation and the detail window. The desktop
// front end implements them with real dialogs; tests and zrm-script with a
// scripted double that records what was shown.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vcl {
class TForm;
}

namespace contracts {

enum class TMsgDlgType { Warning, Error, Information, Confirmation, Custom };
enum class TMsgDlgBtn { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, Help };

// Rows already turned into display text (get-text and display formats applied).
struct TextTable {
    std::vector<std::string> columns;  // titles (display labels)
    std::vector<std::vector<std::string>> rows;
};

class IHostServices {
public:
    virtual ~IHostServices() = default;

    // A message dialog; returns the button pressed (OK for a plain message).
    virtual TMsgDlgBtn ShowMessage(TMsgDlgType type, const std::string& text,
                                   const std::vector<TMsgDlgBtn>& buttons) = 0;
    // A pick list; returns the 0-based row picked, or nullopt when closed without a pick.
    virtual std::optional<int> PickRow(const std::string& title, const TextTable& table) = 0;
    // The busy animation over a form, with a text; HideBusy removes it (also when none is shown).
    virtual void ShowBusy(vcl::TForm& form, int animation, const std::string& text) = 0;
    virtual void HideBusy() = 0;
    // A window listing rows under a title (and an optional second text).
    virtual void ShowDetail(const std::string& title, const std::string& subtitle,
                            const TextTable& table) = 0;
};

}  // namespace contracts
