#pragma once

// Hands a command over to the program beside this one that runs it (CliPrograms), with
// the original arguments byte for byte (file names need not be valid text).
class CliHandOver
{
public:
    static void keepArguments(int argc, char **argv);
    // Replaces this process with `program`; returns (with a message) only when that fails.
    static int run(const char *program);
};
