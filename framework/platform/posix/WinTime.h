// POSIX substitute: declarations of this area's Win32 functions, constants and records.
#pragma once
#include "WinBase.h"
