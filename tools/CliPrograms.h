#pragma once

// The commands that need heavy libraries live in programs of their own beside vellorn-cli,
// which stays a plain QCoreApplication and hands them over (CliHandOver), so that every
// other command starts without those libraries: the commands that draw (fonts, images, a
// paint engine: Qt Gui) run in vellorn-cli-draw, and send (Qt Network, TLS, the desktop's
// keyring) in vellorn-cli-send.
namespace CliPrograms {

inline constexpr char Draw[] = "vellorn-cli-draw";
inline constexpr char Send[] = "vellorn-cli-send";

struct Command
{
    const char *name;
    const char *usage;
    const char *program;
};

inline constexpr Command Render{
    "render", "render LETTER -o DIR [--config CONFIG]   letter to DIR/1.png or 1.jpg, 2..., as sent; prints the page count", Draw};
inline constexpr Command Picture{"picture",
                                 "picture MAILFILE -o OUT.eml [--config CONFIG]   stored mail text to the picture mail",
                                 Draw};
inline constexpr Command Rtf{"rtf", "rtf text|html|write FILE   the letter's plain text, its HTML, or our RTF of it", Draw};
inline constexpr Command SendMail{
    "send",
    "send FILE [--config Config.dat] --host HOST [--port N] [--security auto|tls|starttls|none]\n"
    "       [--user NAME] [--pass WORD | --pass - | --pass-file FILE] [--timeout S] [--ca-file PEM]\n"
    "       [--trust SHA256]...\n"
    "      deliver a mail by SMTP (auto: TLS on port 465, STARTTLS when offered). The password\n"
    "      comes from --pass WORD (every \"ps\" shows it: prefer the others), --pass - (a line\n"
    "      of standard input), --pass-file FILE (its first line), VELLORN_SMTP_PASS, or the\n"
    "      account of --config (its password in the desktop's keyring or the file; the host,\n"
    "      port, user and security too, unless given). --trust accepts the server\n"
    "      certificate of that SHA-256 fingerprint for this run.\n"
    "      --auth oauth2 logs in with an access token from --oauth-refresh-token-file and\n"
    "      --oauth-provider google|microsoft, or --oauth-token-url URL --oauth-client-id ID\n"
    "      [--oauth-client-secret S]; a new refresh token is written back to the file. With\n"
    "      --config and its OAuth2 login, the sign-in kept for the account is used.",
    Send};
inline constexpr Command OAuthLogin{
    "oauth-login",
    "oauth-login (--provider google|microsoft | --auth-url URL --token-url URL --scope S)\n"
    "       [--client-id ID] [--client-secret S] --refresh-token-file FILE [--timeout S]\n"
    "      sign in with the browser ($BROWSER, else xdg-open; the address is printed on\n"
    "      standard error) and write the refresh token to FILE (mode 0600). A preset's\n"
    "      client ID is the build's unless --client-id gives one.",
    Send};

inline constexpr Command Account{
    "account",
    "account discover ADDRESS [--database URL|--no-database] [--no-dns] [--ca-file FILE]\n"
    "      the SMTP settings of the address as Config.dat lines; where they came from on stderr\n"
    "       account test [--config Config.dat] [the options of send but FILE]\n"
    "      connect, EHLO, TLS, AUTH and QUIT without sending; exit 0 when every step passed",
    Send};

inline constexpr Command All[] = {Render, Picture, Rtf, SendMail, OAuthLogin, Account};

} // namespace CliPrograms
