#pragma once

#include <stop_token>

namespace discread {

// Holds the direct reading of disc images at a known point, for tests of the
// programs around the library: with DISCREAD_TEST_GATE naming a FIFO, each
// chunk read from an image first takes one byte from it, so a test lets the
// reading on chunk by chunk and knows where it stands (a rip that signals
// arrive at, say). Once every writer of the FIFO has gone the reads run free.
// Without the variable nothing waits. False, at once, when Stop is asked for
// before a byte comes: the reading is being closed.
bool PassImageReadGate(std::stop_token Stop);

} // namespace discread
