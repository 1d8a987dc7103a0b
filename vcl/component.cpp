#include "vcl/component.h"

#include <algorithm>

namespace vcl {

TComponent::TComponent(TComponent* owner, std::string name) : owner_(owner), name_(std::move(name)) {}

TComponent::~TComponent() {
    // Free owned components in reverse order of creation, so that a component
    // goes before the ones it was created after (and may refer to).
    while (!owned_.empty()) {
        owned_.pop_back();
    }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    auto found = std::find_if(owned_.begin(), owned_.end(),
                              [&](const std::unique_ptr<TComponent>& c) { return c->Name() == name; });
    return found == owned_.end() ? nullptr : found->get();
}

}  // namespace vcl
