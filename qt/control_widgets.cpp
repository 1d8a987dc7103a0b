#include "qt/control_widgets.h"

#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include "qt/qt_convert.h"
#include "vcl/forms.h"

namespace zrmqt {

namespace {

// Classic 3-D edges: light on the top and left, shadow on the bottom and right.
void DrawBevel(QPainter& painter, const QRect& r, bool raised) {
    const QColor light = ToQColor(vcl::clWhite);
    const QColor shadow = ToQColor(vcl::clGray);
    painter.setPen(raised ? light : shadow);
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(raised ? shadow : light);
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

void SetColours(QWidget& widget, QPalette::ColorRole background, const QColor& base, const QColor& text) {
    QPalette palette = widget.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, background, base);
    }
    palette.setColor(QPalette::Active, QPalette::Text, text);
    palette.setColor(QPalette::Inactive, QPalette::Text, text);
    palette.setColor(QPalette::Active, QPalette::WindowText, text);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, text);
    palette.setColor(QPalette::Disabled, QPalette::Text, ToQColor(vcl::clGray));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ToQColor(vcl::clGray));
    if (palette != widget.palette()) {
        widget.setPalette(palette);
    }
}

}  // namespace

// ---- containers ----

ContainerWidget::ContainerWidget(vcl::TControl& control, QWidget* parent)
    : QWidget(parent), ControlBinding(control) {
    if (dynamic_cast<vcl::TSplitter*>(&control) != nullptr) {
        setCursor(Qt::SizeVerCursor);
    }
}

void ContainerWidget::Sync() {
    update();
}

void ContainerWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const vcl::TControl& control = Control();
    if (!control.ParentColor) {
        painter.fillRect(rect(), ToQColor(control.Color));
    }
    const QRect edge = rect().adjusted(0, 0, -1, -1);
    if (const auto* panel = dynamic_cast<const vcl::TPanel*>(&control)) {
        if (panel->BevelOuter != vcl::TBevelCut::None) {
            DrawBevel(painter, edge, panel->BevelOuter == vcl::TBevelCut::Raised);
        }
        if (panel->BevelInner != vcl::TBevelCut::None) {
            DrawBevel(painter, edge.adjusted(1, 1, -1, -1), panel->BevelInner == vcl::TBevelCut::Raised);
        }
        if (!panel->Caption.empty()) {
            painter.setFont(ToQFont(panel->Font));
            painter.setPen(ToQColor(panel->Font.Color));
            painter.drawText(rect(), Qt::AlignCenter, QString::fromStdString(panel->Caption));
        }
    } else if (const auto* group = dynamic_cast<const vcl::TGroupBox*>(&control)) {
        const QFont font = ToQFont(group->Font);
        const QFontMetrics metrics(font);
        const int lineY = metrics.height() / 2;
        // An etched frame: shadow line with a light line beside it.
        const QRect frame(0, lineY, width() - 2, height() - lineY - 2);
        painter.setPen(ToQColor(vcl::clGray));
        painter.drawRect(frame);
        painter.setPen(ToQColor(vcl::clWhite));
        painter.drawRect(frame.translated(1, 1));
        if (!group->Caption.empty()) {
            const QString caption = QString::fromStdString(group->Caption);
            const QRect textRect(8, 0, metrics.horizontalAdvance(caption), metrics.height());
            painter.fillRect(textRect, ToQColor(group->Color));
            painter.setFont(font);
            painter.setPen(ToQColor(group->Font.Color));
            painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, caption);
        }
    }
}

// ---- labels and images ----

LabelWidget::LabelWidget(vcl::TLabel& label, QWidget* parent)
    : QLabel(parent), ControlBinding(label), label_(label) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
}

void LabelWidget::Sync() {
    const QString caption = QString::fromStdString(label_.Caption);
    if (text() != caption) {
        setText(caption);
    }
    const QFont font = ShownFont(x());
    if (this->font() != font) {
        setFont(font);
    }
    setAutoFillBackground(!label_.Transparent && !label_.ParentColor);
    SetColours(*this, QPalette::Window, ToQColor(label_.Color), ToQColor(label_.Font.Color));
}

QFont LabelWidget::ShownFont(int left) const {
    constexpr int kNarrowest = 75;  // percent of the normal width
    QFont font = ToQFont(label_.Font);
    const int room = parentWidget() != nullptr ? parentWidget()->width() - left : 0;
    if (!label_.AutoSize || room <= 0) {
        return font;
    }
    const QString caption = QString::fromStdString(label_.Caption);
    for (int stretch = 100; stretch >= kNarrowest; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetrics(font).horizontalAdvance(caption) + 1 <= room) {
            break;
        }
    }
    return font;
}

QRect LabelWidget::Placed(const QRect& bounds) const {
    if (!label_.AutoSize) {
        return bounds;
    }
    const QFontMetrics metrics(ShownFont(bounds.left()));
    const QString caption = QString::fromStdString(label_.Caption);
    return QRect(bounds.topLeft(), QSize(std::max(bounds.width(), metrics.horizontalAdvance(caption) + 1),
                                         std::max(bounds.height(), metrics.height())));
}

