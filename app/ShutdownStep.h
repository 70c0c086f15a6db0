// What one piece of an owner's shut-down taken apart into short pieces came to. A close that must
// not hold the GUI thread runs the pieces one at a time from the event loop; the owner's
// destructor runs whatever is left in one go, waiting where a worker has not ended yet.
#pragma once

namespace Varpen {

enum class ShutdownStep {
    More,  // a piece was done: the next one may follow at once
    Wait,  // a worker told to stop has not ended yet: nothing was done, ask again a little later
    Done   // nothing is left but to delete the owner
};

}  // namespace Varpen
