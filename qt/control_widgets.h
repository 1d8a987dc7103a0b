// Widgets for the simple headless controls: containers, labels, images,
// edits and flat buttons.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include "qt/form_view.h"
#include "vcl/controls.h"

namespace zrmqt {

// Panels, group boxes, splitters and any other container: background,
// bevels, frame and caption, painted as the platform draws them.
class ContainerWidget : public QWidget, public ControlBinding {
    Q_OBJECT
public:
    ContainerWidget(vcl::TControl& control, QWidget* parent);
    QWidget* Widget() override { return this; }
    void Sync() override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class LabelWidget : public QLabel, public ControlBinding {
    Q_OBJECT
public:
    LabelWidget(vcl::TLabel& label, QWidget* parent);
    QWidget* Widget() override { return this; }
    void Sync() override;
    // An auto-sized label is as large as its caption in the font it shows.
    QRect Placed(const QRect& bounds) const override;

private:
    // The label's font; for an auto-sized caption that would run past its
    // parent's edge (the form was laid out for a narrower font than this
    // platform has), narrowed as little as it takes, within limits.
    QFont ShownFont(int left) const;

    vcl::TLabel& label_;
};

class ImageWidget : public QLabel, public ControlBinding {
    Q_OBJECT
public:
    ImageWidget(vcl::TImage& image, QWidget* parent);
    QWidget* Widget() override { return this; }
    void Sync() override;

private:
    vcl::TImage& image_;
};

// A text edit: the user's typing goes to the headless edit as the whole new
// text (TypeText); the edit's text, colours and limits come back from it.
class EditWidget : public QLineEdit, public ControlBinding {
    Q_OBJECT
public:
    EditWidget(vcl::TCustomEdit& edit, QWidget* parent);
    QWidget* Widget() override { return this; }
    void Sync() override;
    vcl::TCustomEdit& Edit() const { return edit_; }

    // What the user's typing does: focus the edit (exit and enter events run),
    // then, when the focus got there, give it the whole new text.
    void UserTypes(const QString& text);
    // A click into the edit: the focus moves there through the form.
    void UserFocuses();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // The text as the headless edit shows it.
    virtual QString ShownText() const;
    virtual QColor TextColor() const;

private:
    vcl::TCustomEdit& edit_;
};

// Flat speed buttons (search buttons, confirm, cancel): never take the focus;
// a click runs the button's Click through the dispatcher.
class ButtonWidget : public QToolButton, public ControlBinding {
    Q_OBJECT
public:
    ButtonWidget(vcl::TSpeedButton& button, QWidget* parent);
    QWidget* Widget() override { return this; }
    void Sync() override;
    void UserClicks();

private:
    vcl::TSpeedButton& button_;
    int glyphWidth_ = -1, glyphHeight_ = -1;
};

}  // namespace zrmqt
