// Building blocks the form resources of the screen and the dialog share.
#pragma once

#include "vcl/controls.h"
#include "vcl/graphics.h"
#include "vlm/btn_pesquisa.h"
#include "vlm/host_form.h"

namespace Cli_zrm90000 {

// Labels of the fields: bold "MS Sans Serif", height -11.
vcl::TFont BoldLabelFont();

// A search button tied to its code edit: hint "Pesquisar", the two-image
// glyph strip, the pick list's title, data source and empty-list message.
vlm::TBtnPesquisa& MakeSearchButton(vlm::THostForm& form, const char* name, vcl::TWinControl* parent,
                                    int left, int top, vcl::TCustomEdit* associate, const char* title,
                                    vcl::TDataSource* source, const char* emptyError);

}  // namespace Cli_zrm90000
