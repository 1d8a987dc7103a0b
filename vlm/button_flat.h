// Flat buttons of the host library: a click runs the handler and leaves the focus where it was.
#pragma once

#include "vcl/controls.h"

namespace vlm {

class TButtonFlat : public vcl::TSpeedButton {
public:
    using vcl::TSpeedButton::TSpeedButton;
};

}  // namespace vlm
