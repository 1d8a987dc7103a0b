#include <algorithm>
#include <iostream>

#include "vcl/forms.h"

namespace vcl {

TApplication::TApplication(TScreen& screen) : TComponent(nullptr, "Application"), screen_(screen) {}

TApplication::~TApplication() {
    // Forms go in reverse order of creation, each after its OnDestroy.
    while (!forms_.empty()) {
        FreeForm(*forms_.back());
    }
}

void TApplication::ReleaseForm(TForm& form) {
    auto found = std::find_if(forms_.begin(), forms_.end(), [&](const auto& f) { return f.get() == &form; });
    if (found == forms_.end()) {
        throw EInvalidOperation("O formulário " + form.Name() + " não pertence à aplicação");
    }
    if (dispatchDepth_ > 0 || form.Modal()) {
        if (std::find(pendingRelease_.begin(), pendingRelease_.end(), &form) == pendingRelease_.end()) {
            pendingRelease_.push_back(&form);
        }
        return;
    }
    FreeForm(form);
}

void TApplication::FreeForm(TForm& form) {
    pendingRelease_.erase(std::remove(pendingRelease_.begin(), pendingRelease_.end(), &form),
                          pendingRelease_.end());
    if (form.OnDestroy) {
        Dispatch([&form] { form.OnDestroy(&form); });
    }
    if (screen_.ActiveForm == &form) {
        screen_.ActiveForm = nullptr;
    }
    auto found = std::find_if(forms_.begin(), forms_.end(), [&](const auto& f) { return f.get() == &form; });
    if (found != forms_.end()) {
        std::unique_ptr<TForm> dying = std::move(*found);
        forms_.erase(found);
    }
}

void TApplication::ReleasePending() {
    auto ready = [](const TForm* form) { return !form->Modal(); };
    for (auto it = std::find_if(pendingRelease_.begin(), pendingRelease_.end(), ready);
         it != pendingRelease_.end();
         it = std::find_if(pendingRelease_.begin(), pendingRelease_.end(), ready)) {
        FreeForm(**it);
    }
}

bool TApplication::Releasing(const TForm* form) const {
    return std::find(pendingRelease_.begin(), pendingRelease_.end(), form) != pendingRelease_.end();
}

std::vector<TForm*> TApplication::Forms() const {
    std::vector<TForm*> out;
    for (const auto& form : forms_) {
        if (!Releasing(form.get())) {
            out.push_back(form.get());
        }
    }
    return out;
}

TForm* TApplication::FindForm(std::string_view name) const {
    for (TForm* form : Forms()) {
        if (form->Name() == name) {
            return form;
        }
    }
    return nullptr;
}

std::vector<TForm*> TApplication::OpenForms() const {
    std::vector<TForm*> open;
    for (TForm* form : Forms()) {
        if (form->Visible()) {
            open.push_back(form);
        }
    }
    std::stable_sort(open.begin(), open.end(),
                     [](const TForm* a, const TForm* b) { return a->ShowOrder() < b->ShowOrder(); });
    return open;
}

bool TApplication::Dispatch(const std::function<void()>& event) {
    struct DepthScope {
        TApplication& app;
        explicit DepthScope(TApplication& a) : app(a) { ++app.dispatchDepth_; }
        ~DepthScope() { --app.dispatchDepth_; }
    };
    bool completed = false;
    {
        DepthScope depth(*this);
        try {
            event();
            completed = true;
        } catch (const EAbort&) {
            // The silent abort: the event ends without a message.
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    if (dispatchDepth_ == 0) {
        ReleasePending();
    }
    return completed;
}

void TApplication::HandleException(std::exception_ptr error) {
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const Exception& e) {
        message = e.what();  // the component layer's and the module's own texts
    } catch (const std::exception& e) {
        // Anything else carries internal detail: the log keeps it, the user reads what happened.
        std::cerr << "erro inesperado: " << e.what() << '\n';
        message = kUnexpectedError;
    } catch (...) {
        std::cerr << "erro inesperado: exceção desconhecida\n";
        message = kUnexpectedError;
    }
    if (loop_ != nullptr) {
        loop_->ShowError(message);
    } else {
        std::cerr << message << '\n';
    }
}

}  // namespace vcl
