// The composer's address rows (the AddressRows panel) in the window: its pick buttons'
// handlers, the fields widened with the window, and a changed recipient.
#include "composer/windows/TFM_Cmps.h"

#include <QPlainTextEdit>
#include <QToolButton>

void TFM_Cmps::buildAddressPanel()
{
    Panel3 = new AddressRows(centralWidget());
    SpeedButton1 = Panel3->pickTo();
    Sbt_CC = Panel3->pickCc();
    Sbt_Bcc = Panel3->pickBcc();
    Memo_To = Panel3->to();
    Memo_CC = Panel3->cc();
    Memo_BCC = Panel3->bcc();
    LB_Subject = Panel3->subjectLabel();
    Edt_Subject = Panel3->subject();
    Image1 = Panel3->picture();
    connect(SpeedButton1, &QToolButton::clicked, this, &TFM_Cmps::SpeedButton1Click);
    connect(Sbt_CC, &QToolButton::clicked, this, &TFM_Cmps::Sbt_CCClick);
    connect(Sbt_Bcc, &QToolButton::clicked, this, &TFM_Cmps::Sbt_CCClick);
}

void TFM_Cmps::FormResize()
{
    Panel3->fitWidth(width());
    arrangeFormatBar();
    SelectionChange();
}

// The rows fit themselves to the lines of the fields (AddressRows::fitRows).
void TFM_Cmps::Memo_ToChange() { setLetterChanged(true); }
