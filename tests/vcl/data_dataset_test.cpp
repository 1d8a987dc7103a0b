#include <gtest/gtest.h>

#include <string>

#include "vcl/dataset.h"
#include "vcl/exceptions.h"
#include "vcl/packet_store.h"
#include "vcl/wire.h"

using namespace vcl;

namespace {

std::vector<FieldDef> ItemFields() {
    return {{"CDFILIAL", FieldType::String, 4},
            {"NRLANCTONF", FieldType::String, 10},
            {"NRSEQ", FieldType::Integer, 0},
            {"QT", FieldType::Float, 0}};
}

// Items of three notes: (0001, 1) x2, (0001, 2) x1, (0002, 1) x2.
Variant ItemsPacket() {
    PacketBuilder builder(ItemFields());
    builder.AppendRow({Variant("0001"), Variant("1"), Variant(1), Variant(1.5)});
    builder.AppendRow({Variant("0001"), Variant("1"), Variant(2), Variant(2.0)});
    builder.AppendRow({Variant("0001"), Variant("2"), Variant(1), Variant(3.0)});
    builder.AppendRow({Variant("0002"), Variant("1"), Variant(1), Variant(4.0)});
    builder.AppendRow({Variant("0002"), Variant("1"), Variant(2), Variant(5.0)});
    return Variant(builder.Finish());
}

class RecordingLink : public TDataLink {
public:
    std::string trace;
    std::function<void()> onUpdateData;
    void ActiveChanged() override { trace += "link.Active;"; }
    void DataSetChanged() override { trace += "link.Changed;"; }
    void DataSetScrolled() override { trace += "link.Scrolled;"; }
    void UpdateData() override {
        trace += "link.UpdateData;";
        if (onUpdateData)
            onUpdateData();
    }
    void FocusControl(TField* field, bool& handled) override {
        trace += "link.Focus(" + field->FieldName() + ");";
        handled = true;
    }
};

class DataSetTest : public ::testing::Test {
protected:
    DataSetTest() : root(nullptr, "frm"), cds(root.Make<TClientDataSet>("cdsItens")) {
        for (const FieldDef& def : ItemFields())
            cds.AddField(def);
    }

    // Records every dataset event into `trace`, separated by ';'.
    void Trace() {
        auto hook = [this](TDataSetNotifyEvent& event, std::string name) {
            event = [this, name](TClientDataSet*) { trace += (trace.empty() ? "" : ";") + name; };
        };
        hook(cds.BeforeInsert, "BeforeInsert");
        hook(cds.AfterInsert, "AfterInsert");
        hook(cds.BeforeEdit, "BeforeEdit");
        hook(cds.AfterEdit, "AfterEdit");
        hook(cds.BeforePost, "BeforePost");
        hook(cds.AfterPost, "AfterPost");
        hook(cds.BeforeCancel, "BeforeCancel");
        hook(cds.AfterCancel, "AfterCancel");
        hook(cds.BeforeDelete, "BeforeDelete");
        hook(cds.AfterDelete, "AfterDelete");
        hook(cds.BeforeScroll, "BeforeScroll");
        hook(cds.AfterScroll, "AfterScroll");
        hook(cds.AfterOpen, "AfterOpen");
        hook(cds.BeforeClose, "BeforeClose");
    }
    std::string Take() { return std::exchange(trace, {}); }

    // The shown rows as "CDFILIAL/NRLANCTONF/NRSEQ" joined by spaces; leaves the cursor at the end.
    std::string Rows() {
        std::string out;
        for (cds.First(); !cds.Eof(); cds.Next()) {
            out += (out.empty() ? "" : " ") + cds.FieldByName("CDFILIAL").AsString() + "/" +
                   cds.FieldByName("NRLANCTONF").AsString() + "/" + cds.FieldByName("NRSEQ").AsString();
        }
        return out;
    }

