#pragma once

#include <QString>

// What reading a library costs at the least, to measure against.
// The floor: list with readdir, then open, read 4692 bytes and close each file.
void readFloor(const QString &folder);
// The parallel floor: the same listing, then the same reads on 32 threads.
void readFloorParallel(const QString &folder);
