// What the format bar's boxes say to a name or size they cannot take: a font name that
// is not installed, a size beyond the range. Each is told, the box shows the letter's
// format again and the person goes on writing in the letter.
#include "composer/windows/TFM_Cmps.h"

#include "composer/FontSizeStep.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FontSizeBox.h"

#include <QComboBox>
#include <QLineEdit>

void TFM_Cmps::buildFormatChecks()
{
    // Enter in the name box: a name of the list is taken by the box itself (activated).
    connect(FontName->lineEdit(), &QLineEdit::returnPressed, this, &TFM_Cmps::FontNameEntered);
    connect(FontSize, &FontSizeBox::outOfRange, this, &TFM_Cmps::FontSizeOutOfRange);
}

void TFM_Cmps::FontNameEntered()
{
    const QString typed = FontName->currentText().trimmed();
    if (!typed.isEmpty() && FontName->findText(typed, Qt::MatchFixedString) >= 0)
        return;
    // The letter's own font (which the list may lack, as a substituted one) is no error.
    if (!typed.isEmpty() && typed != m_state.fontName)
        ask(UserDialogs::Kind::Warning,
            QStringLiteral("There is no font named \"%1\" on this computer.\r\nChoose a font from the list.").arg(typed));
    SelectionChange(); // the box shows the letter's font again
    Editor->setFocus();
}

void TFM_Cmps::FontSizeOutOfRange(const QString &typed)
{
    ask(UserDialogs::Kind::Warning, QStringLiteral("The font size %1 is out of range: a size is from %2 to %3 points.")
                                        .arg(typed)
                                        .arg(FontSizeStep::kSmallest)
                                        .arg(FontSizeStep::kLargest));
    SelectionChange();
    Editor->setFocus();
}
