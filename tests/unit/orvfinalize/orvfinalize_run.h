// OrvFinalize's exports on the simulated machine.
#pragma once

#include "OrvFinalize_library.h"
#include "action_run.h"

ORV_UNIT_LIBRARY(orvfinalize)
