#pragma once

#include <QWidget>

class QLabel;

// The white band that holds the tool images: reports mouse moves over itself (the hover
// shift's way back) and keeps its right-hand picture at the right edge.
class ToolBand : public QWidget
{
    Q_OBJECT
public:
    explicit ToolBand(QWidget *parent = nullptr);

    void setRightPicture(QWidget *picture) { m_right = picture; }

    // The maker's logo as the right-hand picture: a label named "Image2" that points at
    // `homePage` and reports its clicks to `clickFilter`'s event filter.
    QLabel *addLogo(const QString &homePage, QObject *clickFilter);

signals:
    void mouseMoved();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *m_right = nullptr;
};
