#pragma once
// Where the engine's stopped players, clips and streams end without their owner waiting: the one
// reaper of the program (app/WorkerReaper.h), `Varpen::CWorkerReaper::Instance()`.

#include "app/WorkerReaper.h"
