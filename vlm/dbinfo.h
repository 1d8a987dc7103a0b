// The detail window: a dataset's rows under a title.
#pragma once

#include <string_view>

#include "contracts/host_services.h"
#include "vcl/variant.h"

namespace vcl {
class TClientDataSet;
class TBitmap;
}  // namespace vcl

namespace vlm {

class TDbinfo {
public:
    explicit TDbinfo(contracts::IHostServices& services) : services_(services) {}

    // Lists the dataset's visible fields and rows (display texts). When the
    // dataset is null or closed the packet's rows are listed instead (every
    // field, values as text). alertKind and image only style the window.
    void ShowDetail(std::string_view title, std::string_view subtitle, vcl::TClientDataSet* dataSet,
                    const vcl::Variant& packet, int alertKind = 0, const vcl::TBitmap* image = nullptr) const;

private:
    contracts::IHostServices& services_;
};

}  // namespace vlm
