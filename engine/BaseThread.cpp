#include "engine/BaseThread.h"