    TComponent root;
    TClientDataSet& cds;
    std::string trace;
};

TEST_F(DataSetTest, ClosedDataSetHasNullDataAndRefusesMoves) {
    EXPECT_FALSE(cds.Active());
    EXPECT_TRUE(cds.Data().IsNull());
    EXPECT_TRUE(cds.IsEmpty());
    EXPECT_EQ(cds.RecordCount(), 0);
    EXPECT_THROW(cds.First(), EDatabaseError);
    EXPECT_THROW(cds.Edit(), EDatabaseError);
    EXPECT_TRUE(cds.FieldByName("QT").IsNull());
}

TEST_F(DataSetTest, SetDataOpensOnFirstRowAndNullCloses) {
    Trace();
    cds.SetData(ItemsPacket());
    EXPECT_EQ(Take(), "AfterOpen;AfterScroll");
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_EQ(cds.RecordCount(), 5);
    EXPECT_TRUE(cds.Bof());
    EXPECT_DOUBLE_EQ(cds.FieldByName("QT").AsFloat(), 1.5);
    cds.SetData(ItemsPacket());
    EXPECT_EQ(Take(), "BeforeClose;AfterOpen;AfterScroll");
    cds.SetData(Variant::Null());
    EXPECT_EQ(Take(), "BeforeClose");
    EXPECT_FALSE(cds.Active());
}

TEST_F(DataSetTest, PacketLackingADeclaredFieldIsRefusedAndNothingChanges) {
    cds.SetData(ItemsPacket());
    PacketBuilder builder({{"CDFILIAL", FieldType::String, 4}, {"EXTRA", FieldType::String, 3}});
    builder.AppendRow({Variant("9999"), Variant("x")});
    try {
        cds.SetData(Variant(builder.Finish()));
        FAIL() << "accepted a packet without NRLANCTONF";
    } catch (const EDatabaseError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("NRLANCTONF"), std::string::npos) << message;
        EXPECT_NE(message.find("cdsItens"), std::string::npos) << message;
    }
    EXPECT_EQ(cds.RecordCount(), 5);
    EXPECT_EQ(cds.FieldByName("CDFILIAL").AsString(), "0001");
}

TEST_F(DataSetTest, ExtraPacketFieldsAreIgnoredAndDataHoldsTheDeclaredOnes) {
    PacketBuilder builder({{"EXTRA", FieldType::String, 3},
                           {"QT", FieldType::Integer, 0},
                           {"NRSEQ", FieldType::Integer, 0},
                           {"NRLANCTONF", FieldType::String, 10},
                           {"CDFILIAL", FieldType::String, 4}});
    builder.AppendRow({Variant("x"), Variant(7), Variant(1), Variant("1"), Variant("0001")});
    cds.SetData(Variant(builder.Finish()));
    EXPECT_EQ(cds.FieldByName("QT").Value(), Variant(7.0));  // an integer column feeds a float field
    const DataPacket data = cds.Data().AsPacket();
    EXPECT_EQ(data.Fields(), ItemFields());
    EXPECT_EQ(data.Value(0, 0), Variant("0001"));
}

TEST_F(DataSetTest, DataSetWithoutPersistentFieldsTakesThePacketFields) {
    TClientDataSet& loose = root.Make<TClientDataSet>("cdsLoose");
    loose.SetData(ItemsPacket());
    ASSERT_EQ(loose.Fields().size(), 4u);
    EXPECT_EQ(loose.FieldByName("NRSEQ").DataType(), FieldType::Integer);
    EXPECT_EQ(loose.Data().AsPacket(), ItemsPacket().AsPacket());
}

TEST_F(DataSetTest, VerbsFireTheirEventsInOrder) {
    cds.SetData(ItemsPacket());
    Trace();
    cds.Next();
    EXPECT_EQ(Take(), "BeforeScroll;AfterScroll");
    cds.Edit();
    cds.FieldByName("QT").SetAsFloat(9);
    cds.Post();
    EXPECT_EQ(Take(), "BeforeEdit;AfterEdit;BeforePost;AfterPost");
    cds.Insert();
    EXPECT_EQ(Take(), "BeforeInsert;BeforeScroll;AfterInsert;AfterScroll");
    cds.FieldByName("CDFILIAL").SetAsString("0003");
    cds.Post();
    EXPECT_EQ(Take(), "BeforePost;AfterPost;AfterScroll");
    cds.Append();
    cds.Cancel();
    EXPECT_EQ(Take(),
              "BeforeInsert;BeforeScroll;AfterInsert;AfterScroll;BeforeCancel;AfterCancel;AfterScroll");
    cds.Delete();
    EXPECT_EQ(Take(), "BeforeDelete;BeforeScroll;AfterDelete;AfterScroll");
    cds.Edit();
    cds.FieldByName("QT").SetAsFloat(1);
    cds.First();  // a move posts the pending edit first
    EXPECT_EQ(Take(), "BeforeEdit;AfterEdit;BeforePost;AfterPost;BeforeScroll;AfterScroll");
    cds.Edit();
    cds.Next();  // nothing changed: the edit is cancelled
    EXPECT_EQ(Take(), "BeforeEdit;AfterEdit;BeforeCancel;AfterCancel;BeforeScroll;AfterScroll");
    EXPECT_THROW(cds.Post(), EDatabaseError);
}

