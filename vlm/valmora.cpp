#include "vlm/valmora.h"

namespace vlm {

std::string TValmora::DBPict(int kind) const {
    return kind == 0 ? config_.productMask : std::string();
}

}  // namespace vlm
