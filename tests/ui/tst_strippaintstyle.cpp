#include "ui/StripPaintStyle.h"

#include <QApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <QtTest>

#include <functional>
#include <memory>

// Drawn in pieces, tool bars and header sections are the very pixels the base
// style draws at once: at whole and fractional device pixel ratios, under a partial repaint's
// clip, on pictures with and without alpha, and off the origin as a widget inside a window is.
class TestStripPaintStyle : public QObject
{
    Q_OBJECT

private:
    using Draw = std::function<void(const QStyle &, QPainter &)>;

    // The picture drawn by `style` on a window-sized, window-coloured image. A `clip` (when not
    // empty, in device-independent pixels) limits the painting as a partial repaint of a
    // window does.
    static QImage drawn(const QStyle &style, const Draw &draw, qreal ratio, const QRect &clip,
                        QImage::Format format)
    {
        QImage image(QSize(760, 420) * ratio, format);
        image.setDevicePixelRatio(ratio);
        image.fill(QColor(239, 239, 239));
        if (!clip.isEmpty())
            image.paintEngine()->setSystemClip(QRegion(QTransform::fromScale(ratio, ratio).mapRect(clip)));
        QPainter painter(&image);
        painter.translate(7, 5);
        draw(style, painter);
        return image;
    }

    void compareAll(const Draw &draw)
    {
        for (const qreal ratio : {1.0, 2.0, 1.25})
            for (const QRect &clip : {QRect(), QRect(40, 30, 333, 141)})
                for (const QImage::Format format : {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32}) {
                    const QImage expected = drawn(*m_plain, draw, ratio, clip, format);
                    QVERIFY2(drawn(*m_striped, draw, ratio, clip, format) == expected,
                             qPrintable(QStringLiteral("ratio %1, clip %2, format %3")
                                            .arg(ratio)
                                            .arg(clip.isEmpty() ? "none" : "partial")
                                            .arg(int(format))));
                }
    }

    std::unique_ptr<QStyle> m_plain;
    std::unique_ptr<QStyle> m_striped;

private slots:
    void initTestCase()
    {
        m_plain.reset(QStyleFactory::create(QStringLiteral("Fusion")));
        m_striped = std::make_unique<StripPaintStyle>(QStyleFactory::create(QStringLiteral("Fusion")));
    }

    void toolBarsAreTheBaseStyles()
    {
        using Line = QStyleOptionToolBar::ToolBarPosition;
        for (const Line line : {Line::Beginning, Line::Middle, Line::End, Line::OnlyOne})
            for (const Qt::ToolBarArea area : {Qt::TopToolBarArea, Qt::BottomToolBarArea, Qt::LeftToolBarArea}) {
                compareAll([&](const QStyle &style, QPainter &painter) {
                    QStyleOptionToolBar option;
                    const bool across = area != Qt::LeftToolBarArea;
                    option.rect = across ? QRect(0, 3, 700, 66) : QRect(2, 0, 27, 400);
                    option.state = QStyle::State_Enabled | (across ? QStyle::State_Horizontal : QStyle::State_None);
                    option.toolBarArea = area;
                    option.positionOfLine = line;
                    style.drawControl(QStyle::CE_ToolBar, &option, &painter);
                });
            }
    }

    void headerSectionsAreTheBaseStyles()
    {
        using Position = QStyleOptionHeader::SectionPosition;
        // Widths that leave the last piece one, two, three pixels, or a whole one.
        for (const int width : {321, 86, 87, 88, 89, 173, 175, 700})
            for (const Position position : {Position::Beginning, Position::Middle, Position::End})
                for (const bool pressed : {false, true})
                    compareAll([&](const QStyle &style, QPainter &painter) {
                        QStyleOptionHeader option;
                        option.rect = QRect(3, 0, width, 22);
                        option.state = QStyle::State_Enabled | QStyle::State_Horizontal
                            | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
                        option.position = position;
                        option.text = QStringLiteral("Subject");
                        style.drawControl(QStyle::CE_Header, &option, &painter);
                    });
    }

    void aTurnedPainterIsLeftToTheBaseStyle()
    {
        compareAll([&](const QStyle &style, QPainter &painter) {
            painter.translate(300, 0);
            painter.rotate(30);
            QStyleOptionToolBar option;
            option.rect = QRect(0, 0, 500, 30);
            option.state = QStyle::State_Enabled | QStyle::State_Horizontal;
            style.drawControl(QStyle::CE_ToolBar, &option, &painter);
        });
    }
};

QTEST_MAIN(TestStripPaintStyle)
#include "tst_strippaintstyle.moc"
