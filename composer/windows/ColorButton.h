#pragma once

#include <QColor>
#include <QToolButton>

class QMenu;

// A format-bar button for a colour: a click applies the colour it shows (the last one
// chosen), its arrow drops down the sixteen standard colours, the automatic choice and
// "More Colours..." (the colour dialog). Choosing applies at once and becomes the
// button's colour. An invalid colour stands for the automatic choice.
class ColorButton : public QToolButton
{
    Q_OBJECT
public:
    // iconName: a freedesktop icon, drawn above a bar of the button's colour.
    ColorButton(const QString &iconName, const QString &automaticCaption, const QColor &initial,
                QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);
    QMenu *colorMenu() const { return m_menu; }
    // The colour dialog, from the button's colour; a colour chosen there is chosen.
    void chooseMore();

signals:
    void colorChosen(const QColor &color);

private:
    void choose(const QColor &color);
    void updateIcon();

    QString m_iconName;
    QColor m_color;
    QMenu *m_menu = nullptr;
};
