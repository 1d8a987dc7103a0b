// Component ownership: every component has a name and an owner; the owner
// frees what it owns. Event senders are TObject pointers.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vcl {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TComponent : public TObject {
public:
    TComponent(TComponent* owner, std::string name);
    ~TComponent() override;

    const std::string& Name() const { return name_; }
    TComponent* Owner() const { return owner_; }

    // Creates a component owned by this one: Make<TPanel>("panFiltro", ...).
    template <class T, class... Args>
    T& Make(std::string name, Args&&... args) {
        auto made = std::make_unique<T>(this, std::move(name), std::forward<Args>(args)...);
        T& ref = *made;
        owned_.push_back(std::move(made));
        return ref;
    }

    // Direct children by owner (not recursive); nullptr when absent.
    TComponent* FindComponent(std::string_view name) const;
    const std::vector<std::unique_ptr<TComponent>>& Components() const { return owned_; }

private:
    TComponent* owner_;
    std::string name_;
    std::vector<std::unique_ptr<TComponent>> owned_;
};

}  // namespace vcl
