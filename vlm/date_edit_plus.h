// Date edit: a date without time typed as dd/mm/yyyy.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "contracts/host_services.h"
#include "vcl/calendar.h"
#include "vcl/controls.h"

namespace vlm {

class TDateEditPlus : public vcl::TMaskEdit {
public:
    TDateEditPlus(vcl::TComponent* owner, std::string name, contracts::IHostServices& services);

    vcl::TColor ValidDateColor = vcl::clWindow;
    bool NomeSemana = false;  // show the weekday name beside the date
    bool SaveTime = false;

    // Typing keeps digits and slashes (10 characters); eight digits typed
    // without slashes become dd/mm/yyyy.
    void TypeText(std::string_view text) override;

    // The date of the text; an empty or invalid text raises vcl::EConvertError.
    vcl::TDate GetDate() const;
    void SetDate(vcl::TDate date);
    // The date, or nullopt when the text is empty or not a date.
    std::optional<vcl::TDate> Date() const;
    bool IsEmpty() const;  // the text holds no digit

    // Accepts an empty text and a valid date. An invalid one is reported
    // ("Data inválida: TEXT") as an error, then the silent abort.
    void CheckValidDate() const;

private:
    contracts::IHostServices& services_;
};

}  // namespace vlm
