// A form with an items grid over a three-row client dataset.
#pragma once

#include <gtest/gtest.h>

#include "vcl/data_packet.h"
#include "vcl/dataset.h"
#include "vcl/forms.h"
#include "vcl/grid.h"

namespace vcl::testing_grid {

class GridFixture : public ::testing::Test {
protected:
    GridFixture() {
        const std::vector<FieldDef> defs = {{"CDFILIAL", FieldType::String, 4},
                                            {"NMPRODUTO", FieldType::String, 10},
                                            {"QTITEMPROD", FieldType::Float, 0},
                                            {"QTENVIADA", FieldType::Float, 0}};
        for (const FieldDef& def : defs) {
            cds.AddField(def);
        }
        PacketBuilder rows(defs);
        rows.AppendRow({Variant("0001"), Variant("Arroz"), Variant(10.0), Variant(0.0)});
        rows.AppendRow({Variant("0001"), Variant("Feijão"), Variant(5.0), Variant(0.0)});
        rows.AppendRow({Variant("0001"), Variant("Milho"), Variant(2.0), Variant(0.0)});
        cds.SetData(Variant(rows.Finish()));
        dts.SetDataSet(&cds);

        edit.SetParent(&form);
        edit.TabOrder = 0;
        grid.SetParent(&form);
        grid.TabOrder = 1;
        grid.SetDataSource(&dts);
        grid.AddColumn("CDFILIAL").Visible = false;
        grid.AddColumn("NMPRODUTO");
        grid.AddColumn("QTITEMPROD").ReadOnly = true;
        grid.AddColumn("QTENVIADA").Alignment = TAlignment::RightJustify;
        grid.Options = {TGridOption::Editing, TGridOption::Titles, TGridOption::Tabs};
        grid.OnColExit = [this](TObject*) { trace += "exit:" + SelectedName() + ";"; };
        grid.OnColEnter = [this](TObject*) { trace += "enter:" + SelectedName() + ";"; };
    }

    std::string SelectedName() const { return grid.SelectedColumn()->FieldName; }
    std::string Take() { return std::exchange(trace, std::string()); }
    int Key(int key, unsigned shiftState = 0) {
        grid.KeyDown(key, shiftState);
        return key;
    }
    void Type(const std::string& text) {
        for (char ch : text) {
            grid.TypeChar(ch);
        }
    }
    double Qt(int row) {
        const int home = cds.RecNo();
        cds.SetRecNo(row);
        const double value = cds.FieldByName("QTENVIADA").AsFloat();
        cds.SetRecNo(home);
        return value;
    }

    std::string trace;
    TForm form{nullptr, "frmRemessaAnalise"};
    TClientDataSet& cds = form.Make<TClientDataSet>("cdsItensNota");
    TDataSource& dts = form.Make<TDataSource>("dtsItensNota");
    TEdit& edit = form.Make<TEdit>("medFilial");
    TDBGrid& grid = form.Make<TDBGrid>("dbgItensNota");
};

}  // namespace vcl::testing_grid
