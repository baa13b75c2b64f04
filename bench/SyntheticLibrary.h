#pragma once

#include <QString>

// Writes `count` code files with realistic fields into `folder`, always the
// same ones for the same count (fixed seed). Returns false on a write error.
bool writeSyntheticLibrary(const QString &folder, int count);
