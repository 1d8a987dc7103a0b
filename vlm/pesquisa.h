// The pick list over a data source.
#pragma once

#include <string_view>

#include "contracts/host_services.h"

namespace vcl {
class TDataSource;
class TClientDataSet;
}  // namespace vcl

namespace vlm {

// The dataset's visible fields under their display labels, one row per row
// shown, each cell as the field's display text (get-text applied). The
// dataset ends on the row it stood on.
contracts::TextTable VisibleTable(vcl::TClientDataSet& dataSet);

class TPesquisa {
public:
    explicit TPesquisa(contracts::IHostServices& services) : services_(services) {}

    // Pick list over the source's dataset. `text` is "title|message for an
    // empty list" (without a bar: the whole text is the title and a standard
    // message is used). An empty or closed source shows the message (as an
    // error when `emptyAsError`, else as information) and returns false;
    // with `abortWhenEmpty` it then ends the operation by the silent abort.
    // A pick moves the dataset to the picked row and returns true; a list
    // closed without a pick leaves the dataset where it stood and returns false.
    bool Pesquisar(vcl::TDataSource* source, std::string_view text, bool abortWhenEmpty = false,
                   bool emptyAsError = true) const;

private:
    contracts::IHostServices& services_;
};

}  // namespace vlm
