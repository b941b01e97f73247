#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// Walks the help pages as the help window would: every link and every picture must lead
// to a file of the help folder (and to an anchor that exists there), every page must have
// a title, and every page must be reachable from the contents page.
class TestHelpPages : public QObject
{
    Q_OBJECT

    struct Page
    {
        QString title;
        QSet<QString> anchors;
        QStringList links;    // href values
        QStringList pictures; // img src values
    };

    QDir m_folder{QStringLiteral(VELLORN_HELP_DIR)};
    QMap<QString, Page> m_pages;

    static QStringList attributeValues(const QString &html, const QString &pattern)
    {
        QStringList values;
        const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
        for (auto it = re.globalMatch(html); it.hasNext();)
            values << it.next().captured(1);
        return values;
    }

    static bool isExternal(const QString &link)
    {
        return link.startsWith(QLatin1String("http://")) || link.startsWith(QLatin1String("https://"))
               || link.startsWith(QLatin1String("mailto:"));
    }

private slots:
    void initTestCase()
    {
        const QStringList files = m_folder.entryList({QStringLiteral("*.htm"), QStringLiteral("*.html")}, QDir::Files);
        QVERIFY(!files.isEmpty());
        for (const QString &name : files) {
            QFile file(m_folder.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            Page page;
            const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"), QRegularExpression::CaseInsensitiveOption);
            page.title = title.match(html).captured(1).trimmed();
            const QStringList ids = attributeValues(html, QStringLiteral("\\s(?:id|name)\\s*=\\s*\"([^\"]*)\""));
            page.anchors = QSet<QString>(ids.begin(), ids.end());
            page.links = attributeValues(html, QStringLiteral("\\shref\\s*=\\s*\"([^\"]*)\""));
            page.pictures = attributeValues(html, QStringLiteral("<img\\s[^>]*src\\s*=\\s*\"([^\"]*)\""));
            m_pages.insert(name, page);
        }
    }

    // The pages the windows open by name.
    void pagesTheProgramOpensExist()
    {
        for (const char *name : {"Vellorn.htm", "Manual_compose_head.htm", "Manual_option_picset.htm",
                                 "Manual_option_smtp.htm", "Manual_option_myinfo.htm"})
            QVERIFY2(m_pages.contains(QString::fromLatin1(name)), name);
    }

    void everyPageHasATitle()
    {
        for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it)
            QVERIFY2(!it->title.isEmpty(), qPrintable(it.key()));
    }

    void linksAndPicturesResolve()
    {
        QStringList broken;
        for (auto it = m_pages.cbegin(); it != m_pages.cend(); ++it) {
            for (const QString &link : it->links) {
                if (isExternal(link))
                    continue;
                const QString file = link.section(QLatin1Char('#'), 0, 0);
                const QString anchor = link.section(QLatin1Char('#'), 1);
                const QString target = file.isEmpty() ? it.key() : file;
                // Everything stays inside the help folder.
                const bool inside = !target.contains(QLatin1String("..")) && !QDir::isAbsolutePath(target);
                if (!inside || !QFileInfo(m_folder.filePath(target)).isFile()) {
                    broken << it.key() + QStringLiteral(": ") + link;
                    continue;
                }
                if (!anchor.isEmpty() && !m_pages.value(target).anchors.contains(anchor))
                    broken << it.key() + QStringLiteral(": no anchor ") + link;
            }
            for (const QString &picture : it->pictures)
                if (picture.contains(QLatin1String("..")) || !QFileInfo(m_folder.filePath(picture)).isFile())
                    broken << it.key() + QStringLiteral(": picture ") + picture;
        }
        QVERIFY2(broken.isEmpty(), qPrintable(broken.join(QLatin1Char('\n'))));
    }

    void everyPageIsReachableFromTheContents()
    {
        QSet<QString> reached{QStringLiteral("Vellorn.htm")};
        QStringList queue{QStringLiteral("Vellorn.htm")};
        while (!queue.isEmpty()) {
            const Page page = m_pages.value(queue.takeFirst());
            for (const QString &link : page.links) {
                const QString file = link.section(QLatin1Char('#'), 0, 0);
                if (m_pages.contains(file) && !reached.contains(file)) {
                    reached.insert(file);
                    queue << file;
                }
            }
        }
        QStringList unreached;
        for (const QString &name : m_pages.keys())
            if (!reached.contains(name))
                unreached << name;
        QVERIFY2(unreached.isEmpty(), qPrintable(unreached.join(QLatin1String(", "))));
    }
};

QTEST_GUILESS_MAIN(TestHelpPages)
#include "tst_help_pages.moc"
