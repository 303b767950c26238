/* The caps formats of orvexdemosaic and the library layouts behind them. */
#ifndef GST_ORVEX_FORMATS_H
#define GST_ORVEX_FORMATS_H

#include <gst/gst.h>
#include <gst/video/video.h>

G_BEGIN_DECLS

/* A video/x-bayer format: the library's mosaic format, the pattern of the
 * top-left cell and the significant bits of a sample. */
typedef struct {
    gchar name[16];
    guint32 format;
    guint32 pattern;
    guint bits;
} GstOrvexBayerFormat;

/* A video/x-raw format and the library layout that writes it; `wide`
 * marks 16-bit outputs. */
typedef struct {
    GstVideoFormat video;
    guint32 layout;
    gboolean wide;
} GstOrvexOutputFormat;

const GstOrvexBayerFormat* gst_orvex_bayer_format_find(const gchar* name);
/* Every Bayer format: each converts into every output. */
GValue* gst_orvex_bayer_format_list(GValue* list);
/* Bytes of a row as the library reads it, without padding; 0 when the
 * packing cannot hold the width. */
gsize gst_orvex_bayer_row_bytes(const GstOrvexBayerFormat* f, guint width);

const GstOrvexOutputFormat* gst_orvex_output_format_find(GstVideoFormat v);
/* The outputs of a Bayer format (NULL: of any), the best first. */
GValue* gst_orvex_output_format_list(GValue* list, const GstOrvexBayerFormat* from);

GstCaps* gst_orvex_sink_template_caps(void);
GstCaps* gst_orvex_src_template_caps(void);

G_END_DECLS

#endif
