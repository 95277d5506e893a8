// OrvCommon's exports on the simulated machine.
#pragma once

#include "OrvCommon_library.h"
#include "action_run.h"

ORV_UNIT_LIBRARY(orvcommon)
