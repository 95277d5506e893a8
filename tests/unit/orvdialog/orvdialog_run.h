// OrvDialog's exports on the simulated machine.
#pragma once

#include "OrvDialog_library.h"
#include "action_run.h"

ORV_UNIT_LIBRARY(orvdialog)
