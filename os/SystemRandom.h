#pragma once

#include "os/RandomSource.h"

#include <QRandomGenerator>

// One generator for the whole run, seeded once when the program starts.
class SystemRandom : public RandomSource
{
public:
    SystemRandom() : m_generator(QRandomGenerator::securelySeeded()) {}
    int bounded(int bound) override { return bound > 0 ? int(m_generator.bounded(quint32(bound))) : 0; }

private:
    QRandomGenerator m_generator;
};
