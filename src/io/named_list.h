// Growable lists of uniquely named items, and folder listings: all of it is
// public (zorta/io.h).
#pragma once
#include "zorta/io.h"
