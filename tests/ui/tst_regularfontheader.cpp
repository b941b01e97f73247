#include "ui/RegularFontHeader.h"

#include <QApplication>
#include <QPixmap>
#include <QStandardItemModel>
#include <QtTest>

// Measured in its own font, the header is as tall as Qt's bold-measured one, never wider,
// and still takes the sizes, fonts and pictures its model gives.
class TestRegularFontHeader : public QObject
{
    Q_OBJECT

private slots:
    void measuresAsQtsHeaderDoesButInItsOwnFont()
    {
        QStandardItemModel model(0, 4);
        model.setHorizontalHeaderLabels({QStringLiteral("Subject"), QStringLiteral("From"), QString(), QStringLiteral("Date")});
        QPixmap marker(16, 16);
        marker.fill(Qt::red);
        model.setHeaderData(2, Qt::Horizontal, marker, Qt::DecorationRole);
        QFont large = QApplication::font();
        large.setPointSize(large.pointSize() + 6);
        model.setHeaderData(3, Qt::Horizontal, large, Qt::FontRole);

        QHeaderView qt(Qt::Horizontal);
        RegularFontHeader ours(Qt::Horizontal);
        for (QHeaderView *header : {&qt, static_cast<QHeaderView *>(&ours)}) {
            header->setModel(&model);
            header->setSortIndicatorShown(true);
        }
        QCOMPARE(ours.sizeHint().height(), qt.sizeHint().height());
        for (int section = 0; section < model.columnCount(); ++section) {
            ours.resizeSection(section, 0);
            ours.setSectionResizeMode(section, QHeaderView::ResizeToContents);
            qt.setSectionResizeMode(section, QHeaderView::ResizeToContents);
        }
        for (int section = 0; section < model.columnCount(); ++section) {
            QVERIFY(ours.sectionSize(section) > 0);
            QVERIFY(ours.sectionSize(section) <= qt.sectionSize(section));
        }
        // The large font of the last section is what makes the header as tall as it is.
        const int withLargeFont = ours.sizeHint().height();
        model.setHeaderData(3, Qt::Horizontal, QVariant(), Qt::FontRole);
        QVERIFY(ours.sizeHint().height() < withLargeFont);
        model.setHeaderData(1, Qt::Horizontal, QSize(77, 41), Qt::SizeHintRole);
        QCOMPARE(ours.sizeHint().height(), 41);
    }
};

QTEST_MAIN(TestRegularFontHeader)
#include "tst_regularfontheader.moc"
