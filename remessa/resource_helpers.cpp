#include "remessa/resource_helpers.h"

#include "remessa/glyphs.h"

namespace Cli_zrm90000 {

vcl::TFont BoldLabelFont() {
    vcl::TFont font;
    font.Bold = true;
    return font;
}

vlm::TBtnPesquisa& MakeSearchButton(vlm::THostForm& form, const char* name, vcl::TWinControl* parent,
                                    int left, int top, vcl::TCustomEdit* associate, const char* title,
                                    vcl::TDataSource* source, const char* emptyError) {
    vlm::TBtnPesquisa& button = form.Make<vlm::TBtnPesquisa>(name, form.Host.Services);
    button.SetParent(parent);
    button.SetBounds(left, top, 21, 21);
    button.Hint = "Pesquisar";
    button.ShowHint = true;
    button.Glyph = SearchGlyph();
    button.NumGlyphs = 2;
    button.Associate = associate;
    button.Title = title;
    button.DataSource = source;
    button.EmptyError = emptyError;
    return button;
}

}  // namespace Cli_zrm90000
