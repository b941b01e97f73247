#pragma once

#include "os/RandomSource.h"

#include <QRandomGenerator>

#include <optional>

// One generator for the whole run, seeded once, when first asked: the secure seed takes
// hundreds of the processor's slow random numbers, which a start need not wait for.
class SystemRandom : public RandomSource
{
public:
    int bounded(int bound) override
    {
        if (bound <= 0)
            return 0;
        if (!m_generator)
            m_generator = QRandomGenerator::securelySeeded();
        return int(m_generator->bounded(quint32(bound)));
    }

private:
    std::optional<QRandomGenerator> m_generator;
};
