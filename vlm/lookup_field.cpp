#include "vlm/lookup_field.h"

#include "vcl/exceptions.h"
#include "vcl/scope_exit.h"

namespace vlm {

TLookupField::TLookupField(vcl::TComponent* owner, std::string name, contracts::IHostServices& services)
    : vcl::TComponent(owner, std::move(name)), consiste_(services) {}

void TLookupField::SetPicked(bool picked) {
    if (Picked != nullptr)
        *Picked = picked;
}

void TLookupField::OpenAll() {
    Query->Close();
    Query->ParamByName(KeyParam).Clear();
    Query->ParamByName(AllParam).SetValue("T");
    Query->Open();
}

void TLookupField::ShowFound() {
    if (NameEdit != nullptr)
        NameEdit->SetText(Query->FieldByName(NameField).AsString());
    if (OnFound)
        OnFound();
}

void TLookupField::TakePicked() {
    Edit->SetText(Query->FieldByName(KeyField).AsString());
    ShowFound();
    SetPicked(true);
}

void TLookupField::Changed() {
    if (NameEdit != nullptr)
        NameEdit->Clear();
    SetPicked(false);
    if (OnChanged)
        OnChanged();
}

void TLookupField::Find() {
    if (Width > 0)
        Edit->SetText(TConsiste::Ajusta(Edit->Text(), Width));
    Query->Close();
    Query->ParamByName(KeyParam).SetValue(Edit->Text());
    Query->ParamByName(AllParam).Clear();
    Query->Open();
    if (Query->IsEmpty())
        consiste_.MensErro(NotFound ? NotFound() : std::string(), true);
    ShowFound();
}

void TLookupField::Check() {
    if (Picked != nullptr && *Picked)
        return;
    vcl::RunRecovering(
        [&] {
            if (TConsiste::EmptyString(Edit->Text()))
                return;
            Find();
            SetPicked(true);
        },
        [&] { Edit->SetFocus(); });
}

}  // namespace vlm
