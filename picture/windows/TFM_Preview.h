#pragma once

#include "picture/PicturePreview.h"
#include "picture/PreviewRun.h"

#include <QDialog>
#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QToolButton;
class QVBoxLayout;
struct WindowServices;

// Shows the pages of a letter as the send job will make them (PicturePreview, rendered
// off the GUI thread by PreviewRun): one page or all pages, at 100 % or fitted to the
// window, with the page count and the sizes. The pages can be saved as pictures or a
// PDF, and printed. The window never changes the letter; Refresh takes it again.
class TFM_Preview : public QDialog
{
    Q_OBJECT
public:
    // `source` gives the letter as it is now (called on the GUI thread at each refresh).
    TFM_Preview(WindowServices &services, std::function<PicturePreview::Input()> source, QWidget *parent = nullptr);
    ~TFM_Preview() override;

    // A preview in its own window beside `owner`, deleted when closed or with the owner.
    static TFM_Preview *showBeside(WindowServices &services, std::function<PicturePreview::Input()> source,
                                   QWidget *owner, bool print);

    QToolButton *BT_Refresh = nullptr;
    QToolButton *BT_Prev = nullptr;
    QToolButton *BT_Next = nullptr;
    QLabel *LB_Page = nullptr;
    QCheckBox *CHK_AllPages = nullptr;
    QComboBox *CBX_Zoom = nullptr; // "Fit", "100 %"
    QToolButton *BT_SavePictures = nullptr;
    QToolButton *BT_SavePdf = nullptr;
    QToolButton *BT_Print = nullptr;
    QLabel *LB_Info = nullptr;
    QScrollArea *SCR_Pages = nullptr;

    // How Print asks for the printer (the print dialog unless a test sets it); false:
    // cancelled.
    std::function<bool(QPrinter &printer)> askPrinter;

    const PicturePreview::Result &result() const { return m_result; }
    bool rendering() const { return m_run.running(); }
    int currentPage() const { return m_page; }
    // Waits until the pages are made (tests, vellorn-shots).
    void waitForPages();
    // Print as soon as the pages are made (the composer's Print command).
    void printWhenReady();

public slots:
    void BT_RefreshClick();
    void BT_PrevClick();
    void BT_NextClick();
    void BT_SavePicturesClick();
    void BT_SavePdfClick();
    void BT_PrintClick();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void pageReady(int page, const QByteArray &picture);
    void finished(const PicturePreview::Result &result);
    void showPages();
    void updateControls();
    void showError(const QString &text);
    // The save dialog for `name` (its extension the default one); empty: cancelled.
    QString askSaveName(const QString &caption, const QString &filter, const QString &name);

    WindowServices &m_services;
    std::function<PicturePreview::Input()> m_source;
    PreviewRun m_run;
    PicturePreview::Result m_result;
    std::vector<QImage> m_images;
    int m_page = 0; // from 0
    QString m_subject;
    bool m_printWhenReady = false;
    QWidget *m_pagesWidget = nullptr;
    QVBoxLayout *m_pagesLayout = nullptr;
};
