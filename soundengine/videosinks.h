// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace soundengine {

// Takes every video sink out of GStreamer's automatic choice, for the whole
// process and for good; safe to call from any thread, any number of times.
void declineVideoSinks();

} // namespace soundengine
