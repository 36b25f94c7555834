#pragma once

// The number of the module's COM objects in existence, which tells whether the module may be
// unloaded. A plain counter: every call on the module's objects comes on one thread.

namespace menuext {

inline int g_cLiveObjects = 0;

}  // namespace menuext