TEST_F(DataSetTest, InsertGoesBeforeTheCurrentRowAndCancelRemovesIt) {
    cds.SetData(ItemsPacket());
    cds.SetRecNo(3);
    cds.Insert();
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_EQ(cds.RecordCount(), 6);
    cds.FieldByName("CDFILIAL").SetAsString("0009");
    cds.FieldByName("NRLANCTONF").SetAsString("7");
    cds.FieldByName("NRSEQ").SetAsInteger(1);
    EXPECT_EQ(cds.Data().AsPacket().RowCount(), 5u) << "the row in insert is not in the packet yet";
    cds.Post();
    EXPECT_EQ(Rows(), "0001/1/1 0001/1/2 0009/7/1 0001/2/1 0002/1/1 0002/1/2");
    cds.First();
    cds.Insert();
    cds.Cancel();
    EXPECT_EQ(cds.RecNo(), 1);
    EXPECT_EQ(Rows(), "0001/1/1 0001/1/2 0009/7/1 0001/2/1 0002/1/1 0002/1/2");
    const DataPacket data = cds.Data().AsPacket();
    ASSERT_EQ(data.RowCount(), 6u);
    EXPECT_EQ(data.Value(2, 0), Variant("0009"));
}

TEST_F(DataSetTest, DeleteWhileWalkingSkipsNothing) {
    PacketBuilder builder(ItemFields());
    for (int i = 1; i <= 9; ++i)
        builder.AppendRow({Variant("0001"), Variant("1"), Variant(i), Variant(i % 3 == 0 ? 1.0 : 0.0)});
    cds.SetData(Variant(builder.Finish()));
    cds.First();
    std::string seen;
    while (!cds.Eof()) {
        seen += cds.FieldByName("NRSEQ").AsString();
        if (cds.FieldByName("QT").AsFloat() == 0) {
            cds.Delete();
        } else {
            cds.Next();
        }
    }
    EXPECT_EQ(seen, "123456789");
    EXPECT_EQ(Rows(), "0001/1/3 0001/1/6 0001/1/9");
    cds.Last();
    cds.Delete();
    EXPECT_TRUE(cds.Eof());
    EXPECT_EQ(cds.RecNo(), 2);
}

