// Finds the components a scenario names. A plain name is looked up in the
// screen; "frmGeracao.medFilial" in the dialog; any further dotted part
// looks inside the component found so far ("qryFilial.Query").
#pragma once

#include <string>
#include <string_view>

#include "vcl/component.h"

namespace vcl {
class TApplication;
class TForm;
}  // namespace vcl

namespace scenario {

inline constexpr std::string_view kScreenName = "frmRemessaAnalise";
inline constexpr std::string_view kDialogName = "frmGeracao";

// The component named `name` among those `root` owns, at any depth
// (depth-first, in creation order); nullptr when absent.
vcl::TComponent* FindDeep(const vcl::TComponent& root, std::string_view name);

// A form by its unit global's name, else a form of that name the application
// owns; nullptr when neither exists now.
vcl::TForm* FindForm(const vcl::TApplication& application, std::string_view name);

// The component a scenario names; throws std::invalid_argument with a
// readable reason when it cannot be found.
vcl::TComponent& Resolve(const vcl::TApplication& application, const std::string& name);

// Resolve, then require a kind: throws std::invalid_argument naming the kind wanted.
template <class T>
T& ResolveAs(const vcl::TApplication& application, const std::string& name, std::string_view kind) {
    vcl::TComponent& component = Resolve(application, name);
    if (auto* typed = dynamic_cast<T*>(&component)) {
        return *typed;
    }
    throw std::invalid_argument(name + " is not " + std::string(kind));
}

}  // namespace scenario
