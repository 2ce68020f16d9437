// Times of received bytes: one number per instant, so that the receive formatter stays a function
// of values, and the stamp it writes in front of a line or packet.
#pragma once

#include <windows.h>

#include <string>

// Milliseconds from 1601-01-01 to the given local time: differences are durations (across
// midnight too), and the time of day is the number modulo one day.
ULONGLONG LocalMilliseconds(const SYSTEMTIME& localTime);

// Appends "[HH:MM:SS.mmm] " for the time of day of nLocalMilliseconds.
void AppendTimestamp(std::wstring& text, ULONGLONG nLocalMilliseconds);
