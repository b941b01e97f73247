#include "composer/windows/AddressRows.h"

#include "os/ProgramIcons.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// The buttons' column, the fields after it (window width - 178 wide) at the usual font; a
// larger font widens the column and heightens the rows.
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

AddressRows::AddressRows(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("Panel3"));
    auto button = [this](const char *name, const char *text) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setText(QLatin1String(text));
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        // Reached with Tab and by its Alt key as well as the mouse.
        b->setFocusPolicy(Qt::StrongFocus);
        return b;
    };
    m_pickTo = button("SpeedButton1", "Sen&d To:");
    m_pickCc = button("Sbt_CC", "&CC:         ");
    m_pickBcc = button("Sbt_Bcc", "&BCC:       ");
    m_pickTo->setAccessibleName(QStringLiteral("Pick To recipients"));
    m_pickCc->setAccessibleName(QStringLiteral("Pick CC recipients"));
    m_pickBcc->setAccessibleName(QStringLiteral("Pick BCC recipients"));

    auto memo = [this](const char *name) {
        auto *m = new QPlainTextEdit(this);
        m->setObjectName(QLatin1String(name));
        m->setTabChangesFocus(true);
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->document()->setDocumentMargin(2);
        return m;
    };
    m_to = memo("Memo_To");
    m_cc = memo("Memo_CC");
    m_bcc = memo("Memo_BCC");
    m_to->setAccessibleName(QStringLiteral("To"));
    m_cc->setAccessibleName(QStringLiteral("CC"));
    m_bcc->setAccessibleName(QStringLiteral("BCC"));

    m_subjectLabel = new QLabel(QStringLiteral("Subject:"), this);
    m_subjectLabel->setObjectName(QStringLiteral("LB_Subject"));
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("Edt_Subject"));
    m_subjectLabel->setBuddy(m_subject);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setFixedSize(84, 97);
    m_picture->setPixmap(pictureOf({ProgramIcons::Role::AboutPicture, ProgramIcons::Role::Logo}, QSize(80, 80),
                                   devicePixelRatioF()));
    placeRows();
    for (QPlainTextEdit *field : {m_to, m_cc, m_bcc})
        connect(field, &QPlainTextEdit::textChanged, this, &AddressRows::fitRows);
}

void AddressRows::placeRows()
{
    // The rows are as high as the font needs and the buttons' column as wide as its
    // widest caption (style sheets give their fonts at polishing).
    m_pickTo->ensurePolished();
    m_subject->ensurePolished();
    const QFontMetrics buttons = m_pickTo->fontMetrics();
    m_rowHeight = qMax(kRowHeight, qMax(buttons.height(), m_subject->fontMetrics().height()) + 8);
    int captions = 0;
    for (const QToolButton *b : {m_pickTo, m_pickCc, m_pickBcc})
        captions = qMax(captions, buttons.horizontalAdvance(b->text().remove(QLatin1Char('&')).trimmed()));
    m_fieldLeft = qMax(kFieldLeft, captions + 24);
    for (QToolButton *b : {m_pickTo, m_pickCc, m_pickBcc})
        b->setGeometry(6, 0, m_fieldLeft - 12, m_rowHeight);
    for (QWidget *field : std::initializer_list<QWidget *>{m_to, m_cc, m_bcc, m_subject})
        field->setGeometry(m_fieldLeft, 0, 400, m_rowHeight);
    m_subjectLabel->setGeometry(12, 0, m_fieldLeft - 14, m_rowHeight);
    fitRows();
}

void AddressRows::fitRows()
{
    // Each recipient field shows every line it holds, up to five, and pushes the rows
    // below it down. A field never shrinks back, so the panel does not jump while
    // addresses are edited.
    int top = kRowTop;
    const std::pair<QToolButton *, QPlainTextEdit *> rows[] = {{m_pickTo, m_to}, {m_pickCc, m_cc}, {m_pickBcc, m_bcc}};
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
    m_subjectLabel->move(m_subjectLabel->x(), top);
    m_subject->move(m_subject->x(), top);
    top += m_rowHeight + kRowGap;
    setFixedHeight(std::max(top, m_picture->height() + 2 * kRowTop + 2));
    m_picture->move(m_picture->x(), (height() - m_picture->height()) / 2);
}

void AddressRows::fitWidth(int windowWidth)
{
    const int fieldWidth = qMax(40, windowWidth - m_fieldLeft - kPictureRoom);
    for (QWidget *field : std::initializer_list<QWidget *>{m_to, m_cc, m_bcc, m_subject})
        field->resize(fieldWidth, field->height());
    m_picture->move(m_fieldLeft + fieldWidth + 8, (height() - m_picture->height()) / 2);
}
