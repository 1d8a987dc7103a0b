#include "scenario/runner.h"

#include <algorithm>

#include "scenario/world.h"

namespace scenario {

namespace {

// Whether the application still owns the form (a form released on close is gone).
bool Owned(const vcl::TApplication& application, const vcl::TForm* form) {
    const auto forms = application.Forms();
    return std::find(forms.begin(), forms.end(), form) != forms.end();
}

}  // namespace

Runner::Runner(const Script& script, std::ostream& report)
    : script_(script), report_(report), world_(std::make_unique<World>()) {
    world_->Application().SetHostLoop(this);
}

Runner::~Runner() {
    // The world goes after this runner stops being its host loop.
    world_->Application().SetHostLoop(nullptr);
}

bool Runner::Run() {
    RunCommands([] { return false; });
    try {
        world_->FinalizePackage();
    } catch (const std::exception& error) {
        report_ << script_.file << ": closing the package failed: " << error.what() << '\n';
        failed_ = true;
    }
    return !failed_;
}

void Runner::ShowError(const std::string& message) {
    world_->Services().ShowMessage(contracts::TMsgDlgType::Error, message, {contracts::TMsgDlgBtn::OK});
}

void Runner::RunModal(vcl::TForm& form) {
    vcl::TApplication& application = world_->Application();
    const auto closed = [&] { return !Owned(application, &form) || !form.Visible(); };
    RunCommands(closed);
    if (closed()) {
        return;
    }
    // The file ended (or stopped on a failure) with the form still modal:
    // close it quietly, as the user would, so the handler that opened it can
    // finish; nothing after the file's end runs meanwhile.
    stopped_ = true;
    application.Dispatch([&] { form.Close(); });
}

void Runner::RunCommands(const std::function<bool()>& done) {
    while (!stopped_ && !done() && next_ < script_.commands.size()) {
        const Command& command = script_.commands[next_++];
        try {
            Execute(command);
        } catch (const ScriptError& error) {
            report_ << error.what() << '\n';
            failed_ = true;
            stopped_ = true;
        } catch (const std::exception& error) {
            report_ << script_.file << ':' << command.line << ": " << error.what() << '\n';
            failed_ = true;
            stopped_ = true;
        }
    }
}

void Runner::Execute(const Command& command) {
    if (command.Name() == "expect") {
        Expect(command);
    } else {
        Act(command);
    }
}

void Runner::ScriptFailure(const Command& command, const std::string& message) const {
    throw ScriptError(script_.file, command.line, message);
}

void Runner::Check(const Command& command, bool held, const std::string& expected, const std::string& found) {
    if (!held) {
        report_ << script_.file << ':' << command.line << ": expected " << expected << ", found " << found
                << '\n';
        failed_ = true;
    }
}

bool RunFiles(const std::vector<std::string>& paths, std::ostream& report) {
    bool allHeld = true;
    for (const std::string& path : paths) {
        try {
            const Script script = LoadScript(path);
            Runner runner(script, report);
            if (!runner.Run()) {
                allHeld = false;
            }
        } catch (const ScriptError& error) {
            report << error.what() << '\n';
            allHeld = false;
        } catch (const std::exception& error) {
            report << path << ": " << error.what() << '\n';
            allHeld = false;
        }
    }
    return allHeld;
}

}  // namespace scenario
