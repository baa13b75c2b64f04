#pragma once

#include <QString>

// The reason for a failed system call, told in Chinese: the text for an
// errno value, with the number itself for a reason without its own text.
QString systemErrorText(int errorNumber);
