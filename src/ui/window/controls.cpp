#include "controls.h"

#include "core/numbers.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>

namespace calvorigne {

int tw(int twips)
{
    return int(std::lround(twips / 15.0));
}

QRect twips(int left, int top, int width, int height)
{
    return QRect(tw(left), tw(top), tw(width), tw(height));
}

ValueLabel::ValueLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setAlignment(Qt::AlignCenter);
}

void ValueLabel::setCaption(const QString& caption)
{
    if (caption == text())
        return;
    setText(caption);
    emit changed();
}

void ValueLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

UpDown::UpDown(ValueLabel* buddy, int minimum, int maximum, int increment, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_minimum(minimum), m_maximum(maximum),
      m_increment(increment), m_value(minimum)
{
    setFocusPolicy(Qt::StrongFocus);
    m_repeat.setInterval(60);
    connect(&m_repeat, &QTimer::timeout, this, [this] {
        m_repeat.setInterval(60);
        if (m_pressed)
            step(m_pressed);
    });
}

void UpDown::step(int direction)
{
    // Step from what the label shows, so the control follows captions written by others.
    const double shown = std::clamp(readNumber(m_buddy->caption()), double(m_minimum), double(m_maximum));
    const qint64 current = std::llround(shown);
    const qint64 next = std::clamp<qint64>(current + qint64(direction) * m_increment, m_minimum, m_maximum);
    if (next == current)
        return;
    m_value = int(next);
    m_buddy->setCaption(QString::number(m_value));
}

int UpDown::arrowAt(QPoint position) const
{
    if (!rect().contains(position))
        return 0;
    return position.y() < height() / 2 ? 1 : -1;
}

void UpDown::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressed = arrowAt(event->position().toPoint());
    update();
    if (m_pressed) {
        step(m_pressed);
        m_repeat.start(400); // holding an arrow repeats after a short pause
    }
}

void UpDown::mouseReleaseEvent(QMouseEvent* event)
{
    QWidget::mouseReleaseEvent(event);
    m_pressed = 0;
    m_repeat.stop();
    update();
}

void UpDown::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up)
        step(1);
    else if (event->key() == Qt::Key_Down)
        step(-1);
    else
        QWidget::keyPressEvent(event);
}

void UpDown::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    const int half = height() / 2;
    const QRect arrows[2] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
    for (int k = 0; k < 2; ++k) {
        QStyleOptionButton option;
        option.initFrom(this);
        option.rect = arrows[k];
        const int direction = k == 0 ? 1 : -1;
        option.state |= m_pressed == direction ? QStyle::State_Sunken : QStyle::State_Raised;
        option.state &= ~QStyle::State_HasFocus;
        painter.drawPrimitive(QStyle::PE_PanelButtonBevel, option);
        option.rect = arrows[k].adjusted(2, 1, -2, -1);
        painter.drawPrimitive(k == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, option);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

Swatch::Swatch(int index, const QColor& colour, const QString& name, QWidget* parent)
    : QWidget(parent), m_index(index)
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, colour);
    setPalette(palette);
    setAccessibleName(name);
}

void Swatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(hasFocus() ? palette().color(QPalette::Highlight) : QColor(128, 128, 128));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void Swatch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked(m_index);
}

void Swatch::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return)
        emit clicked(m_index);
    else
        QWidget::keyPressEvent(event);
}

GuideLine::GuideLine(const QString& name, Qt::PenStyle style, QObject* parent)
    : QObject(parent), m_style(style)
{
    setObjectName(name);
}

void GuideLine::setEnds(float x1, float y1, float x2, float y2)
{
    m_x1 = x1;
    m_y1 = y1;
    m_x2 = x2;
    m_y2 = y2;
    emit moved();
}

void GuideLine::set(float& end, float value)
{
    end = value;
    emit moved();
}

void WrappingButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);
    const QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap, palette(), isEnabled(), caption,
                         QPalette::ButtonText);
}

} // namespace calvorigne
