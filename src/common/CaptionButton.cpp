#include "CaptionButton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

CaptionButton::CaptionButton(QWidget* parent)
    : QToolButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setIconSize(QSize(32, 32));
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The frame and the focus come from the style; picture and caption are
    // laid out here so that the caption can wrap.
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const int margin = 4;
    QRect area = rect().adjusted(margin, margin, -margin, -margin);
    const bool down = isDown() || isChecked();
    if (down) {
        area.translate(1, 1);
    }
    const QFontMetrics metrics = fontMetrics();
    const QRect textBounds = metrics.boundingRect(area, Qt::AlignCenter | Qt::TextWordWrap, text());
    if (!icon().isNull()) {
        const int gap = 6;
        const int total = iconSize().height() + gap + textBounds.height();
        const int top = area.top() + (area.height() - total) / 2;
        const QRect iconRect(area.left() + (area.width() - iconSize().width()) / 2, top, iconSize().width(),
                             iconSize().height());
        icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
        area.setTop(iconRect.bottom() + gap);
        area.setHeight(textBounds.height());
    }
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), text(),
                         QPalette::ButtonText);
}
