#pragma once

#include "disc_texts.h"

#include <cdio/cdio.h>

namespace discread {

// The CD-Text a drive reads from the disc's lead-in (UTF-8, as libcdio
// converts it), with the ISRCs and the bar code it carries, for every track of
// the drive's table; texts the disc does not have are empty. The sub-channel's
// codes are not asked for: a drive seeks into each track to find them, and
// every reading of the table would wait for that.
DiscTexts DriveTexts(CdIo_t* Handle);

} // namespace discread
