// DOS dates and times of archive headers: local times of the machine that wrote them.
#pragma once

#include "win32/win32.h"

#include <ctime>

// The moment a DOS date and time name when read as local time, as a FILETIME (UTC), so that it
// shows its own fields again wherever it is turned back into local time. False (and a zero time)
// for a date that names no day, such as 0.
BOOL DosDateTimeToMoment(WORD wDate, WORD wTime, FILETIME* moment);

// A time_t as the DOS date (high half) and time (low half) of the local time it names; 0 when DOS
// dates cannot hold it (before 1980 or after 2107).
DWORD DosDateTimeOf(time_t t);
