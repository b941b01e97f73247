#pragma once

#include <QString>
#include <cstdint>

// A mail with one very large attachment (a sparse file, so that nothing but the program
// reads its bytes) stored, selected for the preview and sent through SMTP to a server
// that keeps nothing, in this process, as the windows do it: storing runs on a worker
// thread behind a progress dialog; the preview reads the text part only; the send job
// runs on the window's thread, serving the event loop. Then the mail is opened for
// changes (its attachment copied out of the store, as Modify does) and handed to the
// desktop's mail program as an .eml file. A 5 ms timer on the event loop
// measures how long it ever waited. The test checks the memory and that the loop
// answered; the benchmark prints every figure.
class BigMailRun
{
public:
    struct Figures
    {
        bool ok = false;
        QString error;
        qint64 idleKb = 0;         // VmRSS before the mail is made
        qint64 storePeakKb = 0;    // VmHWM after each step (the peak is reset between steps)
        qint64 selectPeakKb = 0;
        qint64 sendPeakKb = 0;
        qint64 modifyPeakKb = 0;   // opening it for changes: its attachment copied out
        qint64 handOverPeakKb = 0; // writing the .eml for the desktop's mail program
        qint64 storeMs = 0, selectMs = 0, sendMs = 0, modifyMs = 0, handOverMs = 0;
        qint64 storeGapMs = 0, selectGapMs = 0, sendGapMs = 0; // longest wait of the event loop
        int storeTicks = 0, sendTicks = 0; // timer events served during the step
        qint64 recordBytes = 0;     // the stored mail text
        qint64 sentBytes = 0;       // bytes the server received after DATA
        qint64 copiedBytes = 0;     // the attachment's copy made for changing the mail
        qint64 handOverBytes = 0;   // the .eml file
        QString attachmentName;     // as the preview lists it
    };

    // `folder`: where the store and the file go; `megabytes`: the attachment's size.
    static Figures run(const QString &folder, qint64 megabytes);

    // A field of /proc/self/status in KB ("VmHWM", "VmRSS"); -1 when unknown.
    static qint64 statusKb(const char *field);
};
