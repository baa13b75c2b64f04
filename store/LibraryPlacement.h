#pragma once

#include <QString>
#include <functional>

// Creates the library folder `target` in one step: `fill` writes the codes
// into a new folder beside it, which then takes the place of `target`, so
// that no half-filled library is ever seen. Does nothing when `target`
// exists already.
bool placeLibraryFolder(const QString &target,
    const std::function<bool(const QString &folder, QString *error)> &fill, QString *error);

// Fills a missing library folder `target` with copies of the files in the
// folder `samples`; does nothing when either folder exists or is missing,
// respectively.
bool placeSampleLibrary(const QString &samples, const QString &target, QString *error);
