#pragma once

#include <QVector>

// The controller draws the rand value of its URLs from rand() and never seeds it. Until srand is called the C
// library draws as if seeded with 1, so this reseeds with 1, returns the first n values and reseeds again: from
// here on the k-th value the controller draws is the k-th of these, which also tells in which order requests
// were sent when the network delivers them in another.
QVector<int> restartRandSequence(int n);
