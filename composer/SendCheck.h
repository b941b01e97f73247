#pragma once

#include "send/SendMode.h"

#include <QString>

class MailStorer;
class TMailMessage;
struct ComposedMail;
struct ConfigSettings;

// What Send and Ms OE check before anything is stored or connected, in the order they
// check it: a send already running, an empty letter, the SMTP account (Send only), a mail
// without any recipient, recipients that are no addresses, and last
// a missing subject, which is a question, not a refusal.
class SendCheck
{
public:
    using Mode = SendMode; // Send and Ms OE
    // The control the person is sent back to.
    enum class Field { None, Letter, To, Cc, Bcc, Subject };

    // How the window shows the text: an error box, a warning box, or a question.
    enum class Tone { Error, Warning, Question };

    struct Verdict
    {
        enum class Step {
            Send,       // all is well
            Ignore,     // a send is running: nothing happens
            Refuse,     // show the text and stop
            AskSubject  // ask the text; only Yes sends
        } step = Step::Send;
        Tone kind = Tone::Error;
        QString text;
        Field field = Field::None;
    };

    // The mail's recipients are resolved as storing would resolve them (the stored mail's
    // own pairs, then the address book).
    SendCheck(const MailStorer &storer, const ConfigSettings &settings);

    Verdict check(Mode mode, bool sendRunning, const ComposedMail &mail, const TMailMessage &MSG) const;

    static constexpr const char *NoRecipientMessage = "Please enter at least one recipient.";
    static constexpr const char *NoSubjectQuestion = "Send this mail without a subject?";

private:
    Verdict checkRecipients(const ComposedMail &mail, const TMailMessage &MSG) const;

    const MailStorer &m_storer;
    const ConfigSettings &m_settings;
};
