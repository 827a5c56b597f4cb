// The window's own kinds of controls: value labels with a change notification, the up-down
// control bound to its label, colour swatches, guide lines, and a push button whose caption
// wraps onto two lines.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <cstdint>

namespace calvorigne {

// Twips (1/1440 inch) to device-independent pixels, 15 to one.
int tw(int twips);
QRect twips(int left, int top, int width, int height);

// A label that holds a value as its caption and raises changed() synchronously, and only
// when the caption text actually changes.
class ValueLabel : public QLabel {
    Q_OBJECT
public:
    ValueLabel(const QString& caption, QWidget* parent);
    void setCaption(const QString& caption);
    QString caption() const { return text(); }

signals:
    void changed();
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

// An up arrow over a down arrow that steps the number shown in its buddy label.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(ValueLabel* buddy, int minimum, int maximum, int increment, QWidget* parent);

    int value() const { return m_value; }
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int increment() const { return m_increment; }
    ValueLabel* buddy() const { return m_buddy; }

    // One click on the up (+1) or down (-1) arrow.
    void step(int direction);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int arrowAt(QPoint position) const;

    ValueLabel* m_buddy;
    int m_minimum, m_maximum, m_increment, m_value;
    int m_pressed = 0; // the arrow held down: +1, -1 or 0
    QTimer m_repeat;
};

// A colour swatch; a click (or Space when it has the focus) picks its colour.
class Swatch : public QWidget {
    Q_OBJECT
public:
    Swatch(int index, const QColor& colour, const QString& name, QWidget* parent);
    int index() const { return m_index; }

signals:
    void clicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_index;
};

// A line drawn on the window, its ends in twips of the window, single precision.
class GuideLine : public QObject {
    Q_OBJECT
    Q_PROPERTY(float X1 READ x1 WRITE setX1)
    Q_PROPERTY(float Y1 READ y1 WRITE setY1)
    Q_PROPERTY(float X2 READ x2 WRITE setX2)
    Q_PROPERTY(float Y2 READ y2 WRITE setY2)
public:
    GuideLine(const QString& name, Qt::PenStyle style, QObject* parent);

    float x1() const { return m_x1; }
    float y1() const { return m_y1; }
    float x2() const { return m_x2; }
    float y2() const { return m_y2; }
    void setX1(float v) { set(m_x1, v); }
    void setY1(float v) { set(m_y1, v); }
    void setX2(float v) { set(m_x2, v); }
    void setY2(float v) { set(m_y2, v); }
    void setEnds(float x1, float y1, float x2, float y2);
    Qt::PenStyle style() const { return m_style; }

signals:
    void moved();

private:
    void set(float& end, float value);

    float m_x1 = 0, m_y1 = 0, m_x2 = 0, m_y2 = 0;
    Qt::PenStyle m_style;
};

// A push button whose caption wraps when it is wider than the button.
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace calvorigne
