#pragma once

#include <QGroupBox>

class NumberBox;
class QCheckBox;
class QFontComboBox;

// The picture page's group for how the letter reads on a phone and to every reader: sharp
// pictures, "JPEG only", the letter's text below the pictures, and the font new letters
// start in. The dialog binds each box to its key like its other boxes.
class LetterLookBoxes : public QGroupBox
{
    Q_OBJECT

public:
    explicit LetterLookBoxes(QWidget *parent = nullptr);

    QCheckBox *CB_Sharp = nullptr;
    QCheckBox *CB_JpegOnly = nullptr;
    QCheckBox *CB_TextBelow = nullptr;
    // An empty name stands for the desktop's sans-serif face.
    QFontComboBox *CBX_LetterFont = nullptr;
    NumberBox *Edt_LetterFontSize = nullptr;
};
