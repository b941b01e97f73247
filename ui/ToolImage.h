#pragma once

#include <QLabel>

// One of the composer's tool images: a picture that works as a button and shifts when
// the mouse is over it. Tag is 1 while the image is shifted.
class ToolImage : public QLabel
{
    Q_OBJECT
public:
    ToolImage(int hoverNumber, const QIcon &icon, const QSize &size, QWidget *parent);

    int hoverNumber() const { return m_hoverNumber; }
    int Tag = 0;

signals:
    void clicked();
    void hovered();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int m_hoverNumber;
    bool m_pressed = false;
};
