// A code typed into an edit and checked against a lookup query: the search
// button's pick list over every row, the check of a typed code on leaving the
// edit, and what a change of the text resets. A form declares one per lookup
// in its resource; its legacy handlers bind to it one line each.
#pragma once

#include <functional>
#include <string>

#include "contracts/host_services.h"
#include "vcl/component.h"
#include "vcl/controls.h"
#include "vlm/adoib_query.h"
#include "vlm/consiste.h"

namespace vlm {

class TLookupField : public vcl::TComponent {
public:
    TLookupField(vcl::TComponent* owner, std::string name, contracts::IHostServices& services);

    vcl::TCustomEdit* Edit = nullptr;  // the code
    TADOIBQuery* Query = nullptr;
    // The query's parameters: the code ("P_CDFILIAL"), and the flag that
    // selects every row for the pick list ("P_TCDFILIAL" = "T").
    std::string KeyParam, AllParam;
    std::string KeyField;                  // the code's column ("CDFILIAL")
    vcl::TCustomEdit* NameEdit = nullptr;  // where the name shows; nullptr: none
    std::string NameField;                 // the name's column ("NMFILIAL")
    int Width = 0;                         // a typed code is padded to it (0: as typed)
    // The unit's flag: the code came from a pick or passed the check.
    bool* Picked = nullptr;
    std::function<std::string()> NotFound;  // the message for an unknown code
    std::function<void()> OnFound;          // after a pick or a check found the row
    std::function<void()> OnChanged;        // after a change of the text reset the lookup

    // Before the pick list: the query opens on every row.
    void OpenAll();
    // After a pick: the picked row's code and name go to the edits.
    void TakePicked();
    // The code's text changed: the name and the flag are reset.
    void Changed();
    // Leaving the edit: unless picked, a typed code must exist; on failure
    // the focus goes back to the edit.
    void Check();
    // Pads the typed code and opens the query on it; an unknown code shows
    // NotFound and aborts. Shows the found row's name.
    void Find();

private:
    void ShowFound();
    void SetPicked(bool picked);
    TConsiste consiste_;
};

}  // namespace vlm
