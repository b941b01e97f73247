#pragma once

// The byte of a MailBox.dat record that says which box holds the mail. The values are the
// bytes the file keeps; a record may hold any other byte (then it is in no box), so code
// that reads the file keeps the raw byte and asks BoxTable which box it names.
enum class BoxCode : char {
    Unsent = 'u',
    Sent = 's',
    Trash = 't',
    Deleted = 'D', // in no box; the purge at exit cuts the record out
};
