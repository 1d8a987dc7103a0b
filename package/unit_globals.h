// Read access to the units' globals by name, for hosts and scenario runners
// that inspect the module's state.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vcl {
class TForm;
}

namespace zrm {

// The global as text: booleans "true"/"false", strings as they are, the
// variant oleNotas as its text form; nullopt for an unknown name.
std::optional<std::string> UnitGlobalText(std::string_view name);

// The form a unit global refers to now ("frmRemessaAnalise", "frmGeracao");
// nullptr when it refers to none.
vcl::TForm* UnitForm(std::string_view name);

}  // namespace zrm
