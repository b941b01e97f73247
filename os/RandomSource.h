#pragma once

// Random numbers, injected so that tests can fix them.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A number in 0 .. bound-1; 0 when bound is not positive.
    virtual int bounded(int bound) = 0;
};
