/* What the element tests share: the formats, mosaic buffers, harnesses and
 * the library's own conversion of a buffer to compare with. */
#ifndef ORVEX_GST_CHECK_SUPPORT_H
#define ORVEX_GST_CHECK_SUPPORT_H
#include <gst/app/gstappsink.h>
#include <gst/check/gstcheck.h>
#include <gst/check/gstharness.h>
#include <gst/video/video.h>
#include <orvex2.h>
#include <string.h>

typedef struct {
    const gchar* in; /* caps format */
    guint32 format;
    guint32 pattern;
    guint bits;
} Input;

static const Input inputs[] = {
    {"bggr", ORVEX_MOSAIC8, ORVEX_BGGR, 8},
    {"grbg", ORVEX_MOSAIC8, ORVEX_GRBG, 8},
    {"gbrg", ORVEX_MOSAIC8, ORVEX_GBRG, 8},
    {"rggb", ORVEX_MOSAIC8, ORVEX_RGGB, 8},
    {"rggb10le", ORVEX_MOSAIC16, ORVEX_RGGB, 10},
    {"bggr12le", ORVEX_MOSAIC16, ORVEX_BGGR, 12},
    {"grbg14le", ORVEX_MOSAIC16, ORVEX_GRBG, 14},
    {"gbrg16le", ORVEX_MOSAIC16, ORVEX_GBRG, 16},
    {"bggr10be", ORVEX_MOSAIC16_BE, ORVEX_BGGR, 10},
    {"rggb16be", ORVEX_MOSAIC16_BE, ORVEX_RGGB, 16},
    {"rggb10mipi", ORVEX_MOSAIC10_MIPI, ORVEX_RGGB, 10},
    {"bggr12mipi", ORVEX_MOSAIC12_MIPI, ORVEX_BGGR, 12},
    {"grbg14mipi", ORVEX_MOSAIC14_MIPI, ORVEX_GRBG, 14},
    {"gbrg10pfnc", ORVEX_MOSAIC10_PFNC, ORVEX_GBRG, 10},
    {"rggb12pfnc", ORVEX_MOSAIC12_PFNC, ORVEX_RGGB, 12},
    {"bggr12gige", ORVEX_MOSAIC12_GIGE, ORVEX_BGGR, 12},
};

/* Not every test file takes them all. */
G_GNUC_UNUSED static const struct {
    const gchar* out;
    guint32 layout;
} outputs[] = {
    {"RGB", ORVEX_RGB24},   {"BGR", ORVEX_BGR24},        {"BGRx", ORVEX_BGRA32},
    {"xRGB", ORVEX_ARGB32}, {"RGBA", ORVEX_RGBA32},      {"RGBP", ORVEX_PLANAR_RGB24},
    {"GRAY8", ORVEX_GRAY8}, {"GRAY16_LE", ORVEX_GRAY16}, {"ABGR", ORVEX_ABGR32},
    {"xBGR", ORVEX_ABGR32}, {"RGBA64_LE", ORVEX_RGBA64},
};

/* A mosaic buffer of random samples of the format's bits, rows `stride`
 * bytes apart from `offset` on. */
static inline GstBuffer* mosaic(const Input* in, guint w, guint h, gsize stride, gsize offset) {
    const gsize row = orvex_image_bytes(in->format, w, 1);
    const gsize size = offset + stride * h;
    g_assert(stride >= row);
    guint8* data = g_malloc(size);
    for (gsize k = 0; k < size; ++k) data[k] = (guint8)g_random_int();
    if (in->format == ORVEX_MOSAIC16 || in->format == ORVEX_MOSAIC16_BE)
        for (guint y = 0; y < h; ++y)
            for (guint x = 0; x < w; ++x) {
                guint16 v = (guint16)(g_random_int() & ((1u << in->bits) - 1));
                if (in->format == ORVEX_MOSAIC16_BE) v = GUINT16_TO_BE(v);
                memcpy(data + offset + y * stride + 2 * x, &v, 2);
            }
    return gst_buffer_new_wrapped(data, size);
}

/* orvex_demosaic of the buffer as the element is documented to call it. */
static inline void expect_converted(const Input* in, guint32 layout, GstBuffer* inbuf, gsize stride,
                                    gsize offset, GstBuffer* outbuf, const GstVideoInfo* vi,
                                    guint method, const orvex_options* base) {
    GstMapInfo im, om;
    fail_unless(gst_buffer_map(inbuf, &im, GST_MAP_READ));
    fail_unless(gst_buffer_map(outbuf, &om, GST_MAP_READ));
    fail_unless_equals_uint64(om.size, GST_VIDEO_INFO_SIZE(vi));
    const guint w = GST_VIDEO_INFO_WIDTH(vi), h = GST_VIDEO_INFO_HEIGHT(vi);
    const gsize ostride = GST_VIDEO_INFO_PLANE_STRIDE(vi, 0);
    guint8* want = g_malloc0(om.size);
    orvex_options o = *base;
    orvex_image src = {
        im.data + offset,
        (ptrdiff_t)stride,
        0,
        w,
        h,
        in->format,
        in->pattern,
        in->format == ORVEX_MOSAIC16 || in->format == ORVEX_MOSAIC16_BE ? in->bits : 0};
    /* Full range: v x 65535 / (2^bits - 1). */
    o.full_range = layout == ORVEX_GRAY16 || layout == ORVEX_RGBA64;
    orvex_image dst = {
        want,
        (ptrdiff_t)ostride,
        GST_VIDEO_INFO_N_PLANES(vi) == 3 ? (ptrdiff_t)GST_VIDEO_INFO_PLANE_OFFSET(vi, 1) : 0,
        w,
        h,
        layout,
        0,
        0};
    fail_unless_equals_int(orvex_demosaic(&src, &dst, method, &o), ORVEX_OK);
    const gsize row = GST_VIDEO_INFO_COMP_PSTRIDE(vi, 0) * (gsize)w;
    for (guint p = 0; p < GST_VIDEO_INFO_N_PLANES(vi); ++p)
        for (guint y = 0; y < h; ++y) {
            const gsize at = GST_VIDEO_INFO_PLANE_OFFSET(vi, p) + y * ostride;
            fail_unless(memcmp(om.data + at, want + at, row) == 0,
                        "%s -> %s method %u: row %u of plane %u differs", in->in,
                        GST_VIDEO_INFO_NAME(vi), method, y, p);
        }
    g_free(want);
    gst_buffer_unmap(outbuf, &om);
    gst_buffer_unmap(inbuf, &im);
}

static inline GstHarness* harness(const gchar* in, const gchar* out, guint w, guint h) {
    GstHarness* hr = gst_harness_new("orvexdemosaic");
    gchar* caps = g_strdup_printf(
        "video/x-bayer,format=%s,width=%u,height=%u,"
        "framerate=30/1",
        in, w, h);
    gst_harness_set_src_caps_str(hr, caps);
    g_free(caps);
    caps = g_strdup_printf(
        "video/x-raw,format=%s,width=%u,height=%u,"
        "framerate=30/1",
        out, w, h);
    gst_harness_set_sink_caps_str(hr, caps);
    g_free(caps);
    return hr;
}

static inline void info_of(GstVideoInfo* vi, const gchar* out, guint w, guint h) {
    gst_video_info_set_format(vi, gst_video_format_from_string(out), w, h);
}

static inline gsize caps_stride(const Input* in, guint w) {
    return GST_ROUND_UP_4(orvex_image_bytes(in->format, w, 1));
}

#endif