TEST_F(DataSetTest, RefusedPostKeepsTheRowInEditWithItsValues) {
    cds.SetData(ItemsPacket());
    cds.BeforePost = [](TClientDataSet* ds) {
        if (ds->FieldByName("QT").AsFloat() > 100)
            Abort();
    };
    cds.Edit();
    cds.FieldByName("QT").SetAsFloat(500);
    EXPECT_THROW(cds.Post(), EAbort);
    EXPECT_EQ(cds.State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(cds.FieldByName("QT").AsFloat(), 500);
    EXPECT_THROW(cds.Next(), EAbort);
    EXPECT_EQ(cds.RecNo(), 1) << "a refused post stops the move";
    EXPECT_THROW(cds.SetFilter("CDFILIAL = '0002'"), EAbort);
    EXPECT_EQ(cds.Filter(), "");
    EXPECT_DOUBLE_EQ(cds.Data().AsPacket().Value(0, 3).AsFloat(), 1.5)
        << "the packet holds posted values only";
    cds.FieldByName("QT").SetAsFloat(50);
    cds.Next();
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
    EXPECT_DOUBLE_EQ(cds.Data().AsPacket().Value(0, 3).AsFloat(), 50);
}

// An edit reads the row's cells until a field is written; Post writes only
// what changed, and each filter index follows, whether or not it covers a
// changed column.
TEST_F(DataSetTest, EditWritesOnlyChangedCellsAndEveryIndexFollows) {
    cds.SetData(ItemsPacket());
    const Variant loaded = cds.Data();
    cds.SetFilter("CDFILIAL = '0001'");
    cds.SetFiltered(true);
    cds.SetFilter("CDFILIAL = '0001' AND NRLANCTONF = '1'");
    cds.First();
    cds.Edit();
    cds.FieldByName("NRLANCTONF").SetAsString("2");
    cds.FieldByName("QT").SetAsFloat(1.5);  // the value it has
    EXPECT_EQ(cds.FieldByName("NRSEQ").AsInteger(), 1) << "an unwritten field reads its cell";
    cds.Cancel();
    EXPECT_EQ(cds.FieldByName("NRLANCTONF").AsString(), "1");
    cds.Edit();
    cds.FieldByName("NRLANCTONF").SetAsString("2");
    cds.Post();
    EXPECT_EQ(Rows(), "0001/1/2");
    cds.SetFilter("CDFILIAL = '0001'");
    EXPECT_EQ(Rows(), "0001/2/1 0001/1/2 0001/2/1");
    cds.SetFilter("CDFILIAL = '0001' AND NRLANCTONF = '2'");
    EXPECT_EQ(Rows(), "0001/2/1 0001/2/1");
    EXPECT_EQ(loaded.AsPacket().Value(0, 1).AsString(), "1") << "the loaded packet is not written";
}

TEST_F(DataSetTest, RequiredFieldLeftNullInTheRowIsRefusedOnPost) {
    cds.CreateDataSet();
    cds.Append();
    cds.FieldByName("CDFILIAL").SetAsString("0001");
    cds.Post();
    cds.FieldByName("NRSEQ").Required = true;
    cds.Edit();
    cds.FieldByName("QT").SetAsFloat(2);
    EXPECT_THROW(cds.Post(), EDatabaseError);
    EXPECT_EQ(cds.State(), TDataSetState::Edit);
    cds.FieldByName("NRSEQ").SetAsInteger(4);
    cds.Post();
    EXPECT_EQ(Rows(), "0001//4");
}

TEST_F(DataSetTest, PostAsksTheLinksForPendingEditorText) {
    TDataSource& source = root.Make<TDataSource>("dts");
    source.SetDataSet(&cds);
    RecordingLink link;
    link.SetDataSource(&source);
    cds.SetData(ItemsPacket());
    link.onUpdateData = [&] { cds.FieldByName("QT").SetEditText("7,25"); };
    cds.Edit();
    cds.Post();
    EXPECT_DOUBLE_EQ(cds.FieldByName("QT").AsFloat(), 7.25);

    // Also with the controls disabled: the typed value is not lost.
    link.onUpdateData = [&] { cds.FieldByName("QT").SetEditText("3"); };
    cds.DisableControls();
    cds.Edit();
    cds.Post();
    cds.EnableControls();
    EXPECT_DOUBLE_EQ(cds.FieldByName("QT").AsFloat(), 3);
    link.trace.clear();
    cds.FieldByName("QT").FocusControl();
    EXPECT_EQ(link.trace, "link.Focus(QT);");
}

TEST_F(DataSetTest, FilterShowsMatchingRowsCaseSensitivelyWithQuotes) {
    cds.SetFilter("CDFILIAL = '0001' AND NRLANCTONF = '1'");  // set while closed, applied on open
    cds.SetFiltered(true);
    cds.SetData(ItemsPacket());
    EXPECT_EQ(Rows(), "0001/1/1 0001/1/2");
    cds.SetFilter("CDFILIAL = '0002'");
    EXPECT_EQ(Rows(), "0002/1/1 0002/1/2");
    cds.SetFilter("NRLANCTONF = 'x'");
    EXPECT_TRUE(cds.IsEmpty());
    cds.SetFiltered(false);
    EXPECT_EQ(cds.RecordCount(), 5);

    cds.Edit();
    cds.FieldByName("NRLANCTONF").SetAsString("O'B");
    cds.Post();
    cds.SetFilter("NRLANCTONF = 'O''B'");
    cds.SetFiltered(true);
    EXPECT_EQ(Rows(), "0001/O'B/1");
    cds.SetFilter("NRLANCTONF = 'o''b'");
    EXPECT_EQ(cds.RecordCount(), 0);
}

TEST_F(DataSetTest, FilterFollowsEditsInsertsAndDeletes) {
    cds.SetData(ItemsPacket());
    cds.SetFilter("CDFILIAL = '0001' AND NRLANCTONF = '1'");
    cds.SetFiltered(true);
    cds.Append();
    cds.FieldByName("CDFILIAL").SetAsString("0001");
    cds.FieldByName("NRLANCTONF").SetAsString("1");
    cds.FieldByName("NRSEQ").SetAsInteger(3);
    cds.Post();
    cds.First();
    cds.Edit();
    cds.FieldByName("NRLANCTONF").SetAsString("2");  // leaves the filter when posted
    cds.Post();
    EXPECT_EQ(cds.FieldByName("NRSEQ").AsInteger(), 2);
    EXPECT_EQ(Rows(), "0001/1/2 0001/1/3");
    cds.SetFilter("CDFILIAL = '0001' AND NRLANCTONF = '2'");
    EXPECT_EQ(Rows(), "0001/2/1 0001/2/1");
    cds.First();
    cds.Delete();
    cds.SetFiltered(false);
    EXPECT_EQ(Rows(), "0001/1/2 0001/2/1 0002/1/1 0002/1/2 0001/1/3");
}

TEST_F(DataSetTest, InsertWhileFilteredLandsBeforeTheCurrentRowOfAllRows) {
    cds.SetData(ItemsPacket());
    cds.SetFilter("CDFILIAL = '0002' AND NRLANCTONF = '1'");
    cds.SetFiltered(true);
    cds.SetRecNo(2);
    cds.Insert();
    cds.FieldByName("CDFILIAL").SetAsString("0002");
    cds.FieldByName("NRLANCTONF").SetAsString("1");
    cds.FieldByName("NRSEQ").SetAsInteger(9);
    cds.Post();
    EXPECT_EQ(Rows(), "0002/1/1 0002/1/9 0002/1/2");
    cds.SetFiltered(false);
    EXPECT_EQ(Rows(), "0001/1/1 0001/1/2 0001/2/1 0002/1/1 0002/1/9 0002/1/2");
    cds.SetFiltered(true);
    cds.SetRecNo(2);
    cds.Delete();
    cds.SetFiltered(false);
    EXPECT_EQ(Rows(), "0001/1/1 0001/1/2 0001/2/1 0002/1/1 0002/1/2");
}

TEST_F(DataSetTest, MalformedOrUnknownFilterIsRefusedWithItsText) {
    cds.SetData(ItemsPacket());
    cds.SetFilter("CDFILIAL = '0001'");
    for (const char* bad : {"CDFILIAL = '0001", "NOSUCH = 'x'"}) {
        try {
            cds.SetFilter(bad);
            ADD_FAILURE() << bad;
        } catch (const EDatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find(bad), std::string::npos) << error.what();
        }
    }
    EXPECT_EQ(cds.Filter(), "CDFILIAL = '0001'");
}

