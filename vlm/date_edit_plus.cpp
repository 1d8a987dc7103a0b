#include "vlm/date_edit_plus.h"

#include <algorithm>
#include <cctype>

#include "vcl/exceptions.h"

namespace vlm {
namespace {

bool IsDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

}  // namespace

TDateEditPlus::TDateEditPlus(vcl::TComponent* owner, std::string name, contracts::IHostServices& services)
    : vcl::TMaskEdit(owner, std::move(name)), services_(services) {
    MaxLength = 10;
    TabStop = true;
}

void TDateEditPlus::TypeText(std::string_view text) {
    std::string kept;
    for (char c : text) {
        if (IsDigit(c) || c == '/')
            kept += c;
    }
    if (kept.size() == 8 && std::all_of(kept.begin(), kept.end(), IsDigit)) {
        kept = kept.substr(0, 2) + "/" + kept.substr(2, 2) + "/" + kept.substr(4);
    }
    if (kept.size() > 10)
        kept.resize(10);
    // Separators alone hold no date: the edit is empty, as every emptiness
    // check of the screens sees it.
    if (std::none_of(kept.begin(), kept.end(), IsDigit))
        kept.clear();
    SetText(kept);
}

std::optional<vcl::TDate> TDateEditPlus::Date() const {
    return vcl::TDate::ParseBr(Text());
}

bool TDateEditPlus::IsEmpty() const {
    return std::none_of(Text().begin(), Text().end(), IsDigit);
}

vcl::TDate TDateEditPlus::GetDate() const {
    if (const auto date = Date())
        return *date;
    if (IsEmpty())
        throw vcl::EConvertError("Data não informada");
    throw vcl::EConvertError("Data inválida: " + Text());
}

void TDateEditPlus::SetDate(vcl::TDate date) {
    SetText(date.ToBr());
}

void TDateEditPlus::CheckValidDate() const {
    if (IsEmpty() || Date())
        return;
    services_.ShowMessage(contracts::TMsgDlgType::Error, "Data inválida: " + Text(),
                          {contracts::TMsgDlgBtn::OK});
    vcl::Abort();
}

}  // namespace vlm
