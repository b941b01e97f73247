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
    // A whole number beyond the box's range was typed and completed (Enter or Tab); the
    // box shows the size it showed before, and no size was applied.
    void outOfRange(const QString &typed);

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    // A number beyond the range may be typed (it is refused when complete, with a reason)
    // rather than lose its last digit unseen: "200" would become "20".
    QValidator::State validate(QString &input, int &pos) const override;

private:
    // The typed whole number when it lies beyond the range (and is no blank).
    bool typedOutOfRange(QString *typed = nullptr) const;
    int firstSize() const { return m_firstSize ? m_firstSize() : 0; }

    std::function<int()> m_firstSize;
};
