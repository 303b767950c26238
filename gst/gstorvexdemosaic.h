/* orvexdemosaic: Bayer mosaics to colour video through liborvex2. */
#ifndef GST_ORVEX_DEMOSAIC_H
#define GST_ORVEX_DEMOSAIC_H

#include <gst/base/gstbasetransform.h>
#include <gst/video/video.h>
#include <orvex2.h>

#include "orvex_formats.h"

G_BEGIN_DECLS

#define GST_TYPE_ORVEX_DEMOSAIC (gst_orvex_demosaic_get_type())
G_DECLARE_FINAL_TYPE(GstOrvexDemosaic, gst_orvex_demosaic, GST, ORVEX_DEMOSAIC, GstBaseTransform)

/* What the properties say; copied under the object lock for each buffer,
 * so a change applies from the next one. */
typedef struct {
    guint method;
    guint threads;
    guint black;
    guint white;    /* 0: the largest value of the samples' bits */
    gfloat gain[4]; /* per site of the top-left cell */
    gfloat matrix[9];
    guint transfer;
    guint bits; /* 0: from the caps format */
} GstOrvexSettings;

struct _GstOrvexDemosaic {
    GstBaseTransform parent;

    GstOrvexSettings settings;
    gboolean gains_rgb; /* three gains given: by colour, not by site */
    gfloat gain_rgb[3];

    /* Negotiated. */
    const GstOrvexBayerFormat* in;
    guint width, height;
    gsize in_row_bytes, in_stride, in_size;
    GstVideoInfo out_info;
    const GstOrvexOutputFormat* out;
};

GST_ELEMENT_REGISTER_DECLARE(orvexdemosaic)

/* Converts one frame; posts the element error itself on failure. */
GstFlowReturn gst_orvex_demosaic_convert(GstOrvexDemosaic* self, GstBuffer* inbuf,
                                         GstBuffer* outbuf, const GstOrvexSettings* s);

G_END_DECLS

#endif