TEST_F(DataSetTest, LocateOnTwoKeysWithCaseOption) {
    cds.SetData(ItemsPacket());
    cds.Last();
    cds.Edit();
    cds.FieldByName("NRLANCTONF").SetAsString("Ab");
    cds.Post();
    Trace();
    EXPECT_TRUE(cds.Locate("CDFILIAL;NRLANCTONF", Variant(VariantArray{Variant("0001"), Variant("2")})));
    EXPECT_EQ(Take(), "BeforeScroll;AfterScroll");
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_FALSE(cds.Locate("CDFILIAL;NRLANCTONF", Variant(VariantArray{Variant("0002"), Variant("aB")})));
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_TRUE(cds.Locate("CDFILIAL;NRLANCTONF", Variant(VariantArray{Variant("0002"), Variant("aB")}),
                           {true, false}));
    EXPECT_EQ(cds.RecNo(), 5);
    EXPECT_TRUE(cds.Locate("NRSEQ", Variant("2")));
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_FALSE(cds.Locate("NRSEQ", Variant("abc")));
    EXPECT_THROW(cds.Locate("CDFILIAL;NRLANCTONF", Variant("0001")), EDatabaseError);
    EXPECT_THROW(cds.Locate("NOSUCH", Variant("1")), EDatabaseError);
}

