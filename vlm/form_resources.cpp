#include "vlm/form_resources.h"

#include <algorithm>

#include "vcl/exceptions.h"
#include "vlm/glyphs.h"

namespace vlm {

vcl::TFont BoldLabelFont() {
    vcl::TFont font;
    font.Bold = true;
    return font;
}

TBtnPesquisa& MakeSearchButton(THostForm& form, const char* name, vcl::TWinControl* parent, int left, int top,
                               vcl::TCustomEdit* associate, const char* title, vcl::TDataSource* source,
                               const char* emptyError) {
    TBtnPesquisa& button = form.Make<TBtnPesquisa>(name, form.Host.Services);
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

void AddFields(vcl::TClientDataSet& cds, const std::vector<vcl::FieldDef>& packet,
               const std::vector<FieldDisplay>& fields) {
    for (const FieldDisplay& shown : fields) {
        const auto def = std::find_if(packet.begin(), packet.end(),
                                      [&](const vcl::FieldDef& d) { return d.name == shown.name; });
        if (def == packet.end())
            throw vcl::EDatabaseError(cds.Name() + ": o pacote não tem o campo '" + std::string(shown.name) +
                                      "'");
        vcl::TField& field = cds.AddField(*def);
        field.DisplayLabel = shown.label;
        field.DisplayFormat = shown.format;
        field.Visible = shown.visible;
    }
}

}  // namespace vlm
