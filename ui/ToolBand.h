#pragma once

#include <QIcon>
#include <QList>
#include <QSize>
#include <QWidget>

class QLabel;
class ToolCaptionLabel;
class ToolImage;

// The white band that holds the tool images: reports mouse moves over itself (the hover
// shift's way back) and keeps its right-hand picture at the right edge where it clears
// the images and their captions (ToolBandFit); at narrow widths the picture gives way.
// The band also keeps its window at least as wide as its images, so that the tool bar
// it lies in never folds them away.
//
// The band also owns the hover effect of its images: the image under the mouse moves
// kShift pixels right and down, and moves back when the mouse reaches the band or the
// caption line, or when the image is clicked. Each window's band keeps its own state, so
// one window's band never moves another window's images.
class ToolBand : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kShift = 2;

    // One picture button of the band.
    struct ImageSpec
    {
        const char *name; // object name
        QIcon icon;
        QSize size;
        int left;        // its place on the band
        int hoverNumber; // 1 to 7, the number the hover state names it by
        QString hint;    // tool tip, may be empty
    };

    explicit ToolBand(QWidget *parent = nullptr);

    // Puts the images at `top`, in the order given, and the caption line (one word per
    // image, centred under it) below them. Returns the images in the same order.
    QList<ToolImage *> addImages(const QList<ImageSpec> &specs, const QString &captions, int top);
    ToolCaptionLabel *captions() const { return m_captions; }

    // The hover number of the image last shifted by the mouse, 0 for none.
    int hoveredImage() const { return m_hovered; }
    // Moves every shifted image back (the mouse is over the band or its captions).
    void restoreImages();

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
    void imageHovered(ToolImage *image);

    QWidget *m_right = nullptr;
    QList<ToolImage *> m_images;
    ToolCaptionLabel *m_captions = nullptr;
    int m_hovered = 0;
};
