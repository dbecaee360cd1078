#include "playback/soundonlydevices.h"

#include <QByteArray>
#include <QList>

#include <gst/gst.h>

bool offersSoundOutput(const char *klass)
{
    const QList<QByteArray> words = QByteArray(klass).split('/');
    return words.contains("Audio") && words.contains("Sink");
}

void dropDeviceProvidersWithoutSoundOutput()
{
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return;
    GstRegistry *registry = gst_registry_get();
    GList *providers = gst_registry_get_feature_list(registry, GST_TYPE_DEVICE_PROVIDER_FACTORY);
    for (GList *item = providers; item != nullptr; item = item->next) {
        auto *factory = GST_DEVICE_PROVIDER_FACTORY(item->data);
        if (!offersSoundOutput(
                gst_device_provider_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS)))
            gst_registry_remove_feature(registry, GST_PLUGIN_FEATURE(factory));
    }
    gst_plugin_feature_list_free(providers);
}
