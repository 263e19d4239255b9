#pragma once

#include <QToolButton>

// A push button in the graphical style: an optional picture above a caption
// that wraps onto several lines when it is wider than the button, as long
// captions do in narrow buttons.
class CaptionButton : public QToolButton {
public:
    explicit CaptionButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
