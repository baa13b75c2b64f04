#pragma once

#include <QString>

// A file of the library folder that could not be taken in as a code.
struct SkippedFile {
    QString fileName;
    QString reason;
};
