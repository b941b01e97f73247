#include "composer/SendCheck.h"

#include "addressbook/AddressBook.h"
#include "composer/MailStorer.h"
#include "config/ConfigSettings.h"
#include "mail/TMailMessage.h"

#include <QStringList>

namespace {

using Verdict = SendCheck::Verdict;

Verdict refuse(SendCheck::Tone kind, const QString &text, SendCheck::Field field)
{
    Verdict v;
    v.step = Verdict::Step::Refuse;
    v.kind = kind;
    v.text = text;
    v.field = field;
    return v;
}

} // namespace

SendCheck::SendCheck(const MailStorer &storer, const ConfigSettings &settings)
    : m_storer(storer)
    , m_settings(settings)
{
}

SendCheck::Verdict SendCheck::check(Mode mode, bool sendRunning, const ComposedMail &mail,
                                    const TMailMessage &MSG) const
{
    using Kind = Tone;
    const bool letterEmpty = !mail.letter || MailStorer::letterEmpty(*mail.letter);
    // The two buttons make their first two checks in opposite orders.
    if (mode == Mode::Smtp) {
        if (sendRunning)
            return Verdict{Verdict::Step::Ignore, Kind::Error, {}, Field::None};
        if (letterEmpty)
            return refuse(Kind::Error, QStringLiteral("Do not send a empty mail!"), Field::Letter);
        if (m_settings.smtpAccountBlank())
            return refuse(Kind::Error, QString::fromLatin1(ConfigSettings::AccountBlankMessage), Field::None);
    } else {
        if (letterEmpty)
            return refuse(Kind::Error, QStringLiteral("Do not try to send a empty mail!"), Field::Letter);
        if (sendRunning)
            return Verdict{Verdict::Step::Ignore, Kind::Error, {}, Field::None};
    }

    Verdict v = checkRecipients(mail, MSG);
    if (v.step != Verdict::Step::Send)
        return v;
    if (AddressBook::trimmedText(mail.subject).isEmpty()) {
        v.step = Verdict::Step::AskSubject;
        v.kind = Kind::Question;
        v.text = QLatin1String(NoSubjectQuestion);
        v.field = Field::Subject;
    }
    return v;
}

SendCheck::Verdict SendCheck::checkRecipients(const ComposedMail &mail, const TMailMessage &MSG) const
{
    const struct
    {
        const QString &memo;
        const TMailRecipients &known;
        Field field;
    } kinds[] = {{mail.to, MSG.ToRecipients, Field::To},
                 {mail.cc, MSG.CcRecipients, Field::Cc},
                 {mail.bcc, MSG.BccRecipients, Field::Bcc}};

    bool anyRecipient = false;
    Field firstWrong = Field::None;
    QStringList wrong;
    for (const auto &kind : kinds) {
        const MailStorer::Recipients r = m_storer.resolveRecipients(kind.memo, kind.known);
        anyRecipient = anyRecipient || !r.names.isEmpty() || !r.errors.isEmpty();
        if (!r.errors.isEmpty() && firstWrong == Field::None)
            firstWrong = kind.field;
        wrong += r.errors;
    }
    if (!anyRecipient)
        return refuse(Tone::Warning, QLatin1String(NoRecipientMessage), Field::To);
    if (wrong.isEmpty())
        return {};
    const QString text = MailStorer::refusalText(wrong, QStringLiteral("sending"));
    return refuse(Tone::Warning, text, firstWrong);
}
