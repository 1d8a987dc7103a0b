// A popup menu: captions only (the base forms carry two, unused by the module).
#pragma once

#include <string>
#include <vector>

#include "vcl/component.h"

namespace vlm {

class TPopupMenu : public vcl::TComponent {
public:
    using vcl::TComponent::TComponent;
    std::vector<std::string> Items;
};

}  // namespace vlm
