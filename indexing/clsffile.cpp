#include "indexing/clsffile.h"

// All of clsFFile is its stored values; this unit keeps the class in the logic library's index.
