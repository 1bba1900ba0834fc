#include "randsequence.h"

#include <cstdlib>

QVector<int> restartRandSequence(int n)
{
    std::srand(1);
    QVector<int> values;
    for (int i = 0; i < n; ++i)
        values << std::rand();
    std::srand(1);
    return values;
}
