// The focus walk of a form and the tab order.
#include <algorithm>
#include <climits>

#include "vcl/forms.h"

namespace vcl {
namespace {

// Restores the move bookkeeping when a move ends, also by an exception.
class MoveScope {
public:
    MoveScope(int& depth, TWinControl*& target, TWinControl* newTarget)
        : depth_(depth), target_(target), outerTarget_(target) {
        ++depth_;
        target_ = newTarget;
    }
    ~MoveScope() {
        --depth_;
        target_ = outerTarget_;
    }
    MoveScope(const MoveScope&) = delete;
    MoveScope& operator=(const MoveScope&) = delete;

private:
    int& depth_;
    TWinControl*& target_;
    TWinControl* outerTarget_;
};

// Every container's children in tab order (TabOrder ascending; unnumbered
// ones after, in creation order), depth first.
void CollectTabOrder(const TWinControl& container, std::vector<TWinControl*>& out) {
    std::vector<TWinControl*> children;
    for (TControl* child : container.Controls()) {
        if (auto* win = dynamic_cast<TWinControl*>(child)) {
            children.push_back(win);
        }
    }
    std::stable_sort(children.begin(), children.end(), [](const TWinControl* a, const TWinControl* b) {
        const int ka = a->TabOrder < 0 ? INT_MAX : a->TabOrder;
        const int kb = b->TabOrder < 0 ? INT_MAX : b->TabOrder;
        return ka < kb;
    });
    for (TWinControl* child : children) {
        out.push_back(child);
        CollectTabOrder(*child, out);
    }
}

}  // namespace

void TForm::FocusControl(TWinControl* control) {
    if (control == this) {
        control = nullptr;
    }
    if (control != nullptr) {
        if (!Contains(control)) {
            throw EInvalidOperation("Não é possível focar " + control->Name() + ": não está em " + Name());
        }
        if (!control->CanFocus()) {
            throw EInvalidOperation("Não é possível focar um controle desabilitado ou invisível: " +
                                    control->Name());
        }
    }
    if (moveDepth_ > 0 && control == target_) {
        return;  // the running move is heading there already
    }
    if (moveDepth_ == 0 && control == active_) {
        return;
    }
    const unsigned long serial = ++moveSerial_;
    MoveScope scope(moveDepth_, target_, control);

    // Exits, from the focused control up to the first container of the new one.
    while (active_ != nullptr && (control == nullptr || !active_->Contains(control))) {
        TWinControl* leaving = active_;
        if (leaving->OnExit) {
            leaving->OnExit(leaving);
        }
        if (moveSerial_ != serial || active_ != leaving) {
            return;  // a handler moved the focus: that move ended this one
        }
        TWinControl* up = leaving->Parent();
        active_ = (up == nullptr || up == this) ? nullptr : up;
    }
    if (control == nullptr || target_ != control) {
        return;  // nothing to enter, or the new control went away during the exits
    }
    // Enters, from below where the pointer stands down to the new control.
    std::vector<TWinControl*> path;
    for (TWinControl* c = control; c != nullptr && c != this && c != active_; c = c->Parent()) {
        path.push_back(c);
    }
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        TWinControl* entering = *it;
        active_ = entering;
        if (entering->OnEnter) {
            entering->OnEnter(entering);
        }
        if (moveSerial_ != serial || target_ != control) {
            return;
        }
    }
}

TWinControl* TForm::FindNextControl(TWinControl* from, bool forward) const {
    std::vector<TWinControl*> order;
    CollectTabOrder(*this, order);
    const int count = static_cast<int>(order.size());
    if (count == 0) {
        return nullptr;
    }
    int start = forward ? -1 : count;
    if (from != nullptr) {
        auto found = std::find(order.begin(), order.end(), from);
        if (found != order.end()) {
            start = static_cast<int>(found - order.begin());
        }
    }
    const int step = forward ? 1 : -1;
    for (int k = 1; k <= count; ++k) {
        const int i = ((start + step * k) % count + count) % count;
        TWinControl* candidate = order[static_cast<std::size_t>(i)];
        if (candidate != from && candidate->TabStop && candidate->CanFocus()) {
            return candidate;
        }
    }
    return nullptr;
}

void TForm::SelectNext(bool forward) {
    if (TWinControl* next = FindNextControl(active_, forward); next != nullptr) {
        FocusControl(next);
    }
}

void TForm::ForgetControl(const TWinControl* gone) {
    if (active_ != nullptr && gone->Contains(active_)) {
        active_ = nullptr;
    }
    if (target_ != nullptr && gone->Contains(target_)) {
        target_ = nullptr;
    }
}

}  // namespace vcl
