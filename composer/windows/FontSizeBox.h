#pragma once

#include <QSpinBox>
#include <functional>

// The format bar's size box. A typed size takes effect when it is complete: on Enter, Tab
// or when the box loses the focus (valueChanged comes then), and the focus stays in the
// box while the person types. The arrows (buttons, keys and wheel) step from the size at
// the caret even while the box is blank for a selection of mixed sizes (FontSizeStep).
class FontSizeBox : public QSpinBox
{
    Q_OBJECT
public:
    explicit FontSizeBox(QWidget *parent = nullptr);

    // Tells the box the size of the first selected character (or the caret's).
    void setFirstSize(std::function<int()> firstSize) { m_firstSize = std::move(firstSize); }

    void stepBy(int steps) override;

signals:
    // Enter was pressed (after the typed size took effect).
    void entered();

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    int firstSize() const { return m_firstSize ? m_firstSize() : 0; }

    std::function<int()> m_firstSize;
};
