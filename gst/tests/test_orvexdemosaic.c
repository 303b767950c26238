/* orvexdemosaic against orvex_demosaic of the same buffers, byte for byte. */
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
    {"rggb10mipi", ORVEX_MOSAIC10_MIPI, ORVEX_RGGB, 10},
    {"bggr12mipi", ORVEX_MOSAIC12_MIPI, ORVEX_BGGR, 12},
    {"grbg14mipi", ORVEX_MOSAIC14_MIPI, ORVEX_GRBG, 14},
    {"gbrg10pfnc", ORVEX_MOSAIC10_PFNC, ORVEX_GBRG, 10},
    {"rggb12pfnc", ORVEX_MOSAIC12_PFNC, ORVEX_RGGB, 12},
    {"bggr12gige", ORVEX_MOSAIC12_GIGE, ORVEX_BGGR, 12},
};

static const struct {
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
static GstBuffer* mosaic(const Input* in, guint w, guint h, gsize stride, gsize offset) {
    const gsize row = orvex_image_bytes(in->format, w, 1);
    const gsize size = offset + stride * h;
    g_assert(stride >= row);
    guint8* data = g_malloc(size);
    for (gsize k = 0; k < size; ++k) data[k] = (guint8)g_random_int();
    if (in->format == ORVEX_MOSAIC16)
        for (guint y = 0; y < h; ++y)
            for (guint x = 0; x < w; ++x) {
                guint16 v = (guint16)(g_random_int() & ((1u << in->bits) - 1));
                memcpy(data + offset + y * stride + 2 * x, &v, 2);
            }
    return gst_buffer_new_wrapped(data, size);
}

/* orvex_demosaic of the buffer as the element is documented to call it. */
static void expect_converted(const Input* in, guint32 layout, GstBuffer* inbuf, gsize stride,
                             gsize offset, GstBuffer* outbuf, const GstVideoInfo* vi, guint method,
                             const orvex_options* base) {
    GstMapInfo im, om;
    fail_unless(gst_buffer_map(inbuf, &im, GST_MAP_READ));
    fail_unless(gst_buffer_map(outbuf, &om, GST_MAP_READ));
    fail_unless_equals_uint64(om.size, GST_VIDEO_INFO_SIZE(vi));
    const guint w = GST_VIDEO_INFO_WIDTH(vi), h = GST_VIDEO_INFO_HEIGHT(vi);
    const gsize ostride = GST_VIDEO_INFO_PLANE_STRIDE(vi, 0);
    guint8* want = g_malloc0(om.size);
    orvex_options o = *base;
    orvex_image src = {im.data + offset,
                       (ptrdiff_t)stride,
                       0,
                       w,
                       h,
                       in->format,
                       in->pattern,
                       in->format == ORVEX_MOSAIC16 ? in->bits : 0};
    if (layout == ORVEX_GRAY16 || layout == ORVEX_RGBA64) {
        src.bits = 16; /* full range: v x 65535 / (2^bits - 1) */
        o.white = (1u << in->bits) - 1;
    }
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

static GstHarness* harness(const gchar* in, const gchar* out, guint w, guint h) {
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

static void info_of(GstVideoInfo* vi, const gchar* out, guint w, guint h) {
    gst_video_info_set_format(vi, gst_video_format_from_string(out), w, h);
}

static gsize caps_stride(const Input* in, guint w) {
    return GST_ROUND_UP_4(orvex_image_bytes(in->format, w, 1));
}

/* Every input format into every output it offers, odd widths where the
 * packing allows, rows padded as the caps say; the methods in turn. */
GST_START_TEST(every_format_pair_equals_the_library) {
    orvex_options o;
    orvex_init_options(&o);
    guint method = 1;
    for (gsize i = 0; i < G_N_ELEMENTS(inputs); ++i)
        for (gsize k = 0; k < G_N_ELEMENTS(outputs); ++k) {
            const Input* in = &inputs[i];
            const gboolean wide_out =
                outputs[k].layout == ORVEX_GRAY16 || outputs[k].layout == ORVEX_RGBA64;
            if (wide_out && in->format != ORVEX_MOSAIC16) continue;
            const gboolean quads =
                in->format == ORVEX_MOSAIC10_MIPI || in->format == ORVEX_MOSAIC14_MIPI;
            const guint w = quads ? 36
                            : (in->format == ORVEX_MOSAIC8 || in->format == ORVEX_MOSAIC16 ||
                               in->format == ORVEX_MOSAIC10_PFNC)
                                ? 37
                                : 38,
                        h = 11;
            GstHarness* hr = harness(in->in, outputs[k].out, w, h);
            gst_util_set_object_arg(G_OBJECT(hr->element), "method", orvex_method_name(method));
            const gsize stride = caps_stride(in, w);
            GstBuffer* buf = mosaic(in, w, h, stride, 0);
            GstBuffer* keep = gst_buffer_ref(buf);
            const GstFlowReturn ret = gst_harness_push(hr, buf);
            fail_unless(ret == GST_FLOW_OK, "%s -> %s: %s", in->in, outputs[k].out,
                        gst_flow_get_name(ret));
            GstBuffer* out = gst_harness_pull(hr);
            GstVideoInfo vi;
            info_of(&vi, outputs[k].out, w, h);
            expect_converted(in, outputs[k].layout, keep, stride, 0, out, &vi, method, &o);
            gst_buffer_unref(out);
            gst_buffer_unref(keep);
            gst_harness_teardown(hr);
            method = method % 6 + 1;
        }
}

GST_END_TEST;

/* Rows where the video meta puts them: stride beyond the row, an offset. */
GST_START_TEST(video_meta_strides_and_offsets) {
    orvex_options o;
    orvex_init_options(&o);
    const Input* in = &inputs[5];
    const guint w = 41, h = 9;
    const gsize stride = 2 * w + 30, offset = 6;
    GstHarness* hr = harness(in->in, "BGRx", w, h);
    GstBuffer* buf = mosaic(in, w, h, stride, offset);
    gsize offsets[4] = {offset};
    gint strides[4] = {(gint)stride};
    gst_buffer_add_video_meta_full(buf, GST_VIDEO_FRAME_FLAG_NONE, GST_VIDEO_FORMAT_ENCODED, w, h,
                                   1, offsets, strides);
    GstBuffer* keep = gst_buffer_ref(buf);
    GstBuffer* out = gst_harness_push_and_pull(hr, buf);
    GstVideoInfo vi;
    info_of(&vi, "BGRx", w, h);
    expect_converted(in, ORVEX_BGRA32, keep, stride, offset, out, &vi, ORVEX_MHC, &o);
    gst_buffer_unref(out);
    gst_buffer_unref(keep);
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* A change of properties applies from the next buffer; timestamps,
 * durations and flags pass through. */
GST_START_TEST(properties_change_between_buffers) {
    const Input* in = &inputs[3];
    const guint w = 64, h = 32;
    GstHarness* hr = harness(in->in, "RGB", w, h);
    GstVideoInfo vi;
    info_of(&vi, "RGB", w, h);
    GstBuffer* buf = mosaic(in, w, h, w, 0);
    orvex_options o;
    orvex_init_options(&o);
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            gst_util_set_object_arg(G_OBJECT(hr->element), "method", "dlmmse");
            gst_util_set_object_arg(G_OBJECT(hr->element), "gains", "<2.0, 1.0, 1.5>");
            gst_util_set_object_arg(G_OBJECT(hr->element), "black-level", "16");
            gst_util_set_object_arg(G_OBJECT(hr->element), "transfer", "srgb");
            /* RGGB: R at the top left, B at the bottom right. */
            const float gains[4] = {2.0f, 1.0f, 1.0f, 1.5f};
            memcpy(o.gain, gains, sizeof gains);
            for (int k = 0; k < 4; ++k) o.black[k] = 16;
            o.transfer = ORVEX_TRANSFER_SRGB;
        }
        GstBuffer* push = gst_buffer_copy(buf);
        GST_BUFFER_PTS(push) = (pass + 1) * GST_SECOND;
        GST_BUFFER_DURATION(push) = GST_SECOND / 30;
        GST_BUFFER_FLAG_SET(push, GST_BUFFER_FLAG_DISCONT);
        GstBuffer* out = gst_harness_push_and_pull(hr, push);
        fail_unless_equals_uint64(GST_BUFFER_PTS(out), (pass + 1) * GST_SECOND);
        fail_unless_equals_uint64(GST_BUFFER_DURATION(out), GST_SECOND / 30);
        fail_unless(GST_BUFFER_FLAG_IS_SET(out, GST_BUFFER_FLAG_DISCONT));
        expect_converted(in, ORVEX_RGB24, buf, w, 0, out, &vi, pass == 0 ? ORVEX_MHC : ORVEX_DLMMSE,
                         &o);
        gst_buffer_unref(out);
    }
    gst_buffer_unref(buf);
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* A buffer one byte short is an error naming both sizes; the wrapped
 * memory ends there, so a read beyond it would be caught. */
GST_START_TEST(truncated_buffer_is_an_error) {
    const guint w = 30, h = 8;
    GstHarness* hr = harness("bggr", "RGB", w, h);
    GstBus* bus = gst_bus_new();
    gst_element_set_bus(hr->element, bus);
    const gsize size = GST_ROUND_UP_4(w) * h - 1;
    GstBuffer* buf = gst_buffer_new_wrapped(g_malloc0(size), size);
    fail_unless_equals_int(gst_harness_push(hr, buf), GST_FLOW_ERROR);
    GstMessage* m = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    fail_unless(m != NULL);
    GError* err;
    gchar* debug;
    gst_message_parse_error(m, &err, &debug);
    fail_unless(strstr(debug, "255 bytes") && strstr(debug, "256 bytes"), "%s", debug);
    g_error_free(err);
    g_free(debug);
    gst_message_unref(m);
    gst_element_set_bus(hr->element, NULL);
    gst_object_unref(bus);
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* 1920x1080 then 640x480 in one stream. */
GST_START_TEST(renegotiation_to_a_smaller_frame) {
    orvex_options o;
    orvex_init_options(&o);
    const Input* in = &inputs[1];
    GstHarness* hr = harness(in->in, "RGBx", 1920, 1080);
    static const guint sizes[2][2] = {{1920, 1080}, {640, 480}};
    for (int k = 0; k < 2; ++k) {
        const guint w = sizes[k][0], h = sizes[k][1];
        gchar* caps = g_strdup_printf(
            "video/x-raw,format=RGBx,width=%u,"
            "height=%u,framerate=30/1",
            w, h);
        gst_harness_set_sink_caps_str(hr, caps);
        g_free(caps);
        caps = g_strdup_printf(
            "video/x-bayer,format=%s,width=%u,height=%u,"
            "framerate=30/1",
            in->in, w, h);
        gst_harness_set_src_caps_str(hr, caps);
        g_free(caps);
        GstBuffer* buf = mosaic(in, w, h, w, 0);
        GstBuffer* keep = gst_buffer_ref(buf);
        GstBuffer* out = gst_harness_push_and_pull(hr, buf);
        GstVideoInfo vi;
        info_of(&vi, "RGBx", w, h);
        expect_converted(in, ORVEX_RGBA32, keep, w, 0, out, &vi, ORVEX_MHC, &o);
        gst_buffer_unref(out);
        gst_buffer_unref(keep);
    }
    gst_harness_teardown(hr);
}

GST_END_TEST;

/* rgb2bayer's mosaics, with the peer's 4-byte row padding (odd width). */
GST_START_TEST(rgb2bayer_frames_equal_the_library) {
    GstElement* p = gst_parse_launch(
        "videotestsrc num-buffers=1 pattern=ball "
        "! video/x-raw,width=161,height=90 ! rgb2bayer "
        "! video/x-bayer,format=gbrg ! appsink name=s",
        NULL);
    fail_unless(p != NULL);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(p), "s");
    gst_element_set_state(p, GST_STATE_PLAYING);
    GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(sink));
    fail_unless(sample != NULL);
    GstBuffer* buf = gst_buffer_ref(gst_sample_get_buffer(sample));
    orvex_options o;
    orvex_init_options(&o);
    GstHarness* hr = harness("gbrg", "BGR", 161, 90);
    GstBuffer* out = gst_harness_push_and_pull(hr, gst_buffer_ref(buf));
    GstVideoInfo vi;
    info_of(&vi, "BGR", 161, 90);
    expect_converted(&inputs[2], ORVEX_BGR24, buf, 164, 0, out, &vi, ORVEX_MHC, &o);
    gst_buffer_unref(out);
    gst_buffer_unref(buf);
    gst_harness_teardown(hr);
    gst_sample_unref(sample);
    gst_object_unref(sink);
    gst_element_set_state(p, GST_STATE_NULL);
    gst_object_unref(p);
}

GST_END_TEST;

/* Caps the packing cannot hold fail negotiation. */
GST_START_TEST(unsupported_width_fails_negotiation) {
    GstHarness* hr = harness("rggb10mipi", "RGB", 30, 4);
    GstBuffer* buf = gst_buffer_new_allocate(NULL, 4096, NULL);
    fail_unless_equals_int(gst_harness_push(hr, buf), GST_FLOW_NOT_NEGOTIATED);
    gst_harness_teardown(hr);
}

GST_END_TEST;

static Suite* orvexdemosaic_suite(void) {
    Suite* s = suite_create("orvexdemosaic");
    TCase* tc = tcase_create("general");
    tcase_set_timeout(tc, 300);
    suite_add_tcase(s, tc);
    tcase_add_test(tc, every_format_pair_equals_the_library);
    tcase_add_test(tc, video_meta_strides_and_offsets);
    tcase_add_test(tc, properties_change_between_buffers);
    tcase_add_test(tc, truncated_buffer_is_an_error);
    tcase_add_test(tc, renegotiation_to_a_smaller_frame);
    tcase_add_test(tc, rgb2bayer_frames_equal_the_library);
    tcase_add_test(tc, unsupported_width_fails_negotiation);
    return s;
}

GST_CHECK_MAIN(orvexdemosaic);
