// Building blocks the form resources share: label fonts, search buttons and
// the declaration of a dataset's fields from a packet's field list.
#pragma once

#include <string_view>
#include <vector>

#include "vcl/controls.h"
#include "vcl/data_packet.h"
#include "vcl/dataset.h"
#include "vcl/graphics.h"
#include "vlm/btn_pesquisa.h"
#include "vlm/host_form.h"

namespace vlm {

// Labels of the fields: bold "MS Sans Serif", height -11.
vcl::TFont BoldLabelFont();

// A search button tied to its code edit: hint "Pesquisar", the two-image
// glyph strip, the pick list's title, data source and empty-list message.
TBtnPesquisa& MakeSearchButton(THostForm& form, const char* name, vcl::TWinControl* parent, int left, int top,
                               vcl::TCustomEdit* associate, const char* title, vcl::TDataSource* source,
                               const char* emptyError);

// How a dataset shows one field of a packet, named by the packet: display
// label and format. A field is visible unless `visible` is false.
struct FieldDisplay {
    std::string_view name;
    std::string_view label = {};
    std::string_view format = {};
    bool visible = true;
};

// Declares the listed fields in their order, each with the type and size the
// packet's field list gives it; EDatabaseError names a field the packet lacks.
void AddFields(vcl::TClientDataSet& cds, const std::vector<vcl::FieldDef>& packet,
               const std::vector<FieldDisplay>& fields);

}  // namespace vlm
