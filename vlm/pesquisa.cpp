#include "vlm/pesquisa.h"

#include <string>

#include "vcl/dataset.h"
#include "vcl/exceptions.h"

namespace vlm {
namespace {

constexpr std::string_view kNoRows = "Nenhum registro encontrado";

// Keeps the dataset's controls quiet during a pass and puts it back on the row it stood on.
class PassGuard {
public:
    explicit PassGuard(vcl::TClientDataSet& dataSet) : dataSet_(dataSet), recNo_(dataSet.RecNo()) {
        dataSet_.DisableControls();
    }
    ~PassGuard() {
        if (dataSet_.Active() && recNo_ > 0 && recNo_ <= dataSet_.RecordCount())
            dataSet_.SetRecNo(recNo_);
        dataSet_.EnableControls();
    }
    PassGuard(const PassGuard&) = delete;
    PassGuard& operator=(const PassGuard&) = delete;

private:
    vcl::TClientDataSet& dataSet_;
    int recNo_;
};

}  // namespace

contracts::TextTable VisibleTable(vcl::TClientDataSet& dataSet) {
    contracts::TextTable table;
    std::vector<const vcl::TField*> shown;
    for (const auto& field : dataSet.Fields()) {
        if (!field->Visible)
            continue;
        shown.push_back(field.get());
        table.columns.push_back(field->ShownLabel());
    }
    if (!dataSet.Active() || dataSet.IsEmpty())
        return table;
    PassGuard guard(dataSet);
    for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
        std::vector<std::string> row;
        row.reserve(shown.size());
        for (const vcl::TField* field : shown)
            row.push_back(field->DisplayText());
        table.rows.push_back(std::move(row));
    }
    return table;
}

bool TPesquisa::Pesquisar(vcl::TDataSource* source, std::string_view text, bool abortWhenEmpty,
                          bool emptyAsError) const {
    const auto bar = text.find('|');
    const std::string title(text.substr(0, bar));
    std::string emptyMessage =
        bar == std::string_view::npos ? std::string() : std::string(text.substr(bar + 1));
    if (emptyMessage.empty())
        emptyMessage = kNoRows;

    vcl::TClientDataSet* dataSet = source ? source->DataSet() : nullptr;
    if (dataSet == nullptr || !dataSet->Active() || dataSet->IsEmpty()) {
        services_.ShowMessage(
            emptyAsError ? contracts::TMsgDlgType::Error : contracts::TMsgDlgType::Information, emptyMessage,
            {contracts::TMsgDlgBtn::OK});
        if (abortWhenEmpty)
            vcl::Abort();
        return false;
    }

    const contracts::TextTable table = VisibleTable(*dataSet);
    const std::optional<int> picked = services_.PickRow(title, table);
    if (!picked || *picked < 0 || *picked >= static_cast<int>(table.rows.size()))
        return false;
    dataSet->SetRecNo(*picked + 1);
    return true;
}

}  // namespace vlm
