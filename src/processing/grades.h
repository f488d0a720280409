// The grades of a meet, as the meet layer reads them (meet/grades.h), under
// the names the processing commands use.
#pragma once

#include "meet/grades.h"

namespace korvane::processing {

using meet::FindPosition;
using meet::Grade;
using meet::ReadGrades;
using meet::TeamRange;

}  // namespace korvane::processing