TEST_F(DataSetTest, DisableControlsNestsAndTheLastEnableRefreshes) {
    TDataSource& source = root.Make<TDataSource>("dts");
    source.SetDataSet(&cds);
    RecordingLink link;
    link.SetDataSource(&source);
    cds.SetData(ItemsPacket());
    EXPECT_EQ(link.trace, "link.Active;");
    link.trace.clear();
    cds.DisableControls();
    cds.DisableControls();
    cds.Next();
    cds.SetFilter("CDFILIAL = '0001'");
    cds.EnableControls();
    EXPECT_TRUE(cds.ControlsDisabled());
    EXPECT_EQ(link.trace, "");
    cds.EnableControls();
    EXPECT_EQ(link.trace, "link.Changed;");
    cds.EnableControls();  // unbalanced: ignored
    link.trace.clear();
    cds.Next();
    EXPECT_EQ(link.trace, "link.Scrolled;");
    link.trace.clear();
    cds.DisableControls();
    cds.Close();
    cds.EnableControls();
    EXPECT_EQ(link.trace, "link.Active;");
}

TEST_F(DataSetTest, CreateEmptyAndCloseKeepTheDeclaredFields) {
    Trace();
    cds.CreateDataSet();
    EXPECT_EQ(Take(), "AfterOpen");
    EXPECT_TRUE(cds.IsEmpty());
    EXPECT_TRUE(cds.Eof() && cds.Bof());
    cds.Edit();  // on an empty dataset, edit inserts
    EXPECT_EQ(cds.State(), TDataSetState::Insert);
    cds.FieldByName("CDFILIAL").SetAsString("00012345");
    EXPECT_EQ(cds.FieldByName("CDFILIAL").AsString(), "0001") << "strings are cut to the field size";
    cds.Post();
    EXPECT_EQ(cds.RecordCount(), 1);
    cds.EmptyDataSet();
    EXPECT_TRUE(cds.Active());
    EXPECT_TRUE(cds.IsEmpty());
    EXPECT_THROW(cds.Delete(), EDatabaseError);
    EXPECT_EQ(cds.Data().AsPacket().Fields(), ItemFields());
    cds.Close();
    EXPECT_TRUE(cds.Data().IsNull());
}

TEST_F(DataSetTest, DataSharesTheLoadedPacketUntilAWrite) {
    const Variant packet = ItemsPacket();
    cds.SetData(packet);
    EXPECT_EQ(cds.Data().AsPacket().Store()->columns[0], packet.AsPacket().Store()->columns[0]);
    cds.Edit();
    cds.FieldByName("CDFILIAL").SetAsString("0001");
    cds.FieldByName("QT").SetAsFloat(cds.FieldByName("QT").AsFloat());
    cds.Post();
    for (std::size_t c = 0; c < packet.AsPacket().Fields().size(); ++c)
        EXPECT_EQ(cds.Data().AsPacket().Store()->columns[c], packet.AsPacket().Store()->columns[c])
            << "posting the values a row holds writes nothing, column " << c;
    cds.Edit();
    cds.FieldByName("CDFILIAL").SetAsString("0003");
    cds.Post();
    EXPECT_EQ(packet.AsPacket().Value(0, 0), Variant("0001")) << "the loaded packet is never written";
    EXPECT_EQ(cds.Data().AsPacket().Value(0, 0), Variant("0003"));
}

