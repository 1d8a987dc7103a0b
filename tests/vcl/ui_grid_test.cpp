// The data grid: column and row moves, in-place editing, refused posts,
// inserts and deletes from the keyboard, clicks and field focus.
#include "ui_grid_fixture.h"

namespace vcl::testing_grid {
namespace {

using Grid = GridFixture;

TEST_F(Grid, ColumnMovesSkipHiddenColumnsAndRunExitThenEnter) {
    EXPECT_EQ(grid.SelectedIndex(), 1);  // the hidden first column is never selected
    Key(vk::Right);
    Key(vk::Right);
    Key(vk::Right);  // already on the last column: nothing
    EXPECT_EQ(Take(), "exit:NMPRODUTO;enter:QTITEMPROD;exit:QTITEMPROD;enter:QTENVIADA;");
    Key(vk::Left);
    Key(vk::Left);
    Key(vk::Left);
    EXPECT_EQ(Take(), "exit:QTENVIADA;enter:QTITEMPROD;exit:QTITEMPROD;enter:NMPRODUTO;");

    EXPECT_EQ(Key(vk::Tab), 0);  // handled by the grid
    EXPECT_EQ(Key(vk::Tab, shift::Shift), 0);
    grid.SetSelectedIndex(3);
    EXPECT_EQ(Key(vk::Tab), vk::Tab);  // last column: left to the form
    grid.SetSelectedIndex(3);          // no change: no events
    EXPECT_EQ(Take(),
              "exit:NMPRODUTO;enter:QTITEMPROD;exit:QTITEMPROD;enter:NMPRODUTO;"
              "exit:NMPRODUTO;enter:QTENVIADA;");

    EXPECT_THROW(grid.SetSelectedIndex(0), EInvalidOperation);  // hidden
    EXPECT_THROW(grid.SetSelectedIndex(9), EInvalidOperation);
    EXPECT_EQ(grid.SelectedIndex(), 3);
}

TEST_F(Grid, ColumnExitThatRaisesRefusesTheMove) {
    grid.OnColExit = [this](TObject*) {
        trace += "exit;";
        Abort();
    };
    EXPECT_THROW(Key(vk::Right), EAbort);
    EXPECT_EQ(grid.SelectedIndex(), 1);
    EXPECT_EQ(Take(), "exit;");
}

TEST_F(Grid, TypingOpensTheEditorOverTheCellAndEnterPosts) {
    grid.SetSelectedIndex(3);
    Type("12");
    EXPECT_TRUE(grid.EditorMode());
    EXPECT_EQ(grid.EditorText(), "12");
    EXPECT_EQ(cds.State(), TDataSetState::Edit);
    EXPECT_EQ(grid.CellText(1, 3), "12");
    Key(vk::Return);
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_DOUBLE_EQ(cds.FieldByName("QTENVIADA").AsFloat(), 12.0);

    Type("3,5");  // the first character replaces the content; comma decimals
    EXPECT_EQ(grid.EditorText(), "3,5");
    char back = static_cast<char>(vk::Back);
    grid.KeyPress(back);
    EXPECT_EQ(grid.EditorText(), "3,");
    Key(vk::Escape);  // cancels the editor and the row edit
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
    EXPECT_DOUBLE_EQ(cds.FieldByName("QTENVIADA").AsFloat(), 12.0);
}

TEST_F(Grid, KeyPressHandlerAndFieldTypeFilterCharacters) {
    grid.SetSelectedIndex(3);
    grid.OnKeyPress = [](TObject*, char& key) {
        if (key == '-' || key == 'e') {
            key = 0;
        }
    };
    Type("-ea x");  // discarded by the handler, or not a number character
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
    Type("4.5");  // the decimal separator is the comma: the point does not pass
    EXPECT_EQ(grid.EditorText(), "45");
    Type(",2");
    EXPECT_EQ(grid.EditorText(), "45,2");
}

TEST_F(Grid, CellsThatAreNotEditableIgnoreTyping) {
    struct Case {
        const char* name;
        std::function<void()> setUp;
    };
    const Case cases[] = {
        {"read-only column", [this] { grid.SetSelectedIndex(2); }},
        {"read-only field",
         [this] {
             grid.SetSelectedIndex(3);
             cds.FieldByName("QTENVIADA").ReadOnly = true;
         }},
        {"editing option off",
         [this] {
             grid.SetSelectedIndex(3);
             grid.Options.erase(TGridOption::Editing);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.setUp();
        EXPECT_FALSE(grid.CanEditCell());
        Type("1");
        EXPECT_FALSE(grid.EditorMode());
        EXPECT_EQ(cds.State(), TDataSetState::Browse);
        // back to an editable cell for the next case
        cds.FieldByName("QTENVIADA").ReadOnly = false;
        grid.Options.insert(TGridOption::Editing);
        grid.SetSelectedIndex(1);
    }
}

TEST_F(Grid, RefusedPostKeepsRowColumnAndEditorText) {
    cds.BeforePost = [](TClientDataSet* ds) {
        if (ds->FieldByName("QTENVIADA").AsFloat() > ds->FieldByName("QTITEMPROD").AsFloat()) {
            Abort();
        }
    };
    // The column exit posts when the quantity column is left, as the screen does.
    grid.OnColExit = [this](TObject*) {
        if (SelectedName() == "QTENVIADA" && cds.State() == TDataSetState::Edit) {
            cds.Post();
        }
    };
    grid.SetSelectedIndex(3);
    Type("15");  // above the 10 of the first row
    for (int key : {vk::Down, vk::Up, vk::Left}) {
        SCOPED_TRACE(key);
        EXPECT_THROW(Key(key), EAbort);
        EXPECT_EQ(cds.RecNo(), 1);
        EXPECT_EQ(grid.SelectedIndex(), 3);
        EXPECT_TRUE(grid.EditorMode());
        EXPECT_EQ(grid.EditorText(), "15");
        EXPECT_EQ(cds.State(), TDataSetState::Edit);
    }
    EXPECT_THROW(grid.MoveToRow(2), EAbort);
    EXPECT_EQ(cds.RecNo(), 1);

    char back = static_cast<char>(vk::Back);
    grid.KeyPress(back);  // "1" is accepted
    Key(vk::Down);
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_DOUBLE_EQ(Qt(1), 1.0);
    EXPECT_FALSE(grid.EditorMode());
}

TEST_F(Grid, SelectedEditorTextIsReplacedByTheNextCharacter) {
    grid.SetSelectedIndex(3);
    Type("15");
    grid.SelectEditorText();
    Type("7");
    EXPECT_EQ(grid.EditorText(), "7");
    Type("2");
    EXPECT_EQ(grid.EditorText(), "72");  // only the first character replaces

    grid.SelectEditorText();
    char back = static_cast<char>(vk::Back);
    grid.KeyPress(back);
    EXPECT_EQ(grid.EditorText(), "");
}

TEST_F(Grid, EditorTextReachesTheFieldOnColumnAndRowMoves) {
    grid.SetSelectedIndex(3);
    Type("2");
    grid.SetSelectedIndex(1);  // the row stays in edit with the value written
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_EQ(cds.State(), TDataSetState::Edit);
    EXPECT_DOUBLE_EQ(cds.FieldByName("QTENVIADA").AsFloat(), 2.0);
    grid.MoveToRow(3);  // posts first
    EXPECT_DOUBLE_EQ(Qt(1), 2.0);
    EXPECT_EQ(cds.RecNo(), 3);
    EXPECT_THROW(grid.MoveToRow(4), EInvalidOperation);
    EXPECT_THROW(grid.MoveToRow(0), EInvalidOperation);
}

TEST_F(Grid, InsertKeyAndDownPastTheLastRowWhileEditingAddRows) {
    Key(vk::Insert);
    EXPECT_EQ(cds.State(), TDataSetState::Insert);
    Key(vk::Escape);
    EXPECT_EQ(cds.RecordCount(), 3);

    grid.MoveToRow(3);
    Key(vk::Down);  // browsing: the last row stays the last
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
    EXPECT_EQ(cds.RecNo(), 3);

    grid.SetSelectedIndex(3);
    Type("1");
    Key(vk::Down);  // editing: posts, then appends
    EXPECT_EQ(cds.State(), TDataSetState::Insert);
    EXPECT_DOUBLE_EQ(Qt(3), 1.0);
    Key(vk::Escape);

    cds.BeforeInsert = [](TClientDataSet*) { Abort(); };  // rows refused, silently
    EXPECT_THROW(Key(vk::Insert), EAbort);
    Type("2");
    EXPECT_THROW(Key(vk::Down), EAbort);
    EXPECT_EQ(cds.RecordCount(), 3);
    EXPECT_EQ(cds.State(), TDataSetState::Browse);
}

TEST_F(Grid, CtrlDeleteDeletesUnlessTheKeyDownHandlerTookTheKey) {
    Key(vk::Delete);  // without Ctrl: nothing
    EXPECT_EQ(cds.RecordCount(), 3);
    Key(vk::Delete, shift::Ctrl);
    EXPECT_EQ(cds.RecordCount(), 2);

    grid.OnKeyDown = [](TObject*, int& key, unsigned shiftState) {
        if (key == vk::Delete && (shiftState & shift::Ctrl) != 0) {
            key = 0;
        }
    };
    EXPECT_EQ(Key(vk::Delete, shift::Ctrl), 0);
    EXPECT_EQ(cds.RecordCount(), 2);
}

TEST_F(Grid, FieldFocusSelectsItsColumnAndFocusesTheGrid) {
    form.FocusControl(&edit);
    cds.FieldByName("QTENVIADA").FocusControl();
    EXPECT_EQ(grid.SelectedIndex(), 3);
    EXPECT_EQ(form.ActiveControl(), &grid);
    EXPECT_EQ(Take(), "exit:NMPRODUTO;enter:QTENVIADA;");
}

TEST_F(Grid, ClicksFocusTheGridThenSelectTheCellAndRunTheirEvents) {
    form.FocusControl(&edit);
    std::string clicked;
    grid.OnCellClick = [&](TColumn& column) { clicked += "cell:" + column.FieldName + ";"; };
    grid.OnTitleClick = [&](TColumn& column) { clicked += "title:" + column.FieldName + ";"; };
    grid.ClickCell(2, 3);
    EXPECT_EQ(form.ActiveControl(), &grid);
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_EQ(grid.SelectedIndex(), 3);
    grid.ClickTitle(1);
    EXPECT_EQ(clicked, "cell:QTENVIADA;title:NMPRODUTO;");
    EXPECT_THROW(grid.ClickTitle(0), EInvalidOperation);

    // An exit check that keeps the focus elsewhere swallows the click.
    form.FocusControl(&edit);
    edit.OnExit = [this](TObject*) { edit.SetFocus(); };
    grid.ClickCell(1, 1);
    EXPECT_EQ(cds.RecNo(), 2);
    EXPECT_EQ(clicked, "cell:QTENVIADA;title:NMPRODUTO;");
}

TEST_F(Grid, TabAtTheLastColumnLeavesTheGridThroughTheForm) {
    form.FocusControl(&grid);
    grid.SetSelectedIndex(3);
    int key = vk::Tab;
    form.KeyDown(key, 0);
    EXPECT_EQ(form.ActiveControl(), &edit);
    form.FocusControl(&grid);
    key = vk::Tab;
    form.KeyDown(key, shift::Shift);  // Shift+Tab inside the grid moves a column back
    EXPECT_EQ(form.ActiveControl(), &grid);
    EXPECT_EQ(grid.SelectedIndex(), 2);
}

TEST_F(Grid, WithTheDatasetClosedInputDoesNothing) {
    cds.Close();
    int drawn = 0;
    grid.OnDrawColumnCell = [&](TObject*, const TRect&, int, TColumn&, unsigned) { ++drawn; };
    grid.SetSelectedIndex(3);
    for (int key : {vk::Down, vk::Up, vk::Insert, vk::Escape, vk::Return, vk::F2}) {
        Key(key);
    }
    Key(vk::Delete, shift::Ctrl);
    Type("12");
    grid.ClickCell(0, 1);
    EXPECT_FALSE(grid.EditorMode());
    EXPECT_FALSE(cds.Active());
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.CellText(1, 1), "");
    TBitmap cell(20, 17);
    TCanvas canvas(cell);
    grid.DrawCell(canvas, Bounds(0, 0, 20, 17), 1, 1, false);
    EXPECT_EQ(drawn, 0);
    EXPECT_THROW(grid.MoveToRow(1), EInvalidOperation);
}

TEST_F(Grid, ColumnTitlesAndWidthsFallBackToTheField) {
    cds.FieldByName("NMPRODUTO").DisplayLabel = "Nome";
    grid.Columns()[3]->Title.Caption = "Qt. Enviada";
    EXPECT_EQ(grid.Columns()[1]->ShownTitle(), "Nome");
    EXPECT_EQ(grid.Columns()[2]->ShownTitle(), "QTITEMPROD");
    EXPECT_EQ(grid.Columns()[3]->ShownTitle(), "Qt. Enviada");
    grid.Columns()[3]->Width = 89;
    EXPECT_EQ(grid.Columns()[3]->ShownWidth(), 89);
    EXPECT_GT(grid.Columns()[1]->ShownWidth(), 0);
}

}  // namespace
}  // namespace vcl::testing_grid
