// Setup commands and user actions of the scenario language.
#include <algorithm>
#include <stdexcept>

#include "package/package.h"
#include "scenario/commands.h"
#include "scenario/keys.h"
#include "scenario/names.h"
#include "scenario/runner.h"
#include "scenario/world.h"
#include "vcl/exceptions.h"
#include "vcl/grid.h"
#include "vcl/wire.h"

namespace scenario {

namespace {

int ColumnOf(const vcl::TDBGrid& grid, const std::string& field) {
    const auto& columns = grid.Columns();
    const auto found = std::find_if(columns.begin(), columns.end(),
                                    [&](const auto& column) { return column->FieldName == field; });
    if (found == columns.end()) {
        throw std::invalid_argument(grid.Name() + " has no column bound to " + field);
    }
    return static_cast<int>(found - columns.begin());
}

unsigned ShiftState(const Command& command) {
    unsigned state = 0;
    for (std::size_t i = 2; i < command.ArgCount(); ++i) {
        const std::string& word = command.Arg(i);
        state |= word == "ctrl" ? vcl::shift::Ctrl : word == "shift" ? vcl::shift::Shift : vcl::shift::Alt;
    }
    return state;
}

}  // namespace

void Runner::Dispatch(const std::function<void()>& event) {
    world_->Application().Dispatch(event);
}

vcl::TForm& Runner::ActiveForm() const {
    const auto forms = world_->Application().OpenForms();
    for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
        if ((*it)->Visible()) {
            return **it;
        }
    }
    throw std::invalid_argument("no form is open");
}

void Runner::RequireReachable(const Command& command, const vcl::TControl& control) const {
    const vcl::TForm& active = ActiveForm();
    const vcl::TForm* owner = control.ParentForm();
    if (active.Modal() && owner != &active) {
        ScriptFailure(command, control.Name() + " is behind the modal form " + active.Name());
    }
}

void Runner::Open() {
    world_->StartServer();
    world_->InitializePackage();
    Dispatch([] {
        const vcl::Variant params;
        IniProc(&params);
    });
}

void Runner::Act(const Command& command) {
    const std::string& name = command.Name();
    try {
        if (name == "db" || name == "server" || name == "reply" || name == "filial" || name == "sql") {
            SetUp(command);
        } else if (name == "open") {
            Open();
        } else if (name == "focus" || name == "tab" || name == "type") {
            MoveFocus(command);
        } else if (name == "click") {
            auto& button = ResolveAs<vcl::TSpeedButton>(world_->Application(), command.Arg(0), "a button");
            RequireReachable(command, button);
            Dispatch([&] { button.Click(); });
        } else if (name == "key") {
            PressKey(command);
        } else if (name == "close") {
            CloseForm(command);
        } else if (name == "pick") {
            const std::string& answer = command.Arg(0);
            world_->Services().PushPick(answer == "none" ? std::nullopt
                                                         : std::optional<int>(*ParseCount(answer) - 1));
        } else {
            UseGrid(command);
        }
    } catch (const std::logic_error& error) {  // unknown names, setup out of order
        ScriptFailure(command, error.what());
    } catch (const vcl::EWireError& error) {
        ScriptFailure(command, std::string("bad reply JSON: ") + error.what());
    }
}

void Runner::SetUp(const Command& command) {
    const std::string& name = command.Name();
    if (name == "db") {
        world_->ChooseDatabase(command.Arg(0) == "demo");
    } else if (name == "server") {
        world_->ChooseServer(command.Arg(0) == "fake");
    } else if (name == "reply") {
        world_->QueueReply(command.Arg(0), vcl::wire::Decode(command.Arg(1)));
    } else if (name == "filial") {
        world_->SetFilial(command.Arg(0));
    } else {
        world_->ExecuteSql(command.Arg(0));
    }
}

void Runner::MoveFocus(const Command& command) {
    const std::string& name = command.Name();
    if (name == "tab") {
        vcl::TForm& form = ActiveForm();
        const bool forward = command.ArgCount() == 0;
        Dispatch([&] { form.SelectNext(forward); });
        return;
    }
    auto& control = ResolveAs<vcl::TWinControl>(world_->Application(), command.Arg(0), "a focusable control");
    RequireReachable(command, control);
    if (!control.CanFocus()) {
        ScriptFailure(command, control.Name() + " cannot take the focus now");
    }
    if (name == "focus") {
        Dispatch([&] { control.SetFocus(); });
        return;
    }
    auto* edit = dynamic_cast<vcl::TCustomEdit*>(&control);
    if (edit == nullptr) {
        ScriptFailure(command, control.Name() + " is not an edit");
    }
    const std::string& text = command.Arg(1);
    Dispatch([&] {
        edit->SetFocus();
        // A handler on the way may have kept the focus elsewhere; then the
        // user's typing does not reach this edit.
        if (edit->Focused()) {
            edit->TypeText(text);
        }
    });
}

void Runner::PressKey(const Command& command) {
    auto& control = ResolveAs<vcl::TWinControl>(world_->Application(), command.Arg(0), "a control");
    vcl::TForm& form = ActiveForm();
    if (form.ActiveControl() != &control) {
        const vcl::TWinControl* focused = form.ActiveControl();
        ScriptFailure(command, "a key goes to the focused control, and " + control.Name() +
                                   " is not focused (" + (focused ? focused->Name() : form.Name()) + " is)");
    }
    const unsigned shift = ShiftState(command);
    const KeyStroke stroke = WithModifiers(*ParseKey(command.Arg(1)), shift);
    Dispatch([&] {
        int key = stroke.virtualKey;
        form.KeyDown(key, shift);
    });
    // The key may have closed (or released) the form: the character goes nowhere then.
    const auto forms = world_->Application().Forms();
    const bool formStays = std::find(forms.begin(), forms.end(), &form) != forms.end() && form.Visible();
    if (stroke.character && formStays) {
        Dispatch([&] {
            char ch = *stroke.character;
            form.KeyPress(ch);
        });
    }
}

void Runner::CloseForm(const Command& command) {
    vcl::TForm* form = world_->Application().FindForm(command.Arg(0));
    if (form == nullptr || !form->Visible()) {
        ScriptFailure(command, command.Arg(0) + " is not open");
    }
    RequireReachable(command, *form);
    Dispatch([form] { form->Close(); });  // as the window's close button does
}

void Runner::UseGrid(const Command& command) {
    const std::string& name = command.Name();
    auto& grid = ResolveAs<vcl::TDBGrid>(world_->Application(), command.Arg(0), "a grid");
    RequireReachable(command, grid);
    if (name == "col") {
        const int index = ColumnOf(grid, command.Arg(1));
        Dispatch([&] { grid.SetSelectedIndex(index); });
    } else if (name == "row") {
        const int row = *ParseCount(command.Arg(1));
        Dispatch([&] { grid.MoveToRow(row); });
    } else if (name == "cellclick") {
        const vcl::TClientDataSet* data = grid.DataSet();
        const int row = data != nullptr && data->Active() ? data->RecNo() : 0;
        Dispatch([&] { grid.ClickCell(row, grid.SelectedIndex()); });
    } else if (name == "titleclick") {
        const int index = ColumnOf(grid, command.Arg(1));
        Dispatch([&] { grid.ClickTitle(index); });
    } else {
        // Typing over the cell: the first character replaces its content,
        // also when an editor is still open on a refused value. One event per
        // keystroke, as typed: a refused character does not stop the ones after it.
        Dispatch([&] { grid.SelectEditorText(); });
        for (const char ch : command.Arg(1)) {
            Dispatch([&] { grid.TypeChar(ch); });
        }
    }
}

}  // namespace scenario
