// The address rows of the composer: the pick buttons, the To, CC and BCC fields and the
// subject, placed in their column, grown with their lines and widened with the window.
#include "composer/windows/TFM_Cmps.h"

#include "composer/AttachSizeCheck.h"
#include "composer/ComposerTitle.h"
#include "composer/LetterContent.h"
#include "composer/LetterPageCount.h"
#include "composer/RecoveryKeeper.h"
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/FontSizeBox.h"
#include "config/ConfigSettings.h"
#include "os/ProgramIcons.h"
#include "product/AppInfo.h"
#include "product/LinkAddresses.h"
#include "text/StoredText.h"
#include "ui/ToolBand.h"
#include "ui/ToolCaptionLabel.h"
#include "ui/ToolImage.h"
#include "ui/UserDialogs.h"
#include "ui/WindowCommandTable.h"
#include "ui/WindowServices.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// Address panel: the buttons' column, the fields after it (window width - 178 wide) at the
// usual font; a larger font widens the column and heightens the rows.
constexpr int kFieldLeft = 78;
constexpr int kPictureRoom = 100; // right of the fields: the picture
constexpr int kRowTop = 5;
constexpr int kRowHeight = 23;
constexpr int kRowGap = 3;
// A recipient field grows to show this many lines; beyond them it scrolls.
constexpr int kMostShownLines = 5;

QPixmap pictureOf(std::initializer_list<ProgramIcons::Role> roles, const QSize &size, qreal ratio)
{
    for (ProgramIcons::Role role : roles) {
        const QIcon icon = ProgramIcons::icon(role);
        if (!icon.isNull())
            return icon.pixmap(size, ratio);
    }
    return {};
}

} // namespace

void TFM_Cmps::buildAddressPanel()
{
    Panel3 = new QWidget(centralWidget());
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto button = [this](const char *name, const char *text) {
        auto *b = new QToolButton(Panel3);
        b->setObjectName(QLatin1String(name));
        b->setText(QLatin1String(text));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        // Reached with Tab and by its Alt key as well as the mouse.
        b->setFocusPolicy(Qt::StrongFocus);
        return b;
    };
    SpeedButton1 = button("SpeedButton1", "Sen&d To:");
    Sbt_CC = button("Sbt_CC", "&CC:         ");
    Sbt_Bcc = button("Sbt_Bcc", "&BCC:       ");
    SpeedButton1->setAccessibleName(QStringLiteral("Pick To recipients"));
    Sbt_CC->setAccessibleName(QStringLiteral("Pick CC recipients"));
    Sbt_Bcc->setAccessibleName(QStringLiteral("Pick BCC recipients"));
    connect(SpeedButton1, &QToolButton::clicked, this, &TFM_Cmps::SpeedButton1Click);
    connect(Sbt_CC, &QToolButton::clicked, this, &TFM_Cmps::Sbt_CCClick);
    connect(Sbt_Bcc, &QToolButton::clicked, this, &TFM_Cmps::Sbt_CCClick);

    auto memo = [this](const char *name) {
        auto *m = new QPlainTextEdit(Panel3);
        m->setObjectName(QLatin1String(name));
        m->setTabChangesFocus(true);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->document()->setDocumentMargin(2);
        return m;
    };
    Memo_To = memo("Memo_To");
    Memo_CC = memo("Memo_CC");
    Memo_BCC = memo("Memo_BCC");
    Memo_To->setAccessibleName(QStringLiteral("To"));
    Memo_CC->setAccessibleName(QStringLiteral("CC"));
    Memo_BCC->setAccessibleName(QStringLiteral("BCC"));

    LB_Subject = new QLabel(QStringLiteral("Subject:"), Panel3);
    LB_Subject->setObjectName(QStringLiteral("LB_Subject"));
    Edt_Subject = new QLineEdit(Panel3);
    Edt_Subject->setObjectName(QStringLiteral("Edt_Subject"));
    LB_Subject->setBuddy(Edt_Subject);

    Image1 = new QLabel(Panel3);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setFixedSize(84, 97);
    Image1->setPixmap(pictureOf({ProgramIcons::Role::AboutPicture, ProgramIcons::Role::Logo}, QSize(80, 80),
                                devicePixelRatioF()));
    placeAddressRows();
}

