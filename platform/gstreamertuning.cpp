#include "platform/gstreamertuning.h"

#include <QByteArray>
#include <QList>

#include <gst/gst.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

void dropDeviceProvidersWithoutSoundOutput(GstRegistry *registry)
{
    GList *providers = gst_registry_get_feature_list(registry, GST_TYPE_DEVICE_PROVIDER_FACTORY);
    for (GList *item = providers; item != nullptr; item = item->next) {
        auto *factory = GST_DEVICE_PROVIDER_FACTORY(item->data);
        if (!offersSoundOutput(
                gst_device_provider_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS)))
            gst_registry_remove_feature(registry, GST_PLUGIN_FEATURE(factory));
    }
    gst_plugin_feature_list_free(providers);
}

void putMpg123First(GstRegistry *registry)
{
    GstPluginFeature *decoder = gst_registry_lookup_feature(registry, "mpg123audiodec");
    if (decoder == nullptr)
        return;
    if (gst_plugin_feature_get_rank(decoder) < GST_RANK_PRIMARY)
        gst_plugin_feature_set_rank(decoder, GST_RANK_PRIMARY);
    gst_object_unref(decoder);
}

gboolean unclockStreamSelector(GSignalInvocationHint *, guint, const GValue *values, gpointer)
{
    // element-added: the bin, then the element added to it.
    auto *element = GST_ELEMENT(g_value_get_object(&values[1]));
    GstElementFactory *factory = gst_element_get_factory(element);
    if (factory != nullptr &&
        g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "input-selector") == 0)
        gst_util_set_object_arg(G_OBJECT(element), "sync-mode", "active-segment");
    return TRUE;
}

// Watches every bin of the process, as Qt's pipeline is out of reach; its
// selectors are added to it as the player is made, before anything plays.
void keepStreamSelectorsUnclocked()
{
    g_signal_add_emission_hook(g_signal_lookup("element-added", GST_TYPE_BIN), 0,
                               unclockStreamSelector, nullptr, nullptr);
}

// Each file plays on a pipeline with streaming threads of its own, and glibc
// gives new threads malloc arenas of their own, up to eight per core; what
// they free stays spread over the arenas, and the program grew by 2 KB for
// every alarm rung (0.75 KB with two arenas, over 300 alarms). One player
// needs no more than two.
void keepMallocArenasFew()
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 2);
#endif
}

} // namespace

bool offersSoundOutput(const char *klass)
{
    const QList<QByteArray> words = QByteArray(klass).split('/');
    return words.contains("Audio") && words.contains("Sink");
}

void keepGStreamerLight()
{
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return;
    GstRegistry *registry = gst_registry_get();
    dropDeviceProvidersWithoutSoundOutput(registry);
    putMpg123First(registry);
    keepStreamSelectorsUnclocked();
    keepMallocArenasFew();
}