TEST_F(DataSetTest, FilterAndLocateWorkOnColumnsOfMostlyDistinctValues) {
    // Past 65535 rows of distinct launch numbers the column stops deduplicating
    // its texts; filters and locates must still find every equal value.
    PacketBuilder builder(ItemFields());
    constexpr int kRows = 70'000;
    for (int i = 0; i < kRows; ++i)
        builder.AppendRow({Variant("0001"), Variant("n" + std::to_string(i)), Variant(i), Variant(0.0)});
    cds.SetData(Variant(builder.Finish()));
    ASSERT_FALSE(cds.Data().AsPacket().Store()->columns[1]->Dict().Indexed());
    cds.SetRecNo(kRows);
    cds.Edit();
    cds.FieldByName("NRLANCTONF").SetAsString("n123");  // a second row with an existing value
    cds.Post();
    cds.SetFilter("NRLANCTONF = 'n123'");
    cds.SetFiltered(true);
    EXPECT_EQ(cds.RecordCount(), 2);
    cds.SetFilter("NRLANCTONF = 'n69998' AND CDFILIAL = '0001'");
    EXPECT_EQ(cds.FieldByName("NRSEQ").AsInteger(), 69998);
    cds.SetFiltered(false);
    EXPECT_TRUE(cds.Locate("NRLANCTONF", Variant("n66000")));
    EXPECT_EQ(cds.RecNo(), 66001);
    EXPECT_TRUE(cds.Locate("CDFILIAL;NRLANCTONF", Variant(VariantArray{Variant("0001"), Variant("N67000")}),
                           {true, false}));
    EXPECT_EQ(cds.RecNo(), 67001);
}

}  // namespace

// Every way out of Edit tells the links that editing ended, with the dataset
// already out of it; the way in does too.
TEST_F(DataSetTest, EveryWayInOrOutOfEditTellsTheLinks) {
    struct EditingLink : TDataLink {
        std::string seen;
        void EditingChanged() override { seen += DataSet()->InEditMode() ? "in;" : "out;"; }
    };
    const std::vector<std::pair<std::string, std::function<void(TClientDataSet&)>>> ways = {
        {"Post", [](TClientDataSet& d) { d.Post(); }},
        {"Cancel", [](TClientDataSet& d) { d.Cancel(); }},
        {"Delete", [](TClientDataSet& d) { d.Delete(); }},
        {"SetData", [](TClientDataSet& d) { d.SetData(ItemsPacket()); }},
        {"CreateDataSet", [](TClientDataSet& d) { d.CreateDataSet(); }},
        {"Close", [](TClientDataSet& d) { d.Close(); }},
    };
    TDataSource& source = root.Make<TDataSource>("dts");
    source.SetDataSet(&cds);
    for (const auto& [name, leave] : ways) {
        for (const bool inserting : {false, true}) {
            SCOPED_TRACE(name + (inserting ? " after Insert" : " after Edit"));
            cds.SetData(ItemsPacket());
            EditingLink link;
            link.SetDataSource(&source);
            if (inserting) {
                cds.Insert();
                cds.FieldByName("CDFILIAL").SetAsString("0009");
            } else {
                cds.Edit();
            }
            leave(cds);
            EXPECT_EQ(link.seen, "in;out;");
            EXPECT_FALSE(cds.InEditMode());
        }
    }
}

TEST_F(DataSetTest, ARecordViewReadsAnotherRowWithoutMovingOrWriting) {
    TDataSource& source = root.Make<TDataSource>("dts");
    source.SetDataSet(&cds);
    RecordingLink link;
    link.SetDataSource(&source);
    cds.SetData(ItemsPacket());
    cds.SetRecNo(2);
    cds.Edit();
    cds.FieldByName("QT").SetAsFloat(7);
    link.trace.clear();
    Trace();
    {
        const TRecordView fourth = link.ViewRecord(4);
        EXPECT_EQ(cds.FieldByName("CDFILIAL").AsString(), "0002");
        EXPECT_EQ(cds.FieldByName("QT").AsFloat(), 4.0);
        EXPECT_THROW(cds.FieldByName("QT").SetAsFloat(1), EDatabaseError);
        {
            const TRecordView current = link.ViewRecord(2);  // the edited row reads its buffer
            EXPECT_EQ(cds.FieldByName("QT").AsFloat(), 7.0);
        }
        EXPECT_EQ(cds.FieldByName("QT").AsFloat(), 4.0);  // views nest
        const TRecordView outside = link.ViewRecord(9);
        EXPECT_TRUE(cds.FieldByName("QT").IsNull());
    }
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_EQ(cds.FieldByName("QT").AsFloat(), 7.0);
    EXPECT_EQ(Take(), "");
    EXPECT_EQ(link.trace, "");
    cds.Post();
    EXPECT_EQ(cds.FieldByName("QT").AsFloat(), 7.0);

    cds.Close();
    EXPECT_THROW((void)link.ViewRecord(1), EDatabaseError);
}
