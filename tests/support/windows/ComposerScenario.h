#pragma once

// What a person does in a composer before sending, and what a receiving mail program then
// reads (Python's email package). For tests that link the composer window.
#include "composer/windows/ComposerEditor.h"
#include "composer/windows/TFM_Cmps.h"
#include "tests/support/FakeDialogs.h"
#include "tests/support/TestFiles.h"

#include <QApplication>
#include <QClipboard>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

namespace ComposerScenario {

// To: a name of the address book ("Bob Smith" for bob@example.com) and a typed address; the
// subject; a letter with bold text and a pasted table; "programme.pdf" (written into
// `folder` with `bytes`) attached.
inline void writeMail(TFM_Cmps &w, FakeDialogs &dialogs, const QString &subject, const QString &folder,
                      const QByteArray &bytes)
{
    const QString file = folder + QStringLiteral("/programme.pdf");
    w.Memo_To->setPlainText(QStringLiteral("Bob Smith\ncarol@example.org"));
    w.Edt_Subject->setText(subject);
    w.Editor->setFocus();
    QTest::keyClicks(w.Editor, QStringLiteral("Dear all, "));
    w.BoldButton->click();
    QTest::keyClicks(w.Editor, QStringLiteral("see the table"));
    auto *table = new QMimeData;
    table->setHtml(QStringLiteral("<table border=1><tr><td>Day</td><td>Hall</td></tr>"
                                  "<tr><td>Saturday</td><td>St. Mary</td></tr></table>"));
    QApplication::clipboard()->setMimeData(table);
    w.Editor->paste();
    TestFiles::write(file, bytes);
    dialogs.fileNames.enqueue(file);
    w.triggerCommand(QStringLiteral("InsertAttachment1"));
}

// The received mail as JSON: from and reply ([name, address]), to and cc (lists of them),
// subject, the number of pictures, the attachments ([file name, sha256]), the defects
// Python found; an "error" key when Python failed.
inline QJsonObject describe(const QByteArray &mail, const QString &folder)
{
    static const char *const script = R"(
import email, email.policy, email.utils, hashlib, json, sys
m = email.message_from_bytes(open(sys.argv[1], "rb").read(), policy=email.policy.compat32)
out = {"from": email.utils.parseaddr(m.get("From", "")), "reply": email.utils.parseaddr(m.get("Reply-To", "")),
       "to": email.utils.getaddresses(m.get_all("To", [])), "cc": email.utils.getaddresses(m.get_all("Cc", [])),
       "subject": m.get("Subject", ""), "pictures": 0, "attachments": [],
       "defects": sum(len(p.defects) for p in m.walk())}
for p in m.walk():
    if p.is_multipart():
        continue
    body = p.get_payload(decode=True) or b""
    if p.get_content_type() in ("image/jpeg", "image/png") and p.get("Content-ID"):
        out["pictures"] += 1
    elif (p.get("Content-Disposition") or "").lower().startswith("attachment"):
        out["attachments"].append([p.get_filename(), hashlib.sha256(body).hexdigest()])
json.dump(out, sys.stdout)
)";
    const QString path = folder + QStringLiteral("/received.eml");
    TestFiles::write(path, mail);
    QByteArray out, err;
    if (TestFiles::runPython(QString::fromLatin1(script), {path}, &out, &err) != 0)
        return {{QStringLiteral("error"), QString::fromLocal8Bit(err)}};
    return QJsonDocument::fromJson(out).object();
}

inline QJsonArray pair(const char *name, const char *address)
{
    return {QLatin1String(name), QLatin1String(address)};
}

// The mail of writeMail as received, sent with the account of WindowFixture::configureAccount
// and the reply address "Ann Replies" <reply@example.com>.
inline void checkReceived(const QJsonObject &m, const QString &subject, const QByteArray &bytes)
{
    QVERIFY2(!m.contains(QStringLiteral("error")), qPrintable(m.value(QStringLiteral("error")).toString()));
    QCOMPARE(m.value(QStringLiteral("defects")).toInt(), 0);
    QCOMPARE(m.value(QStringLiteral("from")).toArray(), pair("Ann Sender", "ann@example.com"));
    QCOMPARE(m.value(QStringLiteral("reply")).toArray(), pair("Ann Replies", "reply@example.com"));
    const QJsonArray to{pair("Bob Smith", "bob@example.com"), pair("", "carol@example.org")};
    QCOMPARE(m.value(QStringLiteral("to")).toArray(), to);
    QCOMPARE(m.value(QStringLiteral("subject")).toString(), subject);
    QVERIFY(m.value(QStringLiteral("pictures")).toInt() >= 1);
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
    const QJsonArray attachments{QJsonArray{QStringLiteral("programme.pdf"), sha}};
    QCOMPARE(m.value(QStringLiteral("attachments")).toArray(), attachments);
}

} // namespace ComposerScenario
