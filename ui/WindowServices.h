#pragma once

class Clock;
class HelpLauncher;
class RandomSource;
class Shell;
class UserDialogs;
class WindowOpener;
struct ConfigSettings;
struct DataPaths;
struct LinkAddresses;

// The services every window and window core gets by constructor. app/main.cpp builds the
// real bundle once; tests build one from fakes (tests/support/WindowFixture).
struct WindowServices
{
    UserDialogs &dialogs;
    Shell &shell;
    Clock &clock;
    RandomSource &random;
    ConfigSettings &settings;
    const DataPaths &paths;
    HelpLauncher &help;
    const LinkAddresses &links;
    WindowOpener &opener;
};
