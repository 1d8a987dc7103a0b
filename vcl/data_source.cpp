#include <algorithm>

#include "vcl/dataset.h"

namespace vcl {

TDataLink::~TDataLink() {
    SetDataSource(nullptr);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (source == dataSource_)
        return;
    if (dataSource_ != nullptr) {
        auto& links = dataSource_->links_;
        links.erase(std::remove(links.begin(), links.end(), this), links.end());
    }
    const bool wasActive = DataSet() != nullptr && DataSet()->Active();
    dataSource_ = source;
    if (dataSource_ != nullptr)
        dataSource_->links_.push_back(this);
    const bool isActive = DataSet() != nullptr && DataSet()->Active();
    if (wasActive != isActive)
        ActiveChanged();
}

TClientDataSet* TDataLink::DataSet() const {
    return dataSource_ != nullptr ? dataSource_->DataSet() : nullptr;
}

TDataSource::TDataSource(TComponent* owner, std::string name) : TComponent(owner, std::move(name)) {}

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links)
        link->SetDataSource(nullptr);
}

void TDataSource::SetDataSet(TClientDataSet* dataSet) {
    if (dataSet == dataSet_)
        return;
    if (dataSet_ != nullptr) {
        auto& sources = dataSet_->sources_;
        sources.erase(std::remove(sources.begin(), sources.end(), this), sources.end());
    }
    dataSet_ = dataSet;
    if (dataSet_ != nullptr)
        dataSet_->sources_.push_back(this);
    const std::vector<TDataLink*> links = links_;
    for (TDataLink* link : links)
        link->ActiveChanged();
}

}  // namespace vcl
