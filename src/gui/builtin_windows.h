// The framework's ready-made windows: a list to pick from, a message shown
// until any key or button, and a modal yes/no question. Each exists once.
// All of it is public (zorta/gui.h).
#pragma once
#include "gui/gui.h"
#include "io/named_list.h"
#include "zorta/gui.h"
