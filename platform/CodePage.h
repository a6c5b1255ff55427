#pragma once
// The one seam for conversions between wide strings and the narrow system code
// page. On Windows it is the ANSI code page of the system; elsewhere a fixed
// Windows-1252 table. A character the code page cannot hold becomes '?'.
#include "platform/WideString.h"

NarrowString WideToNarrow(const WideString& text);
WideString NarrowToWide(const NarrowString& text);