void TFM_Cmps::placeAddressRows()
{
    // The rows are as high as the font needs and the buttons' column as wide as its
    // widest caption (style sheets give their fonts at polishing).
    SpeedButton1->ensurePolished();
    Edt_Subject->ensurePolished();
    const QFontMetrics buttons = SpeedButton1->fontMetrics();
    m_rowHeight = qMax(kRowHeight, qMax(buttons.height(), Edt_Subject->fontMetrics().height()) + 8);
    int captions = 0;
    for (const QToolButton *b : {SpeedButton1, Sbt_CC, Sbt_Bcc})
        captions = qMax(captions, buttons.horizontalAdvance(b->text().remove(QLatin1Char('&')).trimmed()));
    m_fieldLeft = qMax(kFieldLeft, captions + 24);
    for (QToolButton *b : {SpeedButton1, Sbt_CC, Sbt_Bcc})
        b->setGeometry(6, 0, m_fieldLeft - 12, m_rowHeight);
    for (QWidget *field : std::initializer_list<QWidget *>{Memo_To, Memo_CC, Memo_BCC, Edt_Subject})
        field->setGeometry(m_fieldLeft, 0, 400, m_rowHeight);
    LB_Subject->setGeometry(12, 0, m_fieldLeft - 14, m_rowHeight);
    fitAddressRows();
}

void TFM_Cmps::fitAddressRows()
{
    // Each recipient field shows every line it holds, up to five, and pushes the rows
    // below it down. A field never shrinks back, so the panel does not jump while
    // addresses are edited.
    int top = kRowTop;
    const std::pair<QToolButton *, QPlainTextEdit *> rows[] = {{SpeedButton1, Memo_To}, {Sbt_CC, Memo_CC},
                                                               {Sbt_Bcc, Memo_BCC}};
    for (const auto &[button, memo] : rows) {
        const int lines = std::clamp(memo->document()->blockCount(), 1, kMostShownLines);
        // The lines, the document's margins and the frame, and a pixel of rounding.
        const int chrome = 2 * memo->frameWidth() + 2 * int(std::ceil(memo->document()->documentMargin())) + 1;
        const int wanted = std::max(m_rowHeight, lines * memo->fontMetrics().lineSpacing() + chrome);
        const int height = std::max(memo->height(), wanted);
        memo->setGeometry(memo->x(), top, memo->width(), height);
        button->move(button->x(), top);
        top += height + kRowGap;
    }
    LB_Subject->move(LB_Subject->x(), top);
    Edt_Subject->move(Edt_Subject->x(), top);
    top += m_rowHeight + kRowGap;
    Panel3->setFixedHeight(std::max(top, Image1->height() + 2 * kRowTop + 2));
    Image1->move(Image1->x(), (Panel3->height() - Image1->height()) / 2);
}

void TFM_Cmps::FormResize()
{
    const int fieldWidth = qMax(40, width() - m_fieldLeft - kPictureRoom);
    for (QWidget *field : {static_cast<QWidget *>(Memo_To), static_cast<QWidget *>(Memo_CC),
                           static_cast<QWidget *>(Memo_BCC), static_cast<QWidget *>(Edt_Subject)})
        field->resize(fieldWidth, field->height());
    Image1->move(m_fieldLeft + fieldWidth + 8, (Panel3->height() - Image1->height()) / 2);
    arrangeFormatBar();
    SelectionChange();
}

void TFM_Cmps::Memo_ToChange()
{
    setLetterChanged(true);
    fitAddressRows();
}