ImageWidget::ImageWidget(vcl::TImage& image, QWidget* parent)
    : QLabel(parent), ControlBinding(image), image_(image) {
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void ImageWidget::Sync() {
    if (!isVisible() && !image_.Visible) {
        return;  // hidden images are not converted
    }
    if (!image_.Picture.Empty()) {
        setPixmap(QPixmap::fromImage(ToQImage(image_.Picture)));
        if (image_.AutoSize) {
            resize(image_.Picture.Width(), image_.Picture.Height());
        }
    }
}

// ---- edits ----

EditWidget::EditWidget(vcl::TCustomEdit& edit, QWidget* parent)
    : QLineEdit(parent), ControlBinding(edit), edit_(edit) {
    setFocusPolicy(Qt::ClickFocus);
    setFrame(true);
    connect(this, &QLineEdit::textEdited, this, &EditWidget::UserTypes);
}

QString EditWidget::ShownText() const {
    if (const auto* masked = dynamic_cast<const vcl::TMaskEdit*>(&edit_);
        masked && !masked->EditMask.empty()) {
        // The positions still to fill are left off the end, so that typing
        // appends as it does in an edit without a mask.
        QString shown = QString::fromStdString(masked->DisplayText());
        const auto parts = QString::fromStdString(masked->EditMask).split(';');
        const QChar blank = parts.size() >= 3 && !parts[2].isEmpty() ? parts[2][0] : QChar('_');
        while (!shown.isEmpty() && shown.back() == blank) {
            shown.chop(1);
        }
        return shown;
    }
    return QString::fromStdString(edit_.Text());
}

QColor EditWidget::TextColor() const {
    return ToQColor(edit_.Font.Color);
}

void EditWidget::Sync() {
    const QString shown = ShownText();
    if (text() != shown) {
        const int cursor = cursorPosition();
        setText(shown);
        setCursorPosition(std::min(cursor, static_cast<int>(shown.size())));
    }
    const int limit = edit_.MaxLength > 0 ? edit_.MaxLength : 32767;
    if (maxLength() != limit) {
        setMaxLength(limit);
    }
    setReadOnly(edit_.ReadOnly);
    const QFont font = ToQFont(edit_.Font);
    if (this->font() != font) {
        setFont(font);
    }
    SetColours(*this, QPalette::Base, ToQColor(edit_.Color), TextColor());
}

void EditWidget::UserTypes(const QString& text) {
    ActionSink& sink = ViewOf(this)->Sink();
    const std::string typed = text.toStdString();
    sink.Act([this, typed] {
        if (!edit_.Focused()) {
            edit_.SetFocus();
        }
        // A handler on the way may have kept the focus elsewhere; then the
        // typing does not reach this edit.
        if (edit_.Focused()) {
            edit_.TypeText(typed);
        }
    });
}

void EditWidget::UserFocuses() {
    ViewOf(this)->Sink().Act([this] { edit_.SetFocus(); });
}

bool EditWidget::event(QEvent* event) {
    // Tab belongs to the headless form: it decides where the focus goes.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QLineEdit::event(event);
}

void EditWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Insert:
            break;
        default:
            if (event->key() < Qt::Key_F1 || event->key() > Qt::Key_F12) {
                QLineEdit::keyPressEvent(event);  // editing: textEdited carries the new text
                return;
            }
    }
    if (const auto stroke = TranslateKey(*event)) {
        FormView* view = ViewOf(this);
        ForwardKey(view->Sink(), view->Form(), *stroke);
    }
    event->accept();
}

void EditWidget::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    FormView* view = ViewOf(this);
    if (event->reason() == Qt::MouseFocusReason && view != nullptr && !view->Syncing() && !edit_.Focused()) {
        UserFocuses();
    }
}

// ---- buttons ----

ButtonWidget::ButtonWidget(vcl::TSpeedButton& button, QWidget* parent)
    : QToolButton(parent), ControlBinding(button), button_(button) {
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(this, &QToolButton::clicked, this, &ButtonWidget::UserClicks);
}

void ButtonWidget::Sync() {
    if (button_.Glyph.Width() != glyphWidth_ || button_.Glyph.Height() != glyphHeight_) {
        glyphWidth_ = button_.Glyph.Width();
        glyphHeight_ = button_.Glyph.Height();
        setIcon(GlyphIcon(button_.Glyph, button_.NumGlyphs));
        setIconSize(QSize(glyphWidth_ / std::max(1, button_.NumGlyphs), glyphHeight_));
    }
    setAutoRaise(button_.Flat);
    QString caption = QString::fromStdString(button_.Caption);
    if (caption.isEmpty() && button_.Glyph.Empty()) {
        caption = QString::fromStdString(button_.Hint);  // a bare button still says what it does
    }
    setText(caption);
    setToolButtonStyle(button_.Glyph.Empty() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
    setFont(ToQFont(button_.Font));
    setToolTip(QString::fromStdString(button_.ShownHint()));
}

void ButtonWidget::UserClicks() {
    ViewOf(this)->Sink().Act([this] { button_.Click(); });
}

}  // namespace zrmqt
