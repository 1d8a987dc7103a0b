// Runs one scenario file in its own world. Actions run inside the
// application's dispatcher; expectations compare and report
// "FILE:LINE: expected ..., found ...". A modal form runs the following
// commands from inside its ShowModal until it is hidden, so the handler that
// opened it is still on the stack meanwhile.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "scenario/script.h"
#include "scenario/value_text.h"
#include "vcl/forms.h"

namespace scenario {

class World;

class Runner final : public vcl::THostLoop {
public:
    Runner(const Script& script, std::ostream& report);
    ~Runner() override;

    // Runs the whole file; true when every expectation held and no command failed.
    bool Run();

    // The host's error dialog: the message joins the scripted services' log.
    void ShowError(const std::string& message) override;
    // Runs the following commands until the form is hidden (or freed); a
    // file that ends with the form still open closes it quietly.
    void RunModal(vcl::TForm& form) override;

private:
    void RunCommands(const std::function<bool()>& done);
    void Execute(const Command& command);
    [[noreturn]] void ScriptFailure(const Command& command, const std::string& message) const;

    // Setup and actions (actions.cpp).
    void Act(const Command& command);
    void SetUp(const Command& command);  // db, server, reply, filial, sql
    void Open();
    void MoveFocus(const Command& command);  // focus, tab, type
    void PressKey(const Command& command);
    void CloseForm(const Command& command);  // close FORM: its window's close button
    void UseGrid(const Command& command);    // col, row, cellclick, titleclick, edit
    void Dispatch(const std::function<void()>& event);
    vcl::TForm& ActiveForm() const;
    // A user cannot reach a form behind a modal one: a script error.
    void RequireReachable(const Command& command, const vcl::TControl& control) const;

    // Expectations (expectations.cpp).
    void Expect(const Command& command);
    void Check(const Command& command, bool held, const std::string& expected, const std::string& found);
    void ExpectMessage(const Command& command);
    void ExpectNoMessage(const Command& command);
    void ExpectCall(const Command& command);
    void ExpectNoCall(const Command& command);
    void ExpectFocus(const Command& command);
    void ExpectField(const Command& command);
    void ExpectSql(const Command& command);
    void ExpectGrid(const Command& command);
    void ExpectControl(const Command& command);
    void ExpectHost(const Command& command);

    const Script& script_;
    std::ostream& report_;
    std::unique_ptr<World> world_;
    std::size_t next_ = 0;          // next command to run
    std::size_t messagesSeen_ = 0;  // services' events already matched by expectations
    std::size_t callsSeen_ = 0;     // server calls already matched
    bool stopped_ = false;
    bool failed_ = false;
};

// Runs each file in turn, reporting to `report`; true when all held.
bool RunFiles(const std::vector<std::string>& paths, std::ostream& report);

}  // namespace scenario
