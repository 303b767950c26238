/* orvexdemosaic's properties: the library's methods and options. */
#ifndef GST_ORVEX_PROPERTIES_H
#define GST_ORVEX_PROPERTIES_H

#include "gstorvexdemosaic.h"

G_BEGIN_DECLS

void gst_orvex_install_properties(GObjectClass* gobject_class);
void gst_orvex_settings_init(GstOrvexDemosaic* self);
/* The settings the next buffer converts with. */
void gst_orvex_settings_for_buffer(GstOrvexDemosaic* self, GstOrvexSettings* s);

G_END_DECLS

#endif
