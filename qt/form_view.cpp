#include "qt/form_view.h"

#include <QKeyEvent>
#include <QPainter>
#include <QResizeEvent>

#include "qt/control_widgets.h"
#include "qt/date_edit_widget.h"
#include "qt/grid_widget.h"
#include "qt/qt_convert.h"
#include "vcl/grid.h"
#include "vlm/date_edit_plus.h"

namespace zrmqt {

// ---- keys ----

namespace {

int VirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return 'A' + (key - Qt::Key_A);
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return '0' + (key - Qt::Key_0);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        return vcl::vk::F2 - 1 + (key - Qt::Key_F1);
    }
    switch (key) {
        case Qt::Key_Backspace:
            return vcl::vk::Back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vcl::vk::Tab;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vcl::vk::Return;
        case Qt::Key_Escape:
            return vcl::vk::Escape;
        case Qt::Key_Space:
            return vcl::vk::Space;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return vcl::vk::End;
        case Qt::Key_Home:
            return vcl::vk::Home;
        case Qt::Key_Left:
            return vcl::vk::Left;
        case Qt::Key_Up:
            return vcl::vk::Up;
        case Qt::Key_Right:
            return vcl::vk::Right;
        case Qt::Key_Down:
            return vcl::vk::Down;
        case Qt::Key_Insert:
            return vcl::vk::Insert;
        case Qt::Key_Delete:
            return vcl::vk::Delete;
        case Qt::Key_Comma:
            return 188;
        case Qt::Key_Minus:
            return 189;
        case Qt::Key_Period:
            return 190;
        default:
            break;
    }
    const QString text = event.text();
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() < 0x7f) {
        return text[0].toUpper().unicode();
    }
    return 0;
}

}  // namespace

