// SPDX-License-Identifier: GPL-3.0-or-later
#include "soundengine/videosinks.h"

#include <gst/gst.h>

#include <mutex>

namespace soundengine {

// Qt's decoder hands a file to playbin with video switched off, but playbin
// still tries out every video sink of rank marginal or more on a file's
// pictures, each one brought up before it is turned down. GTK's Wayland
// sink (gstreamer1.0-plugins-bad, on many desktops) then waits for the
// process's default GLib context, the window's thread, to build it a GTK
// widget: in a Qt program that runs GTK uninitialised on the window's
// thread, or, when that thread is the one stopping the decoder, never runs
// at all and both wait for ever. The clock shows no pictures, so no video
// sink is offered; a file with pictures plays its sound, or its silence
// ends at the start limit as before.
void declineVideoSinks()
{
    static std::once_flag once;
    std::call_once(once, [] {
        gst_init(nullptr, nullptr);
        GList *sinks = gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_SINK
                                                                 | GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO
                                                                 | GST_ELEMENT_FACTORY_TYPE_MEDIA_IMAGE,
                                                             GST_RANK_NONE);
        for (GList *sink = sinks; sink; sink = sink->next)
            gst_plugin_feature_set_rank(GST_PLUGIN_FEATURE(sink->data), GST_RANK_NONE);
        gst_plugin_feature_list_free(sinks);
    });
}

} // namespace soundengine
