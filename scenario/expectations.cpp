// The expectations of the scenario language.
#include <algorithm>
#include <stdexcept>

#include "package/unit_globals.h"
#include "scenario/commands.h"
#include "scenario/names.h"
#include "scenario/runner.h"
#include "scenario/world.h"
#include "vcl/grid.h"

namespace scenario {

namespace {

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

bool IsMessage(const vlm::ScriptedServices::Event& event) {
    using Kind = vlm::ScriptedServices::Kind;
    return event.kind == Kind::Message || event.kind == Kind::Detail;
}

std::string StateName(vcl::TDataSetState state) {
    switch (state) {
        case vcl::TDataSetState::Inactive:
            return "inactive";
        case vcl::TDataSetState::Browse:
            return "browse";
        case vcl::TDataSetState::Edit:
            return "edit";
        case vcl::TDataSetState::Insert:
            return "insert";
    }
    return "?";
}

// A field of the current row as the language writes values; Null as "".
FoundText FieldText(const vcl::TField& field) {
    if (field.IsNull()) {
        return {"", false};
    }
    switch (field.DataType()) {
        case vcl::FieldType::Integer:
        case vcl::FieldType::Float:
            return {field.Value().AsString(), true};
        case vcl::FieldType::Date:
        case vcl::FieldType::DateTime:
            return {field.AsDateTime().ToBr(), false};
        case vcl::FieldType::Boolean:
            return {field.AsBoolean() ? "true" : "false", false};
        case vcl::FieldType::String:
        case vcl::FieldType::FixedChar:
            break;
    }
    return {field.AsString(), false};
}

std::string CallText(const RecordedCall& call) {
    std::string text = call.method + "(";
    for (std::size_t i = 0; i < call.args.size(); ++i) {
        const FoundText arg = VariantText(call.args[i]);
        const bool quote = call.args[i].type() == vcl::Variant::Type::String;
        text += (i ? ", " : "") + (quote ? Quoted(arg.text) : arg.text);
    }
    return text + ")";
}

std::string ControlName(const vcl::TWinControl* control, const vcl::TForm& form) {
    if (control == nullptr) {
        return form.Name() + " (no control)";
    }
    const vcl::TForm* owner = control->ParentForm();
    const bool onScreen = owner != nullptr && owner->Name() == kScreenName;
    return onScreen || owner == nullptr ? control->Name() : owner->Name() + "." + control->Name();
}

int CursorValue(const std::string& text) {
    if (text == "default") {
        return 0;
    }
    if (text == "hourglass") {
        return -11;
    }
    const auto number = ParseNumber(text);
    if (!number) {
        throw std::invalid_argument("a cursor is a number, default or hourglass, found " + Quoted(text));
    }
    return static_cast<int>(*number);
}

}  // namespace

void Runner::Expect(const Command& command) {
    const std::string& kind = command.Arg(0);
    try {
        if (kind == "message" || kind == "some-message") {
            ExpectMessage(command);
        } else if (kind == "no-message") {
            ExpectNoMessage(command);
        } else if (kind == "call") {
            ExpectCall(command);
        } else if (kind == "no-call") {
            ExpectNoCall(command);
        } else if (kind == "focus") {
            ExpectFocus(command);
        } else if (kind == "field" || kind == "rows" || kind == "state") {
            ExpectField(command);
        } else if (kind == "sql") {
            ExpectSql(command);
        } else if (kind == "col" || kind == "editing" || kind == "columns" || kind == "cell" ||
                   kind == "row") {
            ExpectGrid(command);
        } else if (kind == "text" || kind == "maxlength" || kind == "form" || kind == "hint") {
            ExpectControl(command);
        } else {
            ExpectHost(command);
        }
    } catch (const std::logic_error& error) {  // unknown names and kinds
        ScriptFailure(command, error.what());
    }
}

void Runner::ExpectMessage(const Command& command) {
    const auto& events = world_->Services().Events();
    while (messagesSeen_ < events.size() && !IsMessage(events[messagesSeen_])) {
        ++messagesSeen_;
    }
    const bool any = command.Arg(0) == "some-message";
    const std::string expected = any ? "a message" : "message " + Quoted(command.Arg(1));
    if (messagesSeen_ == events.size()) {
        Check(command, false, expected, "no message");
        return;
    }
    const std::string& text = events[messagesSeen_++].text;
    Check(command, any || text == command.Arg(1), expected, "message " + Quoted(text));
}

void Runner::ExpectNoMessage(const Command& command) {
    const auto& events = world_->Services().Events();
    std::string found;
    for (; messagesSeen_ < events.size(); ++messagesSeen_) {
        if (IsMessage(events[messagesSeen_])) {
            found += (found.empty() ? "message " : ", ") + Quoted(events[messagesSeen_].text);
        }
    }
    Check(command, found.empty(), "no message", found);
}

void Runner::ExpectCall(const Command& command) {
    const std::vector<RecordedCall> calls = world_->Calls();
    std::string expected = "call " + command.Arg(1);
    for (std::size_t i = 2; i < command.ArgCount(); ++i) {
        const std::string& arg = command.Arg(i);
        const auto eq = arg.find('=');
        expected += " " + arg.substr(0, eq + 1) + Quoted(arg.substr(eq + 1));
    }
    if (callsSeen_ >= calls.size()) {
        Check(command, false, expected, "no call");
        return;
    }
    const RecordedCall& call = calls[callsSeen_++];
    bool held = call.method == command.Arg(1);
    for (std::size_t i = 2; held && i < command.ArgCount(); ++i) {
        const std::string& arg = command.Arg(i);
        const auto eq = arg.find('=');
        const std::size_t position = static_cast<std::size_t>(*ParseCount(arg.substr(0, eq)));
        held =
            position <= call.args.size() && Matches(arg.substr(eq + 1), VariantText(call.args[position - 1]));
    }
    Check(command, held, expected, CallText(call));
}

void Runner::ExpectNoCall(const Command& command) {
    const std::vector<RecordedCall> calls = world_->Calls();
    std::string found;
    for (; callsSeen_ < calls.size(); ++callsSeen_) {
        found += (found.empty() ? "call " : ", ") + CallText(calls[callsSeen_]);
    }
    Check(command, found.empty(), "no call", found);
}

void Runner::ExpectFocus(const Command& command) {
    auto& control = ResolveAs<vcl::TWinControl>(world_->Application(), command.Arg(1), "a control");
    const vcl::TForm& form = ActiveForm();
    const vcl::TWinControl* focused = form.ActiveControl();
    Check(command, focused == &control, "focus " + command.Arg(1), "focus " + ControlName(focused, form));
}

void Runner::ExpectField(const Command& command) {
    const std::string& kind = command.Arg(0);
    auto& data = ResolveAs<vcl::TClientDataSet>(world_->Application(), command.Arg(1), "a client dataset");
    if (kind == "rows") {
        const int rows = data.Active() ? data.RecordCount() : 0;
        Check(command, rows == *ParseCount(command.Arg(2)), command.Arg(2) + " rows",
              std::to_string(rows) + " rows");
    } else if (kind == "state") {
        const std::string state = StateName(data.State());
        Check(command, state == command.Arg(2), "state " + command.Arg(2), "state " + state);
    } else {
        const std::string& expected = command.Arg(3);
        const std::string what = command.Arg(1) + "." + command.Arg(2);
        vcl::TField& field = data.FieldByName(command.Arg(2));
        if (data.IsEmpty()) {
            Check(command, false, what + " " + Quoted(expected),
                  data.Active() ? "no row" : "the dataset closed");
            return;
        }
        const FoundText found = FieldText(field);
        Check(command, Matches(expected, found), what + " " + Quoted(expected), Quoted(found.text));
    }
}

void Runner::ExpectSql(const Command& command) {
    const std::optional<std::string> value = world_->QueryFirst(command.Arg(1));
    const std::string& expected = command.Arg(2);
    if (!value) {
        Check(command, false, Quoted(expected), "no row");
        return;
    }
    const FoundText found{*value, ParseNumber(*value).has_value()};
    Check(command, Matches(expected, found), Quoted(expected), Quoted(found.text));
}

void Runner::ExpectGrid(const Command& command) {
    const std::string& kind = command.Arg(0);
    auto& grid = ResolveAs<vcl::TDBGrid>(world_->Application(), command.Arg(1), "a grid");
    if (kind == "cell") {
        // The text the grid shows in row N (1-based) of the column bound to FIELD.
        const int row = *ParseCount(command.Arg(2));
        const auto& columns = grid.Columns();
        const auto column = std::find_if(columns.begin(), columns.end(),
                                         [&](const auto& c) { return c->FieldName == command.Arg(3); });
        if (column == columns.end()) {
            throw std::invalid_argument(command.Arg(1) + " has no column for " + command.Arg(3));
        }
        const std::string what =
            "cell " + command.Arg(2) + " " + command.Arg(3) + " " + Quoted(command.Arg(4));
        if (row < 1 || row > grid.RowCount()) {
            Check(command, false, what, std::to_string(grid.RowCount()) + " rows shown");
            return;
        }
        const std::string text = grid.CellText(row, (*column)->Index());
        Check(command, text == command.Arg(4), what, Quoted(text));
        return;
    }
    if (kind == "row") {
        // The grid's current row, 1-based among the rows shown (0 when none).
        const vcl::TClientDataSet* data = grid.DataSet();
        const int row = data != nullptr && data->Active() ? data->RecNo() : 0;
        Check(command, std::to_string(row) == command.Arg(2), "row " + command.Arg(2),
              "row " + std::to_string(row));
    } else if (kind == "col") {
        const vcl::TColumn* column = grid.SelectedColumn();
        const std::string field = column != nullptr ? column->FieldName : "(none)";
        Check(command, field == command.Arg(2), "column " + command.Arg(2), "column " + field);
    } else if (kind == "editing") {
        const std::string editing = grid.HasOption(vcl::TGridOption::Editing) ? "on" : "off";
        Check(command, editing == command.Arg(2), "editing " + command.Arg(2), "editing " + editing);
    } else {
        std::string titles;
        bool first = true;
        for (const auto& column : grid.Columns()) {
            if (column->Visible) {
                titles += (first ? "" : "|") + column->ShownTitle();
                first = false;
            }
        }
        Check(command, titles == command.Arg(2), "columns " + Quoted(command.Arg(2)), Quoted(titles));
    }
}

void Runner::ExpectControl(const Command& command) {
    const std::string& kind = command.Arg(0);
    vcl::TApplication& application = world_->Application();
    if (kind == "form") {
        const vcl::TForm* form = FindForm(application, command.Arg(1));
        const std::string state = form != nullptr && form->Visible() ? "open" : "closed";
        Check(command, state == command.Arg(2), command.Arg(1) + " " + command.Arg(2),
              command.Arg(1) + " " + state);
        return;
    }
    vcl::TComponent& component = Resolve(application, command.Arg(1));
    if (kind == "text") {
        std::string text;
        if (const auto* edit = dynamic_cast<const vcl::TCustomEdit*>(&component)) {
            text = edit->Text();
        } else if (const auto* label = dynamic_cast<const vcl::TLabel*>(&component)) {
            text = label->Caption;
        } else {
            throw std::invalid_argument(command.Arg(1) + " shows no text");
        }
        Check(command, text == command.Arg(2), "text " + Quoted(command.Arg(2)), "text " + Quoted(text));
    } else if (kind == "hint") {
        const auto* control = dynamic_cast<const vcl::TControl*>(&component);
        if (control == nullptr) {
            throw std::invalid_argument(command.Arg(1) + " is not a control");
        }
        const std::string hint = control->ShownHint();
        Check(command, hint == command.Arg(2), "hint " + Quoted(command.Arg(2)), "hint " + Quoted(hint));
    } else {
        const auto* edit = dynamic_cast<const vcl::TCustomEdit*>(&component);
        if (edit == nullptr) {
            throw std::invalid_argument(command.Arg(1) + " is not an edit");
        }
        const std::string length = std::to_string(edit->MaxLength);
        Check(command, length == command.Arg(2), "max length " + command.Arg(2), "max length " + length);
    }
}

void Runner::ExpectHost(const Command& command) {
    const std::string& kind = command.Arg(0);
    if (kind == "global") {
        const std::optional<std::string> value = zrm::UnitGlobalText(command.Arg(1));
        if (!value) {
            throw std::invalid_argument("no unit global " + command.Arg(1));
        }
        Check(command, *value == command.Arg(2), command.Arg(1) + " " + Quoted(command.Arg(2)),
              Quoted(*value));
    } else if (kind == "picklist") {
        const auto* pick = world_->Services().LastPickList();
        const std::string expected =
            "pick list " + Quoted(command.Arg(1)) + " with " + command.Arg(2) + " rows";
        if (pick == nullptr) {
            Check(command, false, expected, "no pick list");
            return;
        }
        const std::string rows = std::to_string(pick->table.rows.size());
        Check(command, pick->text == command.Arg(1) && rows == command.Arg(2), expected,
              "pick list " + Quoted(pick->text) + " with " + rows + " rows");
    } else if (kind == "picklist-row" || kind == "detail-row") {
        // Row N (1-based) of the last pick list or detail window, cells joined by '|'.
        const auto& events = world_->Services().Events();
        const auto wanted = kind == "picklist-row" ? vlm::ScriptedServices::Kind::PickList
                                                   : vlm::ScriptedServices::Kind::Detail;
        const auto last =
            std::find_if(events.rbegin(), events.rend(), [&](const auto& e) { return e.kind == wanted; });
        const std::string expected = kind + " " + command.Arg(1) + " " + Quoted(command.Arg(2));
        const int row = *ParseCount(command.Arg(1));
        if (last == events.rend() || row < 1 || static_cast<std::size_t>(row) > last->table.rows.size()) {
            Check(command, false, expected, last == events.rend() ? "no such window" : "no such row");
            return;
        }
        const std::vector<std::string>& shown = last->table.rows[static_cast<std::size_t>(row - 1)];
        std::string cells;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            cells += (i == 0 ? "" : "|") + shown[i];
        }
        Check(command, cells == command.Arg(2), expected, Quoted(cells));
    } else if (kind == "busy") {
        const std::string busy = world_->Services().Busy() ? "on" : "off";
        Check(command, busy == command.Arg(1), "busy " + command.Arg(1), "busy " + busy);
    } else if (kind == "cursor") {
        const int cursor = world_->Screen().Cursor;
        Check(command, cursor == CursorValue(command.Arg(1)), "cursor " + command.Arg(1),
              "cursor " + std::to_string(cursor));
    } else {
        throw std::invalid_argument("unknown expectation " + kind);
    }
}

}  // namespace scenario