std::optional<KeyStroke> TranslateKey(const QKeyEvent& event) {
    KeyStroke stroke;
    stroke.key = VirtualKey(event);
    if (stroke.key == 0) {
        return std::nullopt;
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if (modifiers & Qt::ShiftModifier || event.key() == Qt::Key_Backtab) {
        stroke.shift |= vcl::shift::Shift;
    }
    if (modifiers & Qt::ControlModifier) {
        stroke.shift |= vcl::shift::Ctrl;
    }
    if (modifiers & Qt::AltModifier) {
        stroke.shift |= vcl::shift::Alt;
    }
    if (stroke.key == vcl::vk::Tab || (stroke.shift & vcl::shift::Alt) != 0) {
        return stroke;  // Tab and Alt combinations type nothing
    }
    if (stroke.key == vcl::vk::Space) {
        stroke.chars = " ";
    } else if (stroke.key == vcl::vk::Return) {
        if ((stroke.shift & vcl::shift::Ctrl) == 0) {
            stroke.chars = "\r";  // Ctrl+Enter is a short-cut, not a line typed
        }
    } else if (stroke.key == vcl::vk::Escape) {
        stroke.chars = "\x1b";
    } else if (stroke.key == vcl::vk::Back) {
        stroke.chars = "\b";
    } else if ((stroke.shift & vcl::shift::Ctrl) == 0) {
        const QString text = event.text();
        if (!text.isEmpty() && text[0].unicode() >= 0x20 && text[0] != QChar(0x7f)) {
            stroke.chars = text.toStdString();
        }
    }
    return stroke;
}

void ForwardKey(ActionSink& sink, vcl::TForm& form, const KeyStroke& stroke) {
    sink.Act([&form, key = stroke.key, shift = stroke.shift]() mutable { form.KeyDown(key, shift); });
    for (const char ch : stroke.chars) {
        if (!sink.Alive(form) || !form.Visible()) {
            return;  // the key closed the form
        }
        sink.Act([&form, typed = ch]() mutable { form.KeyPress(typed); });
    }
}

// ---- the view ----

FormView::FormView(vcl::TForm& form, ActionSink& sink, QWidget* parent)
    : QWidget(parent), form_(form), sink_(sink) {
    setFocusPolicy(Qt::NoFocus);
    built_ = CurrentControls();
    Build(form_, this);
    const vcl::TRect client = form_.ClientRect();
    resize(client.Width(), client.Height());
    Sync();
}

FormView::~FormView() = default;

std::vector<const vcl::TControl*> FormView::CurrentControls() const {
    std::vector<const vcl::TControl*> controls;
    std::function<void(const vcl::TWinControl&)> walk = [&](const vcl::TWinControl& container) {
        for (const vcl::TControl* child : container.Controls()) {
            controls.push_back(child);
            if (const auto* inner = dynamic_cast<const vcl::TWinControl*>(child)) {
                walk(*inner);
            }
        }
    };
    walk(form_);
    return controls;
}

void FormView::Build(vcl::TWinControl& container, QWidget* parent) {
    for (vcl::TControl* child : container.Controls()) {
        ControlBinding* binding = MakeBinding(*child, parent);
        if (binding == nullptr) {
            continue;
        }
        bindings_.push_back(binding);
        auto* inner = dynamic_cast<vcl::TWinControl*>(child);
        const bool leaf = dynamic_cast<vcl::TDBGrid*>(child) != nullptr ||
                          dynamic_cast<vcl::TCustomEdit*>(child) != nullptr;
        if (inner != nullptr && !leaf) {
            Build(*inner, binding->Widget());
        }
    }
}

ControlBinding* FormView::MakeBinding(vcl::TControl& control, QWidget* parent) {
    if (auto* grid = dynamic_cast<vcl::TDBGrid*>(&control)) {
        return new GridWidget(*grid, parent);
    }
    if (auto* date = dynamic_cast<vlm::TDateEditPlus*>(&control)) {
        return new DateEditWidget(*date, parent);
    }
    if (auto* edit = dynamic_cast<vcl::TCustomEdit*>(&control)) {
        return new EditWidget(*edit, parent);
    }
    if (auto* button = dynamic_cast<vcl::TSpeedButton*>(&control)) {
        return new ButtonWidget(*button, parent);
    }
    if (auto* label = dynamic_cast<vcl::TLabel*>(&control)) {
        return new LabelWidget(*label, parent);
    }
    if (auto* image = dynamic_cast<vcl::TImage*>(&control)) {
        return new ImageWidget(*image, parent);
    }
    if (dynamic_cast<vcl::TWinControl*>(&control) != nullptr ||
        dynamic_cast<vcl::TSplitter*>(&control) != nullptr) {
        return new ContainerWidget(control, parent);
    }
    return nullptr;  // nothing to show
}

void FormView::Sync() {
    syncing_ = true;
    const vcl::TRect client = form_.ClientRect();
    if (size() != QSize(client.Width(), client.Height())) {
        resize(client.Width(), client.Height());
    }
    for (ControlBinding* binding : bindings_) {
        const vcl::TControl& control = binding->Control();
        QWidget* widget = binding->Widget();
        const QRect bounds = binding->Placed(ToQRect(control.BoundsRect()));
        if (widget->geometry() != bounds) {
            widget->setGeometry(bounds);
        }
        widget->setEnabled(control.Enabled);
        if (widget->isVisibleTo(widget->parentWidget()) != control.Visible) {
            widget->setVisible(control.Visible);
        }
        if (control.ShowHint || !control.Hint.empty()) {
            widget->setToolTip(QString::fromStdString(control.ShownHint()));
        }
        switch (control.Cursor) {
            case vcl::TCursor::HourGlass:
                widget->setCursor(Qt::WaitCursor);
                break;
            case vcl::TCursor::VSplit:
                widget->setCursor(Qt::SizeVerCursor);
                break;
            case vcl::TCursor::Default:
                break;
        }
        binding->Sync();
    }
    // Qt's focus follows the form's active control.
    if (QWidget* focused = WidgetOf(form_.ActiveControl()); focused != nullptr && focused->isVisible()) {
        if (!focused->hasFocus()) {
            focused->setFocus(Qt::OtherFocusReason);
        }
    } else if (QWidget* current = focusWidget(); current != nullptr && isAncestorOf(current)) {
        current->clearFocus();
    }
    update();
    syncing_ = false;
}

QWidget* FormView::WidgetOf(const vcl::TControl* control) const {
    if (control == nullptr) {
        return nullptr;
    }
    for (ControlBinding* binding : bindings_) {
        if (&binding->Control() == control) {
            return binding->Widget();
        }
    }
    return nullptr;
}

QWidget* FormView::WidgetOf(const std::string& name) const {
    for (ControlBinding* binding : bindings_) {
        if (binding->Control().Name() == name) {
            return binding->Widget();
        }
    }
    return nullptr;
}

QSize FormView::sizeHint() const {
    const vcl::TRect client = form_.ClientRect();
    return {client.Width(), client.Height()};
}

void FormView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const vcl::TRect client = form_.ClientRect();
    const int dw = event->size().width() - client.Width();
    const int dh = event->size().height() - client.Height();
    if (syncing_ || !isVisible() || (dw == 0 && dh == 0)) {
        return;
    }
    form_.SetBounds(form_.Left, form_.Top, form_.Width + dw, form_.Height + dh);
    if (form_.ClientWidth > 0) {
        form_.ClientWidth += dw;
    }
    if (form_.ClientHeight > 0) {
        form_.ClientHeight += dh;
    }
    form_.Realign();
    Sync();
}

bool FormView::focusNextPrevChild(bool /*next*/) {
    return true;  // Tab moves are the headless form's
}

void FormView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(form_.Color));
}

FormView* ViewOf(const QWidget* widget) {
    for (QWidget* w = widget != nullptr ? widget->parentWidget() : nullptr; w != nullptr;
         w = w->parentWidget()) {
        if (auto* view = qobject_cast<FormView*>(w)) {
            return view;
        }
    }
    return nullptr;
}

}  // namespace zrmqt
