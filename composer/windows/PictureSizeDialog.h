#pragma once

#include <QDialog>
#include <QSize>

class QCheckBox;
class QSpinBox;

// "Picture Size...": a picture's size as a percentage of its own, or as width and height
// in pixels, the other side following while "Keep aspect ratio" is on.
class PictureSizeDialog : public QDialog
{
    Q_OBJECT
public:
    // natural: the picture's own size; shown: the size the letter shows it at.
    PictureSizeDialog(const QSize &natural, const QSize &shown, QWidget *parent = nullptr);

    QSize chosenSize() const;

    QSpinBox *percentBox() const { return m_percent; }
    QSpinBox *widthBox() const { return m_width; }
    QSpinBox *heightBox() const { return m_height; }
    QCheckBox *keepAspectBox() const { return m_keep; }

private:
    void fill(const QSize &size, bool percentToo);

    QSize m_natural;
    QSpinBox *m_percent;
    QSpinBox *m_width;
    QSpinBox *m_height;
    QCheckBox *m_keep;
    bool m_filling = false;
};
