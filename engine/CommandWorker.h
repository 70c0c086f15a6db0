#pragma once
// The worker that carries out a window's snapshots and clips one after another: the program's one
// queue worker (app/CommandWorker.h), `Varpen::CCommandWorker`.

#include "app/CommandWorker.h"
