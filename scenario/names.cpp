#include "scenario/names.h"

#include <stdexcept>

#include "package/unit_globals.h"
#include "vcl/forms.h"

namespace scenario {

vcl::TComponent* FindDeep(const vcl::TComponent& root, std::string_view name) {
    for (const auto& owned : root.Components()) {
        if (owned->Name() == name) {
            return owned.get();
        }
    }
    for (const auto& owned : root.Components()) {
        if (vcl::TComponent* found = FindDeep(*owned, name)) {
            return found;
        }
    }
    return nullptr;
}

vcl::TForm* FindForm(const vcl::TApplication& application, std::string_view name) {
    if (vcl::TForm* form = zrm::UnitForm(name)) {
        return form;
    }
    return application.FindForm(name);
}

vcl::TComponent& Resolve(const vcl::TApplication& application, const std::string& name) {
    std::string_view rest = name;
    auto nextPart = [&rest] {
        const auto dot = rest.find('.');
        std::string_view part = rest.substr(0, dot);
        rest = dot == std::string_view::npos ? std::string_view{} : rest.substr(dot + 1);
        return part;
    };

    std::string_view part = nextPart();
    const vcl::TComponent* root = nullptr;
    std::string rootName;
    if (vcl::TForm* form = rest.empty() ? nullptr : FindForm(application, part)) {
        root = form;
        rootName = std::string(part);
        part = nextPart();
    } else if (!rest.empty() && part.starts_with("frm")) {
        throw std::invalid_argument("cannot find " + name + ": the form " + std::string(part) +
                                    " is not open");
    } else {
        root = FindForm(application, kScreenName);
        rootName = std::string(kScreenName);
        if (root == nullptr) {
            throw std::invalid_argument("cannot find " + name + ": the screen is not open");
        }
    }
    while (true) {
        if (part.empty()) {
            throw std::invalid_argument("\"" + name + "\" is not a component name");
        }
        vcl::TComponent* found = FindDeep(*root, part);
        if (found == nullptr) {
            throw std::invalid_argument("no component " + std::string(part) + " in " + rootName);
        }
        if (rest.empty()) {
            return *found;
        }
        root = found;
        rootName = std::string(part);
        part = nextPart();
    }
}

}  // namespace scenario
