#include "orvex_formats.h"

#include <orvex2.h>
#include <stdio.h>
#include <string.h>

/* Patterns by the letters GStreamer names them with. */
static const struct {
    const gchar* name;
    guint32 pattern;
} patterns[] = {
    {"bggr", ORVEX_BGGR},
    {"grbg", ORVEX_GRBG},
    {"gbrg", ORVEX_GBRG},
    {"rggb", ORVEX_RGGB},
};

/* Suffixes after the pattern: GStreamer's own names of 16-bit containers
 * (big-endian ones swapped by the library as it reads their rows), and ours
 * of the bit-packed camera formats. */
static const struct {
    const gchar* suffix;
    guint32 format;
    guint bits;
} codings[] = {
    {"", ORVEX_MOSAIC8, 8},
    {"10le", ORVEX_MOSAIC16, 10},
    {"12le", ORVEX_MOSAIC16, 12},
    {"14le", ORVEX_MOSAIC16, 14},
    {"16le", ORVEX_MOSAIC16, 16},
    {"10be", ORVEX_MOSAIC16_BE, 10},
    {"12be", ORVEX_MOSAIC16_BE, 12},
    {"14be", ORVEX_MOSAIC16_BE, 14},
    {"16be", ORVEX_MOSAIC16_BE, 16},
    {"10mipi", ORVEX_MOSAIC10_MIPI, 10},
    {"12mipi", ORVEX_MOSAIC12_MIPI, 12},
    {"14mipi", ORVEX_MOSAIC14_MIPI, 14},
    {"10pfnc", ORVEX_MOSAIC10_PFNC, 10},
    {"12pfnc", ORVEX_MOSAIC12_PFNC, 12},
    {"12gige", ORVEX_MOSAIC12_GIGE, 12},
};

#define N_BAYER (G_N_ELEMENTS(patterns) * G_N_ELEMENTS(codings))

static GstOrvexBayerFormat bayer_formats[N_BAYER];

static void bayer_formats_init(void) {
    static gsize done = 0;
    if (g_once_init_enter(&done)) {
        gsize k = 0;
        for (gsize c = 0; c < G_N_ELEMENTS(codings); ++c)
            for (gsize p = 0; p < G_N_ELEMENTS(patterns); ++p, ++k) {
                GstOrvexBayerFormat* f = &bayer_formats[k];
                g_snprintf(f->name, sizeof f->name, "%s%s", patterns[p].name, codings[c].suffix);
                f->format = codings[c].format;
                f->pattern = patterns[p].pattern;
                f->bits = codings[c].bits;
            }
        g_once_init_leave(&done, 1);
    }
}

const GstOrvexBayerFormat* gst_orvex_bayer_format_find(const gchar* name) {
    bayer_formats_init();
    if (name == NULL) return NULL;
    for (gsize k = 0; k < N_BAYER; ++k)
        if (strcmp(bayer_formats[k].name, name) == 0) return &bayer_formats[k];
    return NULL;
}

static void list_append_string(GValue* list, const gchar* s) {
    GValue v = G_VALUE_INIT;
    g_value_init(&v, G_TYPE_STRING);
    g_value_set_string(&v, s);
    gst_value_list_append_and_take_value(list, &v);
}

GValue* gst_orvex_bayer_format_list(GValue* list) {
    bayer_formats_init();
    g_value_init(list, GST_TYPE_LIST);
    for (gsize k = 0; k < N_BAYER; ++k) list_append_string(list, bayer_formats[k].name);
    return list;
}

gsize gst_orvex_bayer_row_bytes(const GstOrvexBayerFormat* f, guint width) {
    return orvex_image_bytes(f->format, width, 1);
}

/* 16-bit colour first, the best output of mosaics wider than bytes; byte
 * mosaics take it last, after 24-bit RGB. The padded layouts are the alpha
 * layouts with the padding written as 0xff. 16-bit outputs hold full-range
 * samples, widened by the library from any mosaic. */
static const GstOrvexOutputFormat outputs[] = {
    {GST_VIDEO_FORMAT_RGBA64_LE, ORVEX_RGBA64, TRUE},
    {GST_VIDEO_FORMAT_RGB, ORVEX_RGB24, FALSE},
    {GST_VIDEO_FORMAT_BGR, ORVEX_BGR24, FALSE},
    {GST_VIDEO_FORMAT_BGRx, ORVEX_BGRA32, FALSE},
    {GST_VIDEO_FORMAT_RGBx, ORVEX_RGBA32, FALSE},
    {GST_VIDEO_FORMAT_xRGB, ORVEX_ARGB32, FALSE},
    {GST_VIDEO_FORMAT_xBGR, ORVEX_ABGR32, FALSE},
    {GST_VIDEO_FORMAT_BGRA, ORVEX_BGRA32, FALSE},
    {GST_VIDEO_FORMAT_RGBA, ORVEX_RGBA32, FALSE},
    {GST_VIDEO_FORMAT_ARGB, ORVEX_ARGB32, FALSE},
    {GST_VIDEO_FORMAT_ABGR, ORVEX_ABGR32, FALSE},
    {GST_VIDEO_FORMAT_RGBP, ORVEX_PLANAR_RGB24, FALSE},
    {GST_VIDEO_FORMAT_GRAY8, ORVEX_GRAY8, FALSE},
    {GST_VIDEO_FORMAT_GRAY16_LE, ORVEX_GRAY16, TRUE},
};

const GstOrvexOutputFormat* gst_orvex_output_format_find(GstVideoFormat v) {
    for (gsize k = 0; k < G_N_ELEMENTS(outputs); ++k)
        if (outputs[k].video == v) return &outputs[k];
    return NULL;
}

GValue* gst_orvex_output_format_list(GValue* list, const GstOrvexBayerFormat* from) {
    const gboolean wide_first = from == NULL || from->bits > 8;
    g_value_init(list, GST_TYPE_LIST);
    for (gsize k = wide_first ? 0 : 1; k < G_N_ELEMENTS(outputs); ++k)
        list_append_string(list, gst_video_format_to_string(outputs[k].video));
    if (!wide_first) list_append_string(list, gst_video_format_to_string(outputs[0].video));
    return list;
}

static GstCaps* caps_with_formats(const gchar* media, GValue* formats) {
    GstCaps* caps = gst_caps_new_simple(media, "width", GST_TYPE_INT_RANGE, 1, G_MAXINT, "height",
                                        GST_TYPE_INT_RANGE, 1, G_MAXINT, "framerate",
                                        GST_TYPE_FRACTION_RANGE, 0, 1, G_MAXINT, 1, NULL);
    gst_caps_set_value(caps, "format", formats);
    g_value_unset(formats);
    return caps;
}

GstCaps* gst_orvex_sink_template_caps(void) {
    GValue formats = G_VALUE_INIT;
    return caps_with_formats("video/x-bayer", gst_orvex_bayer_format_list(&formats));
}

GstCaps* gst_orvex_src_template_caps(void) {
    GValue formats = G_VALUE_INIT;
    return caps_with_formats("video/x-raw", gst_orvex_output_format_list(&formats, NULL));
}
