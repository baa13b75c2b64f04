#pragma once

class frmMain;

// A search of every code that finds nothing, as the search window runs
// it (the engine over the tree's files, on the reader threads), in ms.
double searchWithoutMatch(frmMain *window);

// The search window while a query is typed one key every 80 ms and its
// searches run: the longest gap between two turns of the event loop, and
// the heap held for results afterwards.
struct TypingMeasure {
    double longestStallMs = 0;
    int rows = 0; // rows of the last, many-matching search
    double bytesPerRow = 0; // heap held for those rows
    long bytesAfterNoMatch = 0; // heap held after a search that found nothing
};
TypingMeasure typeIntoSearchWindow(frmMain *window);
