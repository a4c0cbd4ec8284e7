// The framework as a game sees it: include this header, and nothing else of
// Zorta's. Every name is in namespace zorta.
#pragma once

#include "zorta/base.h"
#include "zorta/io.h"
#include "zorta/input.h"
#include "zorta/sfx.h"
#include "zorta/display.h"
#include "zorta/image.h"
#include "zorta/gui.h"
#include "zorta/world.h"
#include "zorta/app.h"
