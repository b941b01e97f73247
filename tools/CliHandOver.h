#pragma once

// Hands a drawing command over to vellorn-cli-draw beside this program, with the
// original arguments byte for byte (file names need not be valid text).
class CliHandOver
{
public:
    static void keepArguments(int argc, char **argv);
    // Replaces this process; returns (with a message) only when that fails.
    static int run();
};
