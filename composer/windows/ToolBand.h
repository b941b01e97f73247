#pragma once

#include <QWidget>

class QLabel;

// The white band that holds the tool images: reports mouse moves over itself (the hover
// shift's way back) and keeps its right-hand picture at the right edge where it clears
// the images and their captions (ToolBandFit); at narrow widths the picture gives way.
// The band also keeps its window at least as wide as its images, so that the tool bar
// it lies in never folds them away.
class ToolBand : public QWidget
{
    Q_OBJECT
public:
    explicit ToolBand(QWidget *parent = nullptr);

    void setRightPicture(QWidget *picture) { m_right = picture; }

    // The maker's logo as the right-hand picture: a label named "Image2" that points at
    // `homePage` and reports its clicks to `clickFilter`'s event filter.
    QLabel *addLogo(const QString &homePage, QObject *clickFilter);

    // Where the images and captions end (the right-hand picture aside).
    int contentRight() const;
    // The least width of the band's window: the band's own and what its tool bar adds.
    int windowMinimumWidth() const;
    // Raises the window's minimum width to windowMinimumWidth() where it is lower.
    void holdWindowWidth();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void mouseMoved();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void placeRightPicture();

    QWidget *m_right = nullptr;
};
