// The busy animation over a form.
#pragma once

#include <string_view>

#include "contracts/host_services.h"

namespace vlm {

class TShowavi {
public:
    explicit TShowavi(contracts::IHostServices& services) : services_(services) {}
    TShowavi(const TShowavi&) = delete;
    TShowavi& operator=(const TShowavi&) = delete;
    ~TShowavi();  // removes an animation still shown

    // Shows (or replaces) the animation over the form. A null form raises vcl::Exception.
    void ActiveShowAvi(vcl::TForm& form, int animation, std::string_view text);
    void ActiveShowAvi(vcl::TForm* form, int animation, std::string_view text);
    // Removes the animation; does nothing when none is shown.
    void DeactiveShowAvi();
    bool Active() const { return shown_; }

private:
    contracts::IHostServices& services_;
    bool shown_ = false;
};

}  // namespace vlm
