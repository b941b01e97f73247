#include "picture/windows/TFM_Preview.h"

#include "os/AppError.h"
#include "picture/PagePicture.h"
#include "picture/PicturePdf.h"
#include "product/AppInfo.h"
#include "ui/UserDialogs.h"
#include "ui/WindowServices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <climits>

namespace {

QToolButton *button(QWidget *parent, const char *name, const QString &text, const char *icon)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setIcon(QIcon::fromTheme(QLatin1String(icon)));
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TFM_Preview *TFM_Preview::showBeside(WindowServices &services, std::function<PicturePreview::Input()> source,
                                     QWidget *owner, bool print)
{
    auto *preview = new TFM_Preview(services, std::move(source), owner);
    preview->setWindowFlag(Qt::Window);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->show();
    if (print)
        preview->printWhenReady();
    return preview;
}

TFM_Preview::TFM_Preview(WindowServices &services, std::function<PicturePreview::Input()> source, QWidget *parent)
    : QDialog(parent)
    , m_services(services)
    , m_source(std::move(source))
{
    setObjectName(QStringLiteral("TFM_Preview"));
    setWindowTitle(QStringLiteral("Preview Pictures"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setSizeGripEnabled(true);
    resize(720, 760);

    auto *column = new QVBoxLayout(this);
    auto *bar = new QHBoxLayout;
    column->addLayout(bar);
    BT_Refresh = button(this, "BT_Refresh", QStringLiteral("&Refresh"), "view-refresh");
    BT_Prev = button(this, "BT_Prev", QStringLiteral("&Previous"), "go-previous");
    BT_Next = button(this, "BT_Next", QStringLiteral("&Next"), "go-next");
    LB_Page = new QLabel(this);
    LB_Page->setObjectName(QStringLiteral("LB_Page"));
    CHK_AllPages = new QCheckBox(QStringLiteral("&All pages"), this);
    CHK_AllPages->setObjectName(QStringLiteral("CHK_AllPages"));
    CBX_Zoom = new QComboBox(this);
    CBX_Zoom->setObjectName(QStringLiteral("CBX_Zoom"));
    CBX_Zoom->addItems({QStringLiteral("Fit"), QStringLiteral("100 %")});
    CBX_Zoom->setAccessibleName(QStringLiteral("Zoom"));
    BT_SavePictures = button(this, "BT_SavePictures", QStringLiteral("Save &Pictures..."), "document-save");
    BT_SavePdf = button(this, "BT_SavePdf", QStringLiteral("Save as P&DF..."), "document-save-as");
    BT_Print = button(this, "BT_Print", QStringLiteral("Pr&int..."), "document-print");
    for (QWidget *w : {static_cast<QWidget *>(BT_Refresh), static_cast<QWidget *>(BT_Prev),
                       static_cast<QWidget *>(LB_Page), static_cast<QWidget *>(BT_Next),
                       static_cast<QWidget *>(CHK_AllPages), static_cast<QWidget *>(CBX_Zoom)})
        bar->addWidget(w);
    bar->addStretch(1);
    for (QWidget *w : {BT_SavePictures, BT_SavePdf, BT_Print})
        bar->addWidget(w);

    SCR_Pages = new QScrollArea(this);
    SCR_Pages->setObjectName(QStringLiteral("SCR_Pages"));
    SCR_Pages->setAccessibleName(QStringLiteral("Pages"));
    SCR_Pages->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    SCR_Pages->setBackgroundRole(QPalette::Dark);
    m_pagesWidget = new QWidget;
    m_pagesLayout = new QVBoxLayout(m_pagesWidget);
    m_pagesLayout->setSpacing(12);
    SCR_Pages->setWidget(m_pagesWidget);
    SCR_Pages->setWidgetResizable(true);
    column->addWidget(SCR_Pages, 1);

    LB_Info = new QLabel(this);
    LB_Info->setObjectName(QStringLiteral("LB_Info"));
    LB_Info->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(LB_Info);

    connect(BT_Refresh, &QToolButton::clicked, this, &TFM_Preview::BT_RefreshClick);
    connect(BT_Prev, &QToolButton::clicked, this, &TFM_Preview::BT_PrevClick);
    connect(BT_Next, &QToolButton::clicked, this, &TFM_Preview::BT_NextClick);
    connect(BT_SavePictures, &QToolButton::clicked, this, &TFM_Preview::BT_SavePicturesClick);
    connect(BT_SavePdf, &QToolButton::clicked, this, &TFM_Preview::BT_SavePdfClick);
    connect(BT_Print, &QToolButton::clicked, this, &TFM_Preview::BT_PrintClick);
    connect(CHK_AllPages, &QCheckBox::toggled, this, &TFM_Preview::showPages);
    connect(CBX_Zoom, &QComboBox::currentIndexChanged, this, &TFM_Preview::showPages);
    connect(&m_run, &PreviewRun::pageReady, this, &TFM_Preview::pageReady);
    connect(&m_run, &PreviewRun::finished, this, &TFM_Preview::finished);

    askPrinter = [this](QPrinter &printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    BT_RefreshClick();
}

TFM_Preview::~TFM_Preview() = default;

void TFM_Preview::waitForPages()
{
    m_run.wait();
}

void TFM_Preview::printWhenReady()
{
    m_printWhenReady = true;
    if (!m_run.running())
        finished(m_result);
}

void TFM_Preview::BT_RefreshClick()
{
    const PicturePreview::Input input = m_source();
    m_subject = input.subject;
    m_result = {};
    m_images.clear();
    m_page = 0;
    LB_Info->setText(QStringLiteral("Making the pictures..."));
    showPages();
    // A copy of the settings: the configuration dialog may change them meanwhile.
    m_run.start(m_services.settings, input);
}

void TFM_Preview::pageReady(int page, const QByteArray &picture)
{
    m_images.push_back(PagePicture::decode(picture));
    LB_Info->setText(QStringLiteral("Making the pictures... page %1").arg(page));
    if (CHK_AllPages->isChecked() || int(m_images.size()) == m_page + 1)
        showPages();
    else
        updateControls();
}

void TFM_Preview::finished(const PicturePreview::Result &result)
{
    m_result = result;
    LB_Info->setText(result.error.isEmpty() ? PicturePreview::summary(result) : result.error);
    updateControls();
    if (m_printWhenReady && !result.pages.empty()) {
        m_printWhenReady = false;
        BT_PrintClick();
    }
}

void TFM_Preview::showPages()
{
    while (QLayoutItem *item = m_pagesLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    const bool fit = CBX_Zoom->currentIndex() == 0;
    const QSize room = SCR_Pages->viewport()->size() - QSize(24, 24);
    const int first = CHK_AllPages->isChecked() ? 0 : m_page;
    const int last = CHK_AllPages->isChecked() ? int(m_images.size()) - 1 : std::min(m_page, int(m_images.size()) - 1);
    for (int i = first; i <= last; ++i) {
        QImage shown = m_images[std::size_t(i)];
        if (fit) {
            // All pages scroll: fitted to the width; one page: to the whole view. A sharp
            // page is measured at its page size and keeps its pixels for a sharp screen.
            const QSize box = CHK_AllPages->isChecked() ? QSize(room.width(), INT_MAX / 2) : room;
            const QSize size = shown.deviceIndependentSize().toSize();
            if (size.width() > box.width() || size.height() > box.height()) {
                const qreal ratio = shown.devicePixelRatio();
                shown = shown.scaled(size.scaled(box, Qt::KeepAspectRatio) * ratio, Qt::KeepAspectRatio,
                                     Qt::SmoothTransformation);
                shown.setDevicePixelRatio(ratio);
            }
        }
        auto *label = new QLabel(m_pagesWidget);
        label->setObjectName(QStringLiteral("Page%1").arg(i + 1));
        label->setAccessibleName(QStringLiteral("Picture of page %1 of %2").arg(i + 1).arg(m_images.size()));
        label->setPixmap(QPixmap::fromImage(shown));
        label->setAlignment(Qt::AlignHCenter);
        m_pagesLayout->addWidget(label, 0, Qt::AlignHCenter);
    }
    m_pagesLayout->addStretch(1);
    SCR_Pages->verticalScrollBar()->setValue(0);
    updateControls();
}

void TFM_Preview::updateControls()
{
    const int count = int(m_images.size());
    const bool done = !m_run.running();
    LB_Page->setText(count == 0 ? QStringLiteral("No pages yet")
                                : QStringLiteral("Page %1 of %2%3")
                                      .arg(m_page + 1)
                                      .arg(count)
                                      .arg(done ? QString() : QStringLiteral("+")));
    BT_Prev->setEnabled(!CHK_AllPages->isChecked() && m_page > 0);
    BT_Next->setEnabled(!CHK_AllPages->isChecked() && m_page + 1 < count);
    const bool ready = done && !m_result.pages.empty();
    BT_SavePictures->setEnabled(ready);
    BT_SavePdf->setEnabled(ready);
    BT_Print->setEnabled(ready);
}

void TFM_Preview::BT_PrevClick()
{
    if (m_page > 0) {
        --m_page;
        showPages();
    }
}

void TFM_Preview::BT_NextClick()
{
    if (m_page + 1 < int(m_images.size())) {
        ++m_page;
        showPages();
    }
}

void TFM_Preview::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (CBX_Zoom->currentIndex() == 0 && !m_images.empty())
        showPages();
}

void TFM_Preview::showError(const QString &text)
{
    const UserDialogs::Asker asker(m_services.dialogs, this);
    m_services.dialogs.messageBox(UserDialogs::Kind::Error, QString::fromLatin1(AppInfo::ApplicationTitle), text);
}

QString TFM_Preview::askSaveName(const QString &caption, const QString &filter, const QString &name)
{
    const UserDialogs::Asker asker(m_services.dialogs, this);
    return m_services.dialogs.saveFileName(caption, filter, name, QFileInfo(name).suffix());
}

void TFM_Preview::BT_SavePicturesClick()
{
    const UserDialogs::Asker asker(m_services.dialogs, this);
    // The pictures go into the folder of the first one's name.
    const QString first = askSaveName(QStringLiteral("Save Pictures"), QStringLiteral("Pictures|*.png;*.jpg"),
                                      PicturePdf::pageFileName(m_result.pages, 0));
    if (first.isEmpty())
        return;
    const QString folder = QFileInfo(first).absolutePath();
    const QStringList existing = PicturePdf::existingNames(folder, m_result.pages);
    if (!existing.isEmpty()
        && m_services.dialogs.messageBox(UserDialogs::Kind::Confirmation,
                                         QString::fromLatin1(AppInfo::ApplicationTitle),
                                         QStringLiteral("Replace %1 in %2?")
                                             .arg(existing.join(QStringLiteral(", ")), QDir::toNativeSeparators(folder)),
                                         UserDialogs::Buttons::YesNo)
               != UserDialogs::Answer::Yes)
        return;
    try {
        PicturePdf::savePictures(folder, m_result.pages);
    } catch (const AppError &e) {
        showError(QString::fromUtf8(e.what()));
    }
}

void TFM_Preview::BT_SavePdfClick()
{
    const QString path = askSaveName(QStringLiteral("Save as PDF"), QStringLiteral("PDF documents|*.pdf"),
                                     QStringLiteral("letter.pdf"));
    if (path.isEmpty())
        return;
    try {
        PicturePdf::savePdf(path, m_result.pages, m_result.pageLines, m_subject);
    } catch (const AppError &e) {
        showError(QString::fromUtf8(e.what()));
    }
}

void TFM_Preview::BT_PrintClick()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(m_subject.isEmpty() ? QStringLiteral("Letter") : m_subject);
    printer.setFromTo(0, 0);
    if (!askPrinter(printer))
        return;
    QPainter painter;
    if (!painter.begin(&printer)) {
        showError(QStringLiteral("The printer could not be started."));
        return;
    }
    for (std::size_t i = 0; i < m_images.size(); ++i) {
        if (i > 0)
            printer.newPage();
        const QRect paper = painter.viewport();
        painter.setWindow(paper);
        painter.drawImage(PicturePdf::fittedRect(m_images[i].size(), paper), m_images[i]);
    }
    painter.end();
}
