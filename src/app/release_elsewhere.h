#pragma once

#include <system_error>
#include <thread>
#include <utility>

namespace quiltmap::app {

// Lets `owned` go on another thread: freeing what a large folder left behind (a listing, a
// sheet and its names, a long name list) takes tens of milliseconds that the window's thread
// spends answering events instead. `releasing` holds that thread; the one it held before is
// joined once the new one runs. Without a thread to spare, `owned` goes here.
template<typename Owned> void releaseElsewhere(std::jthread &releasing, Owned owned)
{
    try {
        releasing = std::jthread([owned = std::move(owned)] {});
    } catch (const std::system_error &) { }
}

} // namespace quiltmap::app
